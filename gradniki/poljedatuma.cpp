#include "poljedatuma.h"

#include "belezenje.h"
#include "jezik.h"
#include "okolje.h"
#include "stevila.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

std::optional<QDate> preberiVpisanDatum(const QString& besedilo)
{
    static const QRegularExpression loceno(
        QStringLiteral(R"(^([0-9]{1,2})(?:\s*[.,/-]\s*|\s+)([0-9]{1,2})(?:\s*[.,/-]\s*|\s+)([0-9]{4})\.?$)"));
    static const QRegularExpression skupaj(QStringLiteral(R"(^([0-9]{2})([0-9]{2})([0-9]{4})$)"));
    const QString t = besedilo.trimmed();
    QRegularExpressionMatch m = loceno.match(t);
    if (!m.hasMatch())
        m = skupaj.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const std::optional<qint64> dan = celoStevilo(m.captured(1));
    const std::optional<qint64> mesec = celoStevilo(m.captured(2));
    const std::optional<qint64> leto = celoStevilo(m.captured(3));
    if (!dan || !mesec || !leto || *leto < 1000)
        return std::nullopt;
    const QDate datum{int(*leto), int(*mesec), int(*dan)};
    if (!datum.isValid())
        return std::nullopt;
    return datum;
}

PoljeDatuma::PoljeDatuma(QWidget* parent) : QLineEdit(parent)
{
    // Every character typed stays in the field: a letter or a stray sign inside a
    // date is refused with the date when the field is left, never dropped silently
    // (25.1O.2026 must not become 25.1.2026).
    setText(besedilo(m_datum));

    m_gumb = new QToolButton(this);
    m_gumb->setObjectName(QStringLiteral("koledar"));
    m_gumb->setArrowType(Qt::DownArrow);
    m_gumb->setFocusPolicy(Qt::NoFocus);
    m_gumb->setCursor(Qt::ArrowCursor);
    m_gumb->setAutoRaise(true);
    connect(m_gumb, &QToolButton::clicked, this, &PoljeDatuma::odpriKoledar);
}

QString PoljeDatuma::besedilo(const QDate& datum) { return datum.toString(QStringLiteral("d.M.yyyy")); }

void PoljeDatuma::setDate(const QDate& datum)
{
    if (!datum.isValid())
        return;
    nastavi(datum);
}

void PoljeDatuma::nastavi(const QDate& datum)
{
    const bool drug = datum != m_datum;
    m_datum = datum;
    setText(besedilo(datum));
    if (drug)
        emit dateChanged(m_datum);
}

PoljeDatuma::Izid PoljeDatuma::sprejmi()
{
    if (text() == besedilo(m_datum))
        return Izid::Nespremenjeno;
    const std::optional<QDate> datum = preberiVpisanDatum(text());
    if (!datum)
        return Izid::Zavrnjeno;
    nastavi(*datum);
    return Izid::Sprejeto;
}

bool PoljeDatuma::potrdi()
{
    if (sprejmi() != Izid::Zavrnjeno)
        return true;
    zavrni();
    return false;
}

void PoljeDatuma::zavrni()
{
    const QString vpisano = text().trimmed();
    const QString besedilo =
        vpisano.isEmpty() ? QStringLiteral("Datum ni vpisan.") : QStringLiteral("Datum „%1“ ni pravilen.").arg(vpisano);
    const QString sporocilo = besedilo + QStringLiteral("\nVpišite ga kot 26.10.2026 ali 26102026.");
    qCInfo(lcApp) << objectName() << "refused a typed date:" << vpisano;
    if (m_okolje)
        m_okolje->sporocilo(sporocilo);
    else
        QMessageBox::warning(window(), jezik::imePrograma(), sporocilo);
    // Back in the field, the refused text selected, to be typed over.
    if (isVisible() && isEnabled())
        setFocus(Qt::OtherFocusReason);
    selectAll();
    m_svez = true;
}

// A refusal that cannot be shown while the event at hand is delivered (the focus has
// moved to what was clicked, a shortcut is being looked up): until it is shown, mouse
// presses and releases in the window do nothing, so the click that left the field
// neither presses a button nor selects anything. One message however often it is asked.
void PoljeDatuma::zavrniPozneje()
{
    if (m_zavracam)
        return;
    m_zavracam = true;
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] {
        qApp->removeEventFilter(this);
        m_zavracam = false;
        if (text() == besedilo(m_datum) || preberiVpisanDatum(text()))
            return; // corrected meanwhile
        if (!isVisible()) {
            // The window is gone: the field shows the date it holds.
            setText(besedilo(m_datum));
            return;
        }
        zavrni();
    });
}

bool PoljeDatuma::eventFilter(QObject* objekt, QEvent* dogodek)
{
    if (objekt == m_koledar) {
        if (dogodek->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(dogodek)->key() == Qt::Key_Escape) {
            m_koledar->hide();
            setFocus(Qt::PopupFocusReason);
            return true;
        }
        return false;
    }
    if (m_zavracam && objekt->isWidgetType()) {
        switch (dogodek->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            auto* w = static_cast<QWidget*>(objekt);
            if (w->window() == window())
                return true;
            break;
        }
        default: break;
        }
    }
    return QLineEdit::eventFilter(objekt, dogodek);
}

