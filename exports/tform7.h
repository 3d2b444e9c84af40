#pragma once

#include "okolje.h"

#include <QDialog>
#include <functional>

namespace Ui {
class TForm7;
}
class QLineEdit;

// Output-file dialog of the revaluation summary: the path of "ZOKDLL.TXT", typed or
// chosen with "...". However it is closed, the main window takes the edited path.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    QLineEdit* eZokIzhodniDirektorij() const;

    // The outside world for the save dialog, and what to do with a path chosen there
    // (the main window takes it and writes the settings file at once).
    void povezi(Okolje& okolje, std::function<void(const QString&)> potIzbrana);

    // Handlers.
    void btnZokIzhodnaDatotekaClick();
    void Button1Click();

    // The save dialog of "...": keeps its file name between uses.
    DialogShrani SaveDialog1{QStringLiteral("Izberi izhodno txt datoteko"), QStringLiteral("TXT"),
                             QStringLiteral("Txt datoteke (*.txt)|*.txt|Vse datoteke (*.*)|*.*"), QString(), QString()};

protected:
    bool eventFilter(QObject* objekt, QEvent* dogodek) override;

private:
    Ui::TForm7* ui;
    Okolje* m_okolje = nullptr;
    std::function<void(const QString&)> m_potIzbrana;
};
