#include "izris.h"
#include "belezenje.h"
#include "izhodnadatoteka.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QTextLayout>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <QThread>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr double kMmNaPalec = 25.4;
constexpr double kDebelinaCrte = 0.2; // mm

// A text put together from the glyphs of its characters: what the painter would
// draw for it, without shaping it again.
struct Sestavljeno {
    QList<quint32> glifi;
    QList<double> odmiki; // x of each glyph from the text's left edge, pixels
    double sirina = 0;    // the text's advance, as QFontMetricsF::horizontalAdvance gives it
};

// Glyphs of one font on one device. Most texts of a long report are amounts, dates and
// codes made of a few dozen characters; shaping each of them again is the bulk of the
// drawing time. A character's glyph and advance are taken once from the toolkit's own
// shaping; a text is then put together from its characters as long as every pair of
// neighbours shapes to nothing but the two glyphs side by side (no kerning, ligature,
// substitution or fallback font), which is checked once per pair, again by shaping it.
// Any other text is left to the painter.
class Glife {
public:
    Glife(const QFont& pisava, QPaintDevice* naprava) : m_pisava(pisava), m_naprava(naprava), m_metrike(pisava, naprava)
    {
    }

    const QRawFont& surova() const { return m_surova; }

    // False when the text has to be shaped whole.
    bool sestavi(const QString& besedilo, Sestavljeno& izid)
    {
        izid.glifi.clear();
        izid.odmiki.clear();
        double x = 0;
        for (qsizetype i = 0; i < besedilo.size(); ++i) {
            const Znak& z = znak(besedilo.at(i));
            if (!z.ok)
                return false;
            if (i > 0 && !par(besedilo.at(i - 1), besedilo.at(i)))
                return false;
            izid.glifi.append(z.glif);
            izid.odmiki.append(x);
            x += z.sirina;
        }
        izid.sirina = x;
        return true;
    }

private:
    struct Znak {
        bool ok = false;
        quint32 glif = 0;
        double sirina = 0;
    };

    // The glyph runs of a text as the toolkit lays it out in this font, trailing blanks
    // included.
    QList<QGlyphRun> oblikuj(const QString& besedilo) const
    {
        QTextLayout l(besedilo, m_pisava, m_naprava);
        QTextOption moznosti;
        moznosti.setFlags(QTextOption::IncludeTrailingSpaces);
        moznosti.setWrapMode(QTextOption::NoWrap);
        l.setTextOption(moznosti);
        l.beginLayout();
        l.createLine();
        l.endLayout();
        return l.glyphRuns();
    }

    const Znak& znak(QChar c)
    {
        auto it = m_znaki.constFind(c.unicode());
        if (it != m_znaki.constEnd())
            return *it;
        Znak z;
        // Only plain left-to-right characters; controls, marks and the rest are shaped whole.
        const bool navaden =
            c.unicode() >= 0x20 && c.unicode() < 0x2000 && !c.isMark() && !c.isNonCharacter() && !c.isSurrogate()
            && c.category() != QChar::Other_Control && c.category() != QChar::Other_Format
            && (c.direction() == QChar::DirL || c.direction() == QChar::DirEN || c.direction() == QChar::DirES
                || c.direction() == QChar::DirET || c.direction() == QChar::DirCS || c.direction() == QChar::DirWS
                || c.direction() == QChar::DirON);
        if (navaden) {
            const QList<QGlyphRun> r = oblikuj(QString(c));
            if (r.size() == 1 && r.first().glyphIndexes().size() == 1 && r.first().positions().first().x() == 0) {
                if (!m_surova.isValid())
                    m_surova = r.first().rawFont();
                if (r.first().rawFont() == m_surova) {
                    z.ok = true;
                    z.glif = r.first().glyphIndexes().first();
                    z.sirina = m_metrike.horizontalAdvance(QString(c));
                }
            }
        }
        return *m_znaki.insert(c.unicode(), z);
    }

