#pragma once

#include <QList>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>

// A banded report described as data: the page, the font, the grouping and the bands
// with their items. The layout engine (postavitev.h) places the bands over the rows
// of a row source (vir.h); the renderer (izris.h) draws the placed pages.
//
// Positions and sizes are millimetres from the left and top edges of the band.

enum class Poravnava {
    Levo,  // `levo` is the text's left edge
    Desno, // `levo` is the text's right edge
};

enum class VrstaElementa {
    Besedilo,       // fixed text
    Polje,          // value of a field of the row
    Vsota,          // sum of an expression over the rows (see Element::polje)
    DatumCas,       // the date and time at which the report is produced
    StevilkaStrani, // the number of the page, 1 and up
    Crta,           // a line from (levo, zgoraj) to (levo + sirina, zgoraj + visina)
    Pravokotnik,    // a filled bar
};

// One item of a band.
struct Element {
    VrstaElementa vrsta = VrstaElementa::Besedilo;
    double levo = 0;   // mm; the right edge for right-aligned text
    double zgoraj = 0; // mm
    double sirina = 0; // mm; lines and bars
    double visina = 0; // mm; lines and bars
    // Besedilo: the text. DatumCas, StevilkaStrani, Polje, Vsota: put before the value.
    QString besedilo;
    // Polje: the field name. Vsota: the expression, field names joined by + and -,
    // such as "BZNESEK" or "BZNESEK-DZNESEK". Names are matched without regard to case.
    QString polje;
    // Number mask such as "#,###,##0.00" (maska.h); empty: the value as it is.
    QString maska;
    Poravnava poravnava = Poravnava::Levo;
    bool krepko = false;
    bool podcrtano = false;

    static Element tekst(double levo, double zgoraj, const QString& besedilo);
    static Element vrednost(double levo, double zgoraj, const QString& polje);
    static Element vsota(double levo, double zgoraj, const QString& izraz);
    static Element datumCas(double levo, double zgoraj);
    static Element stran(double levo, double zgoraj);
    static Element crta(double levo, double zgoraj, double sirina, double visina);
    static Element pravokotnik(double levo, double zgoraj, double sirina, double visina);

    // Modifiers for a readable description: Element::vsota(85.7, 0, "BZNESEK").desno().zMasko(m).
    Element desno() const;
    Element zMasko(const QString& m) const;
    Element krepka() const;
    Element podcrtana() const;
};

enum class VrstaPasu {
    GlavaStrani,   // at the top of every page, the first included
    GlavaStolpcev, // under the page header on every page
    GlavaSkupine,  // before the first row of each group
    Podrobnosti,   // once per row
    NogaSkupine,   // after the last row of each group; its sums then start again from zero
    Povzetek,      // once after the last row
};

// One band: its kind, height and items, and lines along its edges across the page.
struct Pas {
    VrstaPasu vrsta = VrstaPasu::Podrobnosti;
    double visina = 5.0; // mm
    QList<Element> elementi;
    bool crtaZgoraj = false;
    bool crtaSpodaj = false;
};

struct Porocilo {
    QString naslov; // caption of the preview window, title of the PDF
    QPageSize::PageSizeId papir = QPageSize::A4;
    QPageLayout::Orientation usmerjenost = QPageLayout::Portrait;
    QMarginsF robovi{10, 10, 10, 10};         // mm: left, top, right, bottom
    QString pisava = QStringLiteral("Arial"); // the nearest sans serif where it is missing
    double velikostPisave = 10;               // points
    // The group expression: a field name. Rows belong to one group while it keeps its
    // value; the group bands are used only when it is set.
    QString skupina;
    QList<Pas> pasovi;
    // An empty row source gives no pages at all (otherwise one page with the headers
    // and the summary).
    bool praznoBrezStrani = false;
    // Separators of the masks, the date format of dates and of the current date and time.
    QLocale jezik;

    // The first band of the kind, or nullptr.
    const Pas* pas(VrstaPasu vrsta) const;
    // Size of the sheet in millimetres, in the chosen orientation.
    QSizeF velikostMm() const;
};
