#include "paradoxtabela.h"
#include "napaka.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// pxlib is a C library whose header does not declare C linkage itself.
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// pxlib reports through a callback; keep the first message of a failure.
void zabeleziNapako(pxdoc_t*, int, const char* sporocilo, void* podatki)
{
    auto* napake = static_cast<QString*>(podatki);
    if (napake->isEmpty() && sporocilo)
        *napake = QString::fromLocal8Bit(sporocilo).trimmed();
}

struct ZapriPx {
    void operator()(pxdoc_t* d) const
    {
        if (d->px_head)
            PX_close(d);
        PX_delete(d);
    }
};

bool jeStevilskaVrsta(char vrsta)
{
    switch (vrsta) {
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
    case pxfNumber:
    case pxfCurrency:
    case pxfBCD:
        return true;
    default:
        return false;
    }
}

// Whether a field of this type may have this length in a table file.
bool dolzinaUstreza(char vrsta, int dolzina)
{
    switch (vrsta) {
    case pxfAlpha:
        return dolzina >= 1 && dolzina <= 255;
    case pxfShort:
        return dolzina == 2;
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime:
        return dolzina == 4;
    case pxfNumber:
    case pxfCurrency:
    case pxfTimestamp:
        return dolzina == 8;
    case pxfLogical:
        return dolzina == 1;
    case pxfBCD:
        return dolzina == 17;
    case pxfBytes:
        return dolzina >= 1 && dolzina <= 255;
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic:
        return dolzina >= 10 && dolzina <= 250;
    default:
        return false;
    }
}

// An empty field of any type is stored as zero bytes only.
bool prazno(const uchar* podatki, int dolzina)
{
    for (int i = 0; i < dolzina; ++i) {
        if (podatki[i] != 0)
            return false;
    }
    return true;
}

// Whole numbers are stored big-endian with the sign bit inverted, so that the bytes
// sort as the values do; only the field's own bytes are read.
qint64 celo(const uchar* podatki, int dolzina)
{
    quint64 v = 0;
    for (int i = 0; i < dolzina; ++i)
        v = (v << 8) | podatki[i];
    const int biti = dolzina * 8;
    v ^= quint64(1) << (biti - 1);
    // Sign-extend from the field's width.
    if (v & (quint64(1) << (biti - 1)))
        v |= ~quint64(0) << biti;
    return static_cast<qint64>(v);
}

// A floating-point number: big-endian; a positive value has its sign bit inverted, a
// negative one all its bits.
double realno(const uchar* podatki)
{
    uchar b[8];
    std::memcpy(b, podatki, 8);
    if (b[0] & 0x80) {
        b[0] &= 0x7f;
    } else {
        for (uchar& c : b)
            c = static_cast<uchar>(~c);
    }
    quint64 v = 0;
    for (uchar c : b)
        v = (v << 8) | c;
    double d = 0;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

// Date of a day number counted from 1.1.0001 (day 1).
QDate datumDneva(qint64 dan)
{
    int leto = 0, mesec = 0, d = 0;
    // The conversion counts from the start of the Julian period.
    PX_SdnToGregorian(static_cast<long>(dan) + 1721425L, &leto, &mesec, &d);
    return QDate(leto, mesec, d);
}

// Text of an alpha field: the bytes up to the first zero byte, in the table's code
// page. A field that starts with a zero byte is empty.
QVariant besedilo(const uchar* podatki, int dolzina, QStringDecoder& dekoder)
{
    int n = 0;
    while (n < dolzina && podatki[n] != '\0')
        ++n;
    if (n == 0)
        return {};
    return QString(dekoder.decode(QByteArrayView(podatki, n)));
}

QVariant vrednost(pxdoc_t* d, const pxfield_t& polje, const uchar* podatki, QStringDecoder& dekoder)
{
    const int len = polje.px_flen;
    if (prazno(podatki, len))
        return {};
    switch (polje.px_ftype) {
    case pxfAlpha:
        return besedilo(podatki, len, dekoder);
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
        return QVariant(celo(podatki, len));
    case pxfNumber:
    case pxfCurrency:
        return QVariant(realno(podatki));
    case pxfBCD: {
        QByteArray kopija(reinterpret_cast<const char*>(podatki), len);
        char* s = nullptr;
        const int r = PX_get_data_bcd(d, reinterpret_cast<unsigned char*>(kopija.data()), polje.px_fdc, &s);
        QVariant izid;
        if (r > 0 && s) {
            bool ok = false;
            const double v = QByteArray(s).trimmed().toDouble(&ok);
            if (ok)
                izid = v;
        }
        if (s)
            d->free(d, s);
        return izid;
    }
    case pxfLogical:
        return QVariant((podatki[0] & 0x7f) != 0);
    case pxfDate:
        return datumDneva(celo(podatki, 4));
    case pxfTime:
        return QTime::fromMSecsSinceStartOfDay(static_cast<int>(celo(podatki, 4)));
    case pxfTimestamp: {
        // Milliseconds since the start of day 1 (1.1.0001).
        const qint64 ms = static_cast<qint64>(realno(podatki));
        return QDateTime(datumDneva(ms / 86400000), QTime::fromMSecsSinceStartOfDay(int(ms % 86400000)));
    }
    default:
        return {}; // memos, pictures and bytes are not needed here
    }
}

quint16 dvaBajta(const uchar* p) { return static_cast<quint16>(p[0] | (p[1] << 8)); }

} // namespace