    bool par(QChar a, QChar b)
    {
        const quint32 kljuc = (quint32(a.unicode()) << 16) | b.unicode();
        auto it = m_pari.constFind(kljuc);
        if (it != m_pari.constEnd())
            return *it;
        const Znak& za = znak(a);
        const Znak& zb = znak(b);
        const QString dva = QString(a) + b;
        const QList<QGlyphRun> r = oblikuj(dva);
        bool ok = za.ok && zb.ok && r.size() == 1 && r.first().rawFont() == m_surova
                  && r.first().glyphIndexes() == QList<quint32>{za.glif, zb.glif};
        if (ok) {
            const QList<QPointF> t = r.first().positions();
            ok = t.at(0).x() == 0 && t.at(1).x() == za.sirina && t.at(0).y() == t.at(1).y()
                 && m_metrike.horizontalAdvance(dva) == za.sirina + zb.sirina;
        }
        m_pari.insert(kljuc, ok);
        return ok;
    }

    QFont m_pisava;
    QPaintDevice* m_naprava;
    QFontMetricsF m_metrike;
    QRawFont m_surova;
    QHash<char16_t, Znak> m_znaki;
    QHash<quint32, bool> m_pari;
};

// The four variants of the report's font (bold, underlined) with their metrics and
// glyphs on one device, made once per drawing.
class Pisave {
public:
    Pisave(const Porocilo& p, QPaintDevice* naprava)
    {
        for (int i = 0; i < 4; ++i) {
            QFont f = pisavaPorocila(p);
            f.setBold(i & 1);
            f.setUnderline(i & 2);
            m_pisave[i] = QFont(f, naprava);
            m_metrike[i] = std::make_unique<QFontMetricsF>(m_pisave[i], naprava);
            m_glife[i] = std::make_unique<Glife>(m_pisave[i], naprava);
        }
    }

    int indeks(bool krepko, bool podcrtano) const { return (krepko ? 1 : 0) | (podcrtano ? 2 : 0); }
    const QFont& pisava(int i) const { return m_pisave[i]; }
    const QFontMetricsF& metrike(int i) const { return *m_metrike[i]; }
    Glife& glife(int i) const { return *m_glife[i]; }

private:
    QFont m_pisave[4];
    std::unique_ptr<QFontMetricsF> m_metrike[4];
    std::unique_ptr<Glife> m_glife[4];
};

// A position as the painter keeps it: in 1/64 of a pixel, the fraction cut off.
double naSestintrideset(double v) { return std::trunc(v * 64) / 64; }

// The PDF engine takes two buffers of 10 MB for every page it compresses and frees them
// right after; with the C library's default the freed top of the heap goes back to the
// system every time and the next page faults it in again, page by page. Keeping up to
// 64 MB of freed heap makes those buffers reuse the same memory; only what is touched
// counts as resident.
void obdrziKopico()
{
#ifdef __GLIBC__
    static const bool nastavljeno = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
        return true;
    }();
    Q_UNUSED(nastavljeno);
#endif
}

