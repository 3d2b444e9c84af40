#include "entergumb.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterNaGumbu : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* objekt, QEvent* dogodek) override
    {
        if (dogodek->type() != QEvent::KeyPress)
            return false;
        const auto* k = static_cast<QKeyEvent*>(dogodek);
        if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter)
            return false;
        if ((k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || k->isAutoRepeat())
            return false;
        auto* gumb = qobject_cast<QPushButton*>(objekt);
        if (!gumb || !gumb->hasFocus() || !gumb->isEnabled() || !gumb->isVisible())
            return false;
        gumb->click();
        return true;
    }
};

} // namespace

void enterPritisneGumb(QObject* lastnik) { qApp->installEventFilter(new EnterNaGumbu(lastnik)); }