bool PoljeDatuma::event(QEvent* dogodek)
{
    if (dogodek->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(dogodek);
        const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        if (tab && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !potrdi()) {
            dogodek->accept();
            return true; // the focus stays in the field
        }
    }
    if (dogodek->type() == QEvent::ShortcutOverride) {
        // The field's own editing keys are the line edit's; a key with Alt, Ctrl or
        // Meta that it leaves is a shortcut of the window (a button's accelerator),
        // which must see the date that was typed.
        const bool rezultat = QLineEdit::event(dogodek);
        const auto* k = static_cast<QKeyEvent*>(dogodek);
        const bool bliznjica = k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (bliznjica && !dogodek->isAccepted() && sprejmi() == Izid::Zavrnjeno) {
            dogodek->accept(); // the shortcut does not run
            zavrniPozneje();
        }
        return rezultat;
    }
    return QLineEdit::event(dogodek);
}

void PoljeDatuma::keyPressEvent(QKeyEvent* k)
{
    const Qt::KeyboardModifiers mod = k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (k->key() == Qt::Key_F4 || (k->key() == Qt::Key_Down && (k->modifiers() & Qt::AltModifier))) {
        odpriKoledar();
        return;
    }
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        if (!potrdi()) {
            k->accept();
            return;
        }
        QLineEdit::keyPressEvent(k);
        return;
    }
    if (m_svez) {
        const bool znak = !k->text().isEmpty() && k->text().at(0).isPrint() && mod == Qt::NoModifier;
        if (znak || k->matches(QKeySequence::Paste)) {
            selectAll();
            m_svez = false;
        } else if (k->key() == Qt::Key_Backspace || k->key() == Qt::Key_Delete || k->key() == Qt::Key_Left
                   || k->key() == Qt::Key_Right || k->key() == Qt::Key_Home || k->key() == Qt::Key_End) {
            m_svez = false;
        }
    }
    QLineEdit::keyPressEvent(k);
}

void PoljeDatuma::focusInEvent(QFocusEvent* dogodek)
{
    switch (dogodek->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
        // Back from a menu, the calendar or another window: a date being typed is
        // typed on; a field that shows its date is typed over (the click that
        // activates the window is also the click into the field).
        if (text() == besedilo(m_datum))
            m_svez = true;
        break;
    default: m_svez = true; break;
    }
    QLineEdit::focusInEvent(dogodek);
}

void PoljeDatuma::focusOutEvent(QFocusEvent* dogodek)
{
    switch (dogodek->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason: break; // the operator comes back to the field
    default:
        if (sprejmi() == Izid::Zavrnjeno)
            zavrniPozneje();
        break;
    }
    QLineEdit::focusOutEvent(dogodek);
}

void PoljeDatuma::resizeEvent(QResizeEvent* dogodek)
{
    QLineEdit::resizeEvent(dogodek);
    const int visina = height() - 4;
    const int sirina = qMin(16, qMax(visina, 10));
    m_gumb->setGeometry(width() - sirina - 2, 2, sirina, visina);
    setTextMargins(0, 0, sirina, 0);
}

void PoljeDatuma::odpriKoledar()
{
    if (!isEnabled() || isReadOnly())
        return;
    if (!m_koledar) {
        m_koledar = new QFrame(this, Qt::Popup);
        m_koledar->setObjectName(QStringLiteral("koledarDatuma"));
        m_koledar->setFrameShape(QFrame::Box);
        auto* postavitev = new QVBoxLayout(m_koledar);
        postavitev->setContentsMargins(1, 1, 1, 1);
        auto* koledar = new QCalendarWidget(m_koledar);
        koledar->setObjectName(QStringLiteral("koledar"));
        koledar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        postavitev->addWidget(koledar);
        m_koledar->installEventFilter(this);
        // A click on a day or Enter on it takes that day.
        const auto izbran = [this](const QDate& d) {
            m_koledar->hide();
            nastavi(d);
            setFocus(Qt::PopupFocusReason);
            selectAll();
            m_svez = true;
        };
        connect(koledar, &QCalendarWidget::clicked, this, izbran);
        connect(koledar, &QCalendarWidget::activated, this, izbran);
    }
    auto* koledar = m_koledar->findChild<QCalendarWidget*>();
    // The calendar opens on the typed date when it is one, else on the field's date.
    const std::optional<QDate> vpisan = preberiVpisanDatum(text());
    koledar->setSelectedDate(vpisan ? *vpisan : m_datum);
    m_koledar->adjustSize();
    m_koledar->move(mapToGlobal(QPoint(0, height())));
    m_koledar->show();
    koledar->setFocus(Qt::PopupFocusReason);
}