int ParadoxTabela::indeksPolja(const QString& ime) const
{
    for (int i = 0; i < m_polja.size(); ++i) {
        if (m_polja.at(i).compare(ime, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

ParadoxTabela ParadoxTabela::preberi(const QString& pot)
{
    const QString ime = QFileInfo(pot).absoluteFilePath();
    auto neberljiva = [&ime](const QString& razlog) {
        QString t = QStringLiteral("Datoteka ") + ime + QStringLiteral(" ni berljiva tabela Paradox");
        if (!razlog.isEmpty())
            t += QStringLiteral(" (") + razlog + u')';
        return Napaka(t);
    };

    QFile datoteka(pot);
    if (!datoteka.open(QIODevice::ReadOnly))
        throw neberljiva(datoteka.errorString());
    const QByteArray vsebina = datoteka.readAll();
    if (datoteka.error() != QFileDevice::NoError)
        throw neberljiva(datoteka.errorString());
    datoteka.close();
    const auto* bajti = reinterpret_cast<const uchar*>(vsebina.constData());

    // The header must describe the file as it is: whole blocks within the file and a
    // chain of blocks that holds exactly the records the header counts, then known
    // field types of their own length and a record as long as its fields. A file cut
    // short or overwritten is refused rather than read as data. The chain is checked
    // before pxlib opens the file, because pxlib follows it without a limit.
    constexpr qsizetype kNajmanjsaGlava = 0x78;
    if (vsebina.size() < kNajmanjsaGlava)
        throw neberljiva(QStringLiteral("datoteka ima le %1 bajtov (okrnjena glava)").arg(vsebina.size()));
    const int velikost = dvaBajta(bajti + 0x00);
    const qint64 glavaBajtov = dvaBajta(bajti + 0x02);
    const int vrstaDatoteke = bajti[0x04];
    const int kb = bajti[0x05];
    const qint64 stVrstic = qint64(dvaBajta(bajti + 0x06)) | (qint64(dvaBajta(bajti + 0x08)) << 16);
    const qint64 stBlokov = dvaBajta(bajti + 0x0c);
    const quint32 prviBlok = dvaBajta(bajti + 0x0e);
    const quint32 zadnjiBlok = dvaBajta(bajti + 0x10);
    if (vrstaDatoteke != pxfFileTypIndexDB && vrstaDatoteke != pxfFileTypNonIndexDB)
        throw neberljiva(QStringLiteral("to ni datoteka s podatki"));
    if (kb != 1 && kb != 2 && kb != 4 && kb != 8 && kb != 16 && kb != 32)
        throw neberljiva(QStringLiteral("neznana velikost bloka (%1 KB)").arg(kb));
    const qint64 blok = qint64(kb) * 1024;
    if (velikost <= 0 || velikost > blok - 6)
        throw neberljiva(QStringLiteral("zapis z %1 bajti ne gre v blok").arg(velikost));
    const qint64 pricakovano = glavaBajtov + stBlokov * blok;
    if (glavaBajtov < kNajmanjsaGlava || vsebina.size() < pricakovano)
        throw neberljiva(QStringLiteral("datoteka ima %1 bajtov, po glavi bi jih morala imeti %2 "
                                        "(okrnjena datoteka)")
                             .arg(vsebina.size())
                             .arg(pricakovano));

    // The data blocks in the order of the chain: where each starts, how many records.
    struct Blok {
        const uchar* zapisi;
        qint64 stevilo;
    };
    QList<Blok> bloki;
    const qint64 naBlok = (blok - 6) / velikost;
    QList<bool> obiskan(stBlokov + 1, false);
    qint64 prebranih = 0;
    quint32 b = stVrstic > 0 ? prviBlok : 0;
    quint32 zadnji = 0;
    while (b != 0) {
        if (b > stBlokov || obiskan.at(b))
            throw neberljiva(QStringLiteral("veriga blokov je pretrgana (blok %1)").arg(b));
        obiskan[b] = true;
        const uchar* zacetek = bajti + glavaBajtov + (qint64(b) - 1) * blok;
        const int dodatno = static_cast<qint16>(dvaBajta(zacetek + 4));
        const qint64 vBloku = dodatno / velikost + 1;
        if (dodatno % velikost != 0 || vBloku < 0 || vBloku > naBlok || prebranih + vBloku > stVrstic)
            throw neberljiva(QStringLiteral("blok %1 ne ustreza glavi tabele").arg(b));
        bloki << Blok{zacetek + 6, vBloku};
        prebranih += vBloku;
        zadnji = b;
        b = dvaBajta(zacetek);
    }
    if (prebranih != stVrstic || (stVrstic > 0 && zadnji != zadnjiBlok))
        throw neberljiva(QStringLiteral("glava šteje %1 zapisov, bloki jih imajo %2").arg(stVrstic).arg(prebranih));

    static const bool zagnan = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(zagnan);

    QString napake;
    std::unique_ptr<pxdoc_t, ZapriPx> d(PX_new3(zabeleziNapako, nullptr, nullptr, nullptr, &napake));
    if (!d)
        throw neberljiva(QString());
    if (PX_open_file(d.get(), QFile::encodeName(pot).constData()) < 0 || !d->px_head) {
        // A failed open leaves nothing to close.
        PX_delete(d.release());
        throw neberljiva(napake);
    }
    const pxhead_t* glava = d->px_head;
    if (glava->px_encryption != 0)
        throw neberljiva(QStringLiteral("tabela je šifrirana"));

    // Alpha fields are stored in the code page named in the header.
    QStringDecoder dekoder(QStringLiteral("CP%1").arg(glava->px_doscodepage).toLatin1().constData());
    if (glava->px_doscodepage <= 0 || !dekoder.isValid())
        dekoder = QStringDecoder("windows-1250");

    ParadoxTabela t;
    const int stPolj = PX_get_num_fields(d.get());
    pxfield_t* polja = PX_get_fields(d.get());
    if (stPolj <= 0 || !polja)
        throw neberljiva(napake);
    QList<int> odmiki;
    int odmik = 0;
    for (int i = 0; i < stPolj; ++i) {
        const QString imePolja = QString::fromLatin1(polja[i].px_fname ? polja[i].px_fname : "");
        if (!dolzinaUstreza(polja[i].px_ftype, polja[i].px_flen))
            throw neberljiva(QStringLiteral("polje %1 ima neznano vrsto %2 ali napačno dolžino %3")
                                 .arg(imePolja)
                                 .arg(int(polja[i].px_ftype))
                                 .arg(polja[i].px_flen));
        t.m_polja << imePolja;
        t.m_stevilsko << jeStevilskaVrsta(polja[i].px_ftype);
        odmiki << odmik;
        odmik += polja[i].px_flen;
    }
    if (velikost != odmik || PX_get_recordsize(d.get()) != velikost)
        throw neberljiva(QStringLiteral("zapis ima %1 bajtov, njegova polja pa %2").arg(velikost).arg(odmik));

    t.m_vrstice.reserve(static_cast<qsizetype>(stVrstic));
    for (const Blok& bl : bloki) {
        for (qint64 r = 0; r < bl.stevilo; ++r) {
            const uchar* zapis = bl.zapisi + r * velikost;
            QVariantList vrstica;
            vrstica.reserve(stPolj);
            for (int i = 0; i < stPolj; ++i)
                vrstica << vrednost(d.get(), polja[i], zapis + odmiki.at(i), dekoder);
            t.m_vrstice << vrstica;
        }
    }
    return t;
}
