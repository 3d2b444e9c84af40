#pragma once

#include "porocilo.h"
#include "vir.h"

#include <QDateTime>
#include <QList>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

// The layout model: pages with their items placed in millimetres from the sheet's
// top-left corner, texts already filled in. It is what the renderer draws and what
// tests read instead of pixels.

struct PostavljenElement {
    enum class Vrsta { Besedilo, Crta, Pravokotnik };
    Vrsta vrsta = Vrsta::Besedilo;
    // Besedilo: x is the left edge (or the right edge when right-aligned), y the top.
    // Crta: from (x, y) to (x + width, y + height). Pravokotnik: the filled area.
    QRectF mm;
    QString besedilo;
    Poravnava poravnava = Poravnava::Levo;
    bool krepko = false;
    bool podcrtano = false;
    VrstaPasu pas = VrstaPasu::Podrobnosti; // the band it belongs to
};

// A band as placed on a page.
struct PostavljenPas {
    VrstaPasu vrsta;
    double zgoraj; // mm from the sheet's top edge
    double visina;
};

struct Stran {
    int stevilka = 1;
    QSizeF velikostMm;
    QList<PostavljenPas> pasovi;
    QList<PostavljenElement> elementi;

    // Texts of the page in placing order (for tests and checks).
    QStringList besedila() const;
};

// Lays a report out over a row source, one page at a time: each page is handed on
// as soon as it is complete and then dropped, so memory does not grow with the
// number of pages. `zdaj` is the date and time printed as the report's production
// time. Returns the number of pages.
//
// Rules: the page header and the column header open every page; a band that does not
// fit in the rest of the page starts a new page; a group footer follows the last row
// of each group and its sums then start again from zero; the summary follows the last
// row (or, without rows, the headers, unless the report wants no pages then).
int postavi(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj,
            const std::function<void(const Stran&)>& naStran);

// The same layout in steps, for a window that shows the first pages while the rest is
// still being laid out and answers the operator meanwhile. Every step places up to a
// given number of rows and hands on the pages it completes; the pages are the same
// as postavi gives them. The source and the report must outlive the layout.
class Postavljanje {
public:
    Postavljanje(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj,
                 std::function<void(const Stran&)> naStran);
    ~Postavljanje();
    Postavljanje(const Postavljanje&) = delete;
    Postavljanje& operator=(const Postavljanje&) = delete;

    // Places up to `vrstic` rows; true once the report is complete (its last page
    // handed on). The first step also opens the first page.
    bool korak(qint64 vrstic);
    bool konec() const;
    // The number of pages, once the layout is complete.
    int strani() const;
    // Rows placed so far.
    qint64 vrstic() const;

private:
    struct Stanje;
    std::unique_ptr<Stanje> m_s;
};

// The whole report as a list of pages (small reports and tests).
QList<Stran> postaviVse(const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj);

// The text of a value as a report prints it: a mask for numbers when one is given,
// dates in the short format of kratkiDatum, text as it is; null gives an empty text.
QString besediloVrednosti(const QVariant& vrednost, const QString& maska, const QLocale& jezik);

// A date (and a date with its time) in the locale's short format with the year in four
// digits: "d. MM. yyyy" for Slovenian, as a Slovenian desktop shows it. The toolkit's
// own short format cuts the year to two digits, and a bank's lists span decades.
QString kratkiDatum(const QDate& datum, const QLocale& jezik);
QString kratkiDatumCas(const QDateTime& cas, const QLocale& jezik);