void narisi(QPainter& slikar, const Stran& stran, const Pisave& pisave)
{
    QPaintDevice* naprava = slikar.device();
    const double kx = naprava->logicalDpiX() / kMmNaPalec;
    const double ky = naprava->logicalDpiY() / kMmNaPalec;
    slikar.save();
    QPen pero(Qt::black);
    pero.setWidthF(kDebelinaCrte * kx);
    slikar.setPen(pero);
    int trenutna = -1;
    Sestavljeno s;
    QList<QPointF> mesta;
    QGlyphRun tek;
    for (const PostavljenElement& e : stran.elementi) {
        const QRectF r(e.mm.x() * kx, e.mm.y() * ky, e.mm.width() * kx, e.mm.height() * ky);
        switch (e.vrsta) {
        case PostavljenElement::Vrsta::Crta: slikar.drawLine(r.topLeft(), r.bottomRight()); break;
        case PostavljenElement::Vrsta::Pravokotnik: slikar.fillRect(r, Qt::black); break;
        case PostavljenElement::Vrsta::Besedilo: {
            if (e.besedilo.isEmpty())
                break;
            const int i = pisave.indeks(e.krepko, e.podcrtano);
            const QFontMetricsF& fm = pisave.metrike(i);
            // Underlined texts need the painter's decoration.
            if (!e.podcrtano && pisave.glife(i).sestavi(e.besedilo, s)) {
                double x = r.x();
                if (e.poravnava == Poravnava::Desno)
                    x -= s.sirina;
                // Each text its own run, started from the page's origin as the painter
                // starts it: the PDF writes the first glyph's position absolute and the
                // others relative to it, so the rounding of the printed numbers stays
                // what it was.
                const double x0 = naSestintrideset(x);
                const double y = naSestintrideset(r.y() + fm.ascent());
                mesta.resize(s.odmiki.size());
                for (qsizetype k = 0; k < s.odmiki.size(); ++k)
                    mesta[k] = QPointF(x0 + s.odmiki.at(k), y);
                tek.setRawFont(pisave.glife(i).surova());
                tek.setGlyphIndexes(s.glifi);
                tek.setPositions(mesta);
                slikar.drawGlyphRun(QPointF(0, 0), tek);
                break;
            }
            if (i != trenutna) {
                slikar.setFont(pisave.pisava(i));
                trenutna = i;
            }
            double x = r.x();
            if (e.poravnava == Poravnava::Desno)
                x -= fm.horizontalAdvance(e.besedilo);
            slikar.drawText(QPointF(x, r.y() + fm.ascent()), e.besedilo);
            break;
        }
        }
    }
    slikar.restore();
}

// Pages on their way from the layout to the drawing thread, a few at a time so that
// memory does not grow with the report.
class VrstaStrani {
public:
    // Waits while the queue is full. A page is dropped once the drawing has given up.
    void dodaj(const Stran& s)
    {
        std::unique_lock<std::mutex> z(m_m);
        m_prostor.wait(z, [&] { return m_strani.size() < kNajvec || m_odneha; });
        if (m_odneha)
            return;
        m_strani.push_back(s);
        m_na.notify_one();
    }
    // The next page; none once the layout is over and every page has been taken.
    std::optional<Stran> vzemi()
    {
        std::unique_lock<std::mutex> z(m_m);
        m_na.wait(z, [&] { return !m_strani.empty() || m_zaprto; });
        if (m_strani.empty())
            return std::nullopt;
        std::optional<Stran> s(std::move(m_strani.front()));
        m_strani.pop_front();
        m_prostor.notify_one();
        return s;
    }
    void zapri()
    {
        std::lock_guard<std::mutex> z(m_m);
        m_zaprto = true;
        m_na.notify_all();
    }
    void odnehaj()
    {
        std::lock_guard<std::mutex> z(m_m);
        m_odneha = true;
        m_strani.clear();
        m_prostor.notify_all();
    }

private:
    static constexpr size_t kNajvec = 8;
    std::mutex m_m;
    std::condition_variable m_na, m_prostor;
    std::deque<Stran> m_strani;
    bool m_zaprto = false;
    bool m_odneha = false;
};

// Lays the report out on this thread and draws it on a second one, page by page: the
// reading of the rows and the layout go on while the PDF engine draws and compresses
// the pages before. The drawing thread has the device to itself until it ends.
// Returns the number of pages, -1 when the device could not be painted on.
int narisiVzporedno(QPagedPaintDevice& naprava, const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj)
{
    VrstaStrani vrsta;
    bool zacetoRisanje = false;
    std::unique_ptr<QThread> risar(QThread::create([&] {
        QPainter slikar;
        if (!slikar.begin(&naprava)) {
            vrsta.odnehaj();
            return;
        }
        zacetoRisanje = true;
        const Pisave pisave(porocilo, &naprava);
        bool prva = true;
        while (const std::optional<Stran> s = vrsta.vzemi()) {
            if (!prva)
                naprava.newPage();
            prva = false;
            narisi(slikar, *s, pisave);
        }
        slikar.end();
    }));
    risar->start();
    int strani = 0;
    try {
        strani = postavi(porocilo, vir, zdaj, [&](const Stran& s) { vrsta.dodaj(s); });
    } catch (...) {
        vrsta.odnehaj();
        vrsta.zapri();
        risar->wait();
        throw;
    }
    vrsta.zapri();
    risar->wait();
    return zacetoRisanje ? strani : -1;
}

} // namespace

