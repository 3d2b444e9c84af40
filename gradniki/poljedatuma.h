#pragma once

#include <QDate>
#include <QLineEdit>
#include <QString>
#include <optional>

class Okolje;
class QFrame;
class QToolButton;

// Reads a date the way operators type it: day, month and a four-digit year separated
// by dots ("26.10.2026", "1.3.2026", "01.03.2026"; commas, slashes, hyphens and blanks
// separate too, a final dot is allowed), or eight digits without separators
// ("26102026"). Nothing for anything else, and nothing for a date that does not exist
// (31.2.2026): a typed date is never turned into another one.
std::optional<QDate> preberiVpisanDatum(const QString& besedilo);

// The date field of every window: the date as text "d.M.yyyy" that the operator
// types over, with a drop-down calendar (the arrow, Alt+Down or F4).
//
// Typing: the field takes the date that was typed, whole. After the field is entered
// (a click anywhere in it, Tab, Shift+Tab) the first character typed replaces the
// whole text, however the cursor or a selection stands. The typed text becomes the
// field's date when the operator leaves the field (Tab, Shift+Tab, a click elsewhere,
// a shortcut key, Enter). A text that is no date is refused with a message, the date
// stays what it was, and the operator is back in the field to correct it; the click,
// key or shortcut that would have left the field does nothing else.
//
// date(), setDate() and dateChanged() are those of a date picker: dateChanged is
// emitted whenever the date changes, by the operator or by setDate.
class PoljeDatuma : public QLineEdit {
    Q_OBJECT
public:
    explicit PoljeDatuma(QWidget* parent = nullptr);

    QDate date() const { return m_datum; }
    void setDate(const QDate& datum);

    // The text of a date in the field: "26.10.2026", "1.3.2026".
    static QString besedilo(const QDate& datum);

    // Takes what the operator typed. True when the field now holds a date that the
    // text shows; false, with the message shown, when the text was refused.
    bool potrdi();

    // The outside world of the field's window, which says the refusal like the window's
    // other messages (see okolje.h); without one, a message box over the field's window.
    // The window hands it over once it has made its fields.
    void nastaviOkolje(Okolje* okolje) { m_okolje = okolje; }

    // Opens the drop-down calendar on the field's date.
    void odpriKoledar();
    QFrame* koledar() const { return m_koledar; }

signals:
    void dateChanged(const QDate& datum);

protected:
    bool event(QEvent* dogodek) override;
    void keyPressEvent(QKeyEvent* dogodek) override;
    void focusInEvent(QFocusEvent* dogodek) override;
    void focusOutEvent(QFocusEvent* dogodek) override;
    void resizeEvent(QResizeEvent* dogodek) override;
    bool eventFilter(QObject* objekt, QEvent* dogodek) override;

private:
    enum class Izid { Nespremenjeno, Sprejeto, Zavrnjeno };
    Izid sprejmi();
    void zavrni();
    void zavrniPozneje();
    void nastavi(const QDate& datum);

    QDate m_datum{2000, 1, 1};
    bool m_svez = false;     // the first character typed replaces the whole text
    bool m_zavracam = false; // a refusal is on its way: clicks elsewhere do nothing
    QToolButton* m_gumb = nullptr;
    QFrame* m_koledar = nullptr;
    Okolje* m_okolje = nullptr;
};
