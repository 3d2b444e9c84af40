#include "izris.h"
#include "belezenje.h"
#include "izhodnadatoteka.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {

constexpr double kMmNaPalec = 25.4;
constexpr double kDebelinaCrte = 0.2; // mm

// The four variants of the report's font (bold, underlined) with their metrics on
// one device, made once per drawing.
class Pisave {
public:
    Pisave(const Porocilo& p, QPaintDevice* naprava)
    {
        for (int i = 0; i < 4; ++i) {
            QFont f = pisavaPorocila(p);
            f.setBold(i & 1);
            f.setUnderline(i & 2);
            m_pisave[i] = QFont(f, naprava);
            m_metrike[i] = new QFontMetricsF(m_pisave[i], naprava);
        }
    }
    ~Pisave()
    {
        for (QFontMetricsF* m : m_metrike)
            delete m;
    }
    Pisave(const Pisave&) = delete;
    Pisave& operator=(const Pisave&) = delete;

    int indeks(bool krepko, bool podcrtano) const { return (krepko ? 1 : 0) | (podcrtano ? 2 : 0); }
    const QFont& pisava(int i) const { return m_pisave[i]; }
    const QFontMetricsF& metrike(int i) const { return *m_metrike[i]; }

private:
    QFont m_pisave[4];
    QFontMetricsF* m_metrike[4] = {};
};

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
    for (const PostavljenElement& e : stran.elementi) {
        const QRectF r(e.mm.x() * kx, e.mm.y() * ky, e.mm.width() * kx, e.mm.height() * ky);
        switch (e.vrsta) {
        case PostavljenElement::Vrsta::Crta:
            slikar.drawLine(r.topLeft(), r.bottomRight());
            break;
        case PostavljenElement::Vrsta::Pravokotnik:
            slikar.fillRect(r, Qt::black);
            break;
        case PostavljenElement::Vrsta::Besedilo: {
            if (e.besedilo.isEmpty())
                break;
            const int i = pisave.indeks(e.krepko, e.podcrtano);
            if (i != trenutna) {
                slikar.setFont(pisave.pisava(i));
                trenutna = i;
            }
            const QFontMetricsF& fm = pisave.metrike(i);
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

} // namespace

QFont pisavaPorocila(const Porocilo& porocilo)
{
    QFont f(porocilo.pisava);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(porocilo.velikostPisave);
    return f;
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

int narisiPorocilo(QPagedPaintDevice& naprava, const Porocilo& porocilo, VirVrstic& vir,
                   const QDateTime& zdaj)
{
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
        izid.strani = narisiPorocilo(pdf, porocilo, vir, zdaj);
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