QFont pisavaPorocila(const Porocilo& porocilo)
{
    QFont f(porocilo.pisava);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(porocilo.velikostPisave);
    return f;
}

struct RisarStrani::Pisave : ::Pisave {
    using ::Pisave::Pisave;
};

RisarStrani::RisarStrani(const Porocilo& porocilo, QPaintDevice* naprava)
    : m_pisave(std::make_unique<Pisave>(porocilo, naprava))
{
}

RisarStrani::~RisarStrani() = default;

void RisarStrani::narisi(QPainter& slikar, const Stran& stran) const { ::narisi(slikar, stran, *m_pisave); }

QTransform naList(const QSizeF& velikostMm, const QRectF& list, double dpiX, double dpiY)
{
    const double sirina = velikostMm.width() * dpiX / kMmNaPalec;
    const double visina = velikostMm.height() * dpiY / kMmNaPalec;
    if (sirina <= 0 || visina <= 0)
        return {};
    const double k = std::min({1.0, list.width() / sirina, list.height() / visina});
    // The page's own sheet (to a tolerance of a pixel) is drawn as it is.
    if (std::abs(list.width() - sirina) < 1 && std::abs(list.height() - visina) < 1)
        return QTransform::fromTranslate(list.x(), list.y());
    QTransform t;
    t.translate(list.x() + (list.width() - k * sirina) / 2, list.y() + (list.height() - k * visina) / 2);
    t.scale(k, k);
    return t;
}

void narisiStran(QPainter& slikar, const Stran& stran, const Porocilo& porocilo)
{
    const Pisave pisave(porocilo, slikar.device());
    narisi(slikar, stran, pisave);
}

void pripraviNapravo(QPagedPaintDevice& naprava, const Porocilo& porocilo)
{
    const QPageLayout postavitev(QPageSize(porocilo.papir), porocilo.usmerjenost, QMarginsF(0, 0, 0, 0),
                                 QPageLayout::Millimeter);
    naprava.setPageLayout(postavitev);
}

int narisiPorocilo(QPagedPaintDevice& naprava, const Porocilo& porocilo, VirVrstic& vir, const QDateTime& zdaj)
{
    obdrziKopico();
    QPainter slikar;
    if (!slikar.begin(&naprava))
        return -1;
    const Pisave pisave(porocilo, &naprava);
    bool prva = true;
    const int strani = postavi(porocilo, vir, zdaj, [&](const Stran& s) {
        if (!prva)
            naprava.newPage();
        prva = false;
        narisi(slikar, s, pisave);
    });
    slikar.end();
    return strani;
}

IzidPdf zapisiPdf(const Porocilo& porocilo, VirVrstic& vir, const QString& pot, const QDateTime& zdaj)
{
    // The PDF goes to a new file that replaces the previous one only when it is
    // complete; a path that is no regular file is refused and left alone.
    IzidPdf izid;
    IzhodnaDatoteka datoteka(pot);
    if (!datoteka.odpri()) {
        izid.napaka = datoteka.razlog();
        qCWarning(lcReport).noquote() << "PDF" << pot << "ni zapisan:" << izid.napaka;
        return izid;
    }
    {
        QPdfWriter pdf(datoteka.naprava());
        pdf.setResolution(600);
        pdf.setTitle(porocilo.naslov);
        pdf.setCreator(QStringLiteral("ledgxfer"));
        pripraviNapravo(pdf, porocilo);
        obdrziKopico();
        izid.strani = narisiVzporedno(pdf, porocilo, vir, zdaj);
    }
    if (izid.strani < 0 || !datoteka.potrdi()) {
        izid.napaka = izid.strani < 0 ? QStringLiteral("poročila ni mogoče narisati") : datoteka.razlog();
        qCWarning(lcReport).noquote() << "PDF" << pot << "ni zapisan:" << izid.napaka;
        izid.strani = 0;
        return izid;
    }
    izid.uspeh = true;
    return izid;
}
