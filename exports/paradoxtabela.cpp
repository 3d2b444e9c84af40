#include "paradoxtabela.h"
#include "napaka.h"
#include "vhodnadatoteka.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

// pxlib is a C library whose header does not declare C linkage itself.
extern "C" {
#include <paradox.h>
}

#include <bit>
#include <cerrno>
#include <cstdio>
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
    case pxfBCD: return true;
    default: return false;
    }
}

// Whether a field of this type may have this length in a table file.
bool dolzinaUstreza(char vrsta, int dolzina)
{
    switch (vrsta) {
    case pxfAlpha: return dolzina >= 1 && dolzina <= 255;
    case pxfShort: return dolzina == 2;
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime: return dolzina == 4;
    case pxfNumber:
    case pxfCurrency:
    case pxfTimestamp: return dolzina == 8;
    case pxfLogical: return dolzina == 1;
    case pxfBCD: return dolzina == 17;
    case pxfBytes: return dolzina >= 1 && dolzina <= 255;
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic: return dolzina >= 10 && dolzina <= 250;
    default: return false;
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
// sort as the values do; only the field's own bytes are read: two or four, as its
// type's width was checked.
qint64 celo(const uchar* podatki, int dolzina)
{
    if (dolzina == 2)
        return static_cast<qint16>(qFromBigEndian<quint16>(podatki) ^ 0x8000u);
    return static_cast<qint32>(qFromBigEndian<quint32>(podatki) ^ 0x80000000u);
}

// A floating-point number: big-endian; a positive value has its sign bit inverted, a
// negative one all its bits.
double realno(const uchar* podatki)
{
    quint64 v = qFromBigEndian<quint64>(podatki);
    v = (v & (quint64(1) << 63)) ? v & ~(quint64(1) << 63) : ~v;
    return std::bit_cast<double>(v);
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
    case pxfAlpha: return besedilo(podatki, len, dekoder);
    case pxfShort:
    case pxfLong:
    case pxfAutoInc: return QVariant(celo(podatki, len));
    case pxfNumber:
    case pxfCurrency: return QVariant(realno(podatki));
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
    case pxfLogical: return QVariant((podatki[0] & 0x7f) != 0);
    case pxfDate: return datumDneva(celo(podatki, 4));
    case pxfTime: return QTime::fromMSecsSinceStartOfDay(static_cast<int>(celo(podatki, 4)));
    case pxfTimestamp: {
        // Milliseconds since the start of day 1 (1.1.0001).
        const qint64 ms = static_cast<qint64>(realno(podatki));
        return QDateTime(datumDneva(ms / 86400000), QTime::fromMSecsSinceStartOfDay(int(ms % 86400000)));
    }
    default: return {}; // memos, pictures and bytes are not needed here
    }
}

// The header and the blocks keep their numbers little-endian.
quint16 dvaBajta(const uchar* p) { return qFromLittleEndian<quint16>(p); }
quint32 stiriBajte(const uchar* p) { return qFromLittleEndian<quint32>(p); }

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

    // Only a regular file, and no more of it than a table can have: 65,535 blocks of
    // 32 KB after a header of at most 64 KB. A device, a FIFO or a larger file is
    // refused before anything is read.
    constexpr qint64 kNajvecBajtov = 0xffff + qint64(0xffff) * 32 * 1024;
    QString razlog;
    const std::optional<QByteArray> prebrano = preberiVhodnoDatoteko(pot, kNajvecBajtov, razlog);
    if (!prebrano)
        throw neberljiva(razlog);
    const QByteArray& vsebina = *prebrano;
    const auto* bajti = reinterpret_cast<const uchar*>(vsebina.constData());
    const qint64 velikostDatoteke = vsebina.size();

    // Every field of the header that pxlib trusts is checked against the file here,
    // before pxlib reads it, with work bounded by the file's size: pxlib follows the
    // block chain, the field count and the encryption flag without limits of its own.
    constexpr qsizetype kOsnovnaGlava = 0x58; // the common part of every header
    if (velikostDatoteke < kOsnovnaGlava)
        throw neberljiva(QStringLiteral("datoteka ima le %1 bajtov (okrnjena glava)").arg(velikostDatoteke));
    const int velikost = dvaBajta(bajti + 0x00);
    const qint64 glavaBajtov = dvaBajta(bajti + 0x02);
    const int vrstaDatoteke = bajti[0x04];
    const int kb = bajti[0x05];
    const qint64 stVrstic = stiriBajte(bajti + 0x06);
    const qint64 stBlokov = dvaBajta(bajti + 0x0c);
    const quint32 prviBlok = dvaBajta(bajti + 0x0e);
    const quint32 zadnjiBlok = dvaBajta(bajti + 0x10);
    const qint64 stPoljGlave = dvaBajta(bajti + 0x21);
    const quint32 sifriranje1 = stiriBajte(bajti + 0x25);
    const int razlicica = bajti[0x39];
    if (vrstaDatoteke != pxfFileTypIndexDB && vrstaDatoteke != pxfFileTypNonIndexDB)
        throw neberljiva(QStringLiteral("to ni datoteka s podatki"));
    if (razlicica < 3 || razlicica > 15)
        throw neberljiva(QStringLiteral("neznana različica datoteke (%1)").arg(razlicica));
    // From version 4.0 on a data file has a second part of the header before the fields.
    const bool razsirjena = razlicica >= 5;
    const qsizetype zacetekPolj = razsirjena ? 0x78 : kOsnovnaGlava;
    if (glavaBajtov < zacetekPolj || velikostDatoteke < glavaBajtov)
        throw neberljiva(
            QStringLiteral("glava ima %1 bajtov, datoteka %2 (okrnjena glava)").arg(glavaBajtov).arg(velikostDatoteke));
    // The encryption is looked at first: an encrypted table's blocks cannot agree with
    // anything else, and the operator is to hear that it is encrypted.
    quint32 sifriranje = sifriranje1;
    if (sifriranje1 == 0xFF00FF00u)
        sifriranje = razsirjena ? stiriBajte(bajti + 0x5c) : 0;
    if (sifriranje != 0)
        throw neberljiva(QStringLiteral("tabela je šifrirana"));
    if (kb != 1 && kb != 2 && kb != 4 && kb != 8 && kb != 16 && kb != 32)
        throw neberljiva(QStringLiteral("neznana velikost bloka (%1 KB)").arg(kb));
    const qint64 blok = qint64(kb) * 1024;
    if (velikost <= 0 || velikost > blok - 6)
        throw neberljiva(QStringLiteral("zapis z %1 bajti ne gre v blok").arg(velikost));

    // The fields: at least one byte each, so no more of them than the record has bytes;
    // their types and lengths, the pointers after them, the table's name and the field
    // names must all lie within the header.
    if (stPoljGlave < 1 || stPoljGlave > velikost)
        throw neberljiva(QStringLiteral("glava šteje %1 polj pri zapisu z %2 bajti").arg(stPoljGlave).arg(velikost));
    const qint64 dolzinaImenaTabele = razlicica == 12 ? 261 : 79;
    const qint64 zacetekImen = zacetekPolj + stPoljGlave * 2 + 4 + stPoljGlave * 4 + dolzinaImenaTabele;
    if (zacetekImen > glavaBajtov)
        throw neberljiva(QStringLiteral("opis %1 polj ne gre v glavo z %2 bajti").arg(stPoljGlave).arg(glavaBajtov));
    struct OpisPolja {
        char vrsta;
        int dolzina;
        QString ime;
    };
    QList<OpisPolja> opisi;
    int vsotaDolzin = 0;
    qint64 kjeIme = zacetekImen;
    for (qint64 i = 0; i < stPoljGlave; ++i) {
        const char vrsta = static_cast<char>(bajti[zacetekPolj + 2 * i]);
        const int velikostPolja = bajti[zacetekPolj + 2 * i + 1];
        // A BCD field keeps its number of decimals where the others keep their length.
        const int dolzina = vrsta == pxfBCD ? 17 : velikostPolja;
        qint64 konec = kjeIme;
        while (konec < glavaBajtov && bajti[konec] != 0)
            ++konec;
        if (konec >= glavaBajtov)
            throw neberljiva(QStringLiteral("ime polja %1 ne konča v glavi").arg(i + 1));
        const QString imePolja = QString::fromLatin1(reinterpret_cast<const char*>(bajti + kjeIme), konec - kjeIme);
        kjeIme = konec + 1;
        if (!dolzinaUstreza(vrsta, dolzina) || (vrsta == pxfBCD && velikostPolja > 32))
            throw neberljiva(QStringLiteral("polje %1 ima neznano vrsto %2 ali napačno dolžino %3")
                                 .arg(imePolja)
                                 .arg(int(vrsta))
                                 .arg(velikostPolja));
        vsotaDolzin += dolzina;
        opisi << OpisPolja{vrsta, dolzina, imePolja};
    }
    if (vsotaDolzin != velikost)
        throw neberljiva(QStringLiteral("zapis ima %1 bajtov, njegova polja pa %2").arg(velikost).arg(vsotaDolzin));

    // The blocks: every block the header counts begins within the file. The last one in
    // the file may be shorter than a full block (a table written so keeps only the
    // records it holds); the records of every block of the chain must lie in the file.
    if (stBlokov > 0 && glavaBajtov + (stBlokov - 1) * blok + 6 > velikostDatoteke)
        throw neberljiva(QStringLiteral("datoteka ima %1 bajtov, po glavi bi jih morala imeti vsaj %2 "
                                        "(okrnjena datoteka)")
                             .arg(velikostDatoteke)
                             .arg(glavaBajtov + (stBlokov - 1) * blok + 6));

    // The data blocks in the order of the chain: where each starts, how many records.
    // The chain is followed from the header's first block whatever the record count
    // says, visiting each block at most once.
    struct Blok {
        const uchar* zapisi;
        qint64 stevilo;
    };
    QList<Blok> bloki;
    const qint64 naBlok = (blok - 6) / velikost;
    QList<bool> obiskan(stBlokov + 1, false);
    qint64 prebranih = 0;
    quint32 b = prviBlok;
    quint32 zadnji = 0;
    while (b != 0) {
        if (b > stBlokov || obiskan.at(b))
            throw neberljiva(QStringLiteral("veriga blokov je pretrgana (blok %1)").arg(b));
        obiskan[b] = true;
        const qint64 odmikBloka = glavaBajtov + (qint64(b) - 1) * blok;
        const uchar* zacetek = bajti + odmikBloka;
        const int dodatno = static_cast<qint16>(dvaBajta(zacetek + 4));
        const qint64 vBloku = dodatno / velikost + 1;
        if (dodatno % velikost != 0 || vBloku < 0 || vBloku > naBlok)
            throw neberljiva(QStringLiteral("blok %1 ne ustreza glavi tabele").arg(b));
        if (odmikBloka + 6 + vBloku * velikost > velikostDatoteke)
            throw neberljiva(QStringLiteral("blok %1 ima %2 zapisov, datoteka pa se konča prej (okrnjena datoteka)")
                                 .arg(b)
                                 .arg(vBloku));
        bloki << Blok{zacetek + 6, vBloku};
        prebranih += vBloku;
        zadnji = b;
        b = dvaBajta(zacetek);
    }
    if (prebranih != stVrstic || (prebranih > 0 && zadnji != zadnjiBlok))
        throw neberljiva(QStringLiteral("glava šteje %1 zapisov, bloki jih imajo %2").arg(stVrstic).arg(prebranih));

    static const bool zagnan = [] {
        PX_boot();
        return true;
    }();
    Q_UNUSED(zagnan);

    // pxlib reads the bytes that were checked, not the path again (which could lead
    // to something else by now).
    std::unique_ptr<FILE, int (*)(FILE*)> tok(
        ::fmemopen(const_cast<char*>(vsebina.constData()), size_t(vsebina.size()), "rb"), &std::fclose);
    if (!tok)
        throw neberljiva(qt_error_string(errno));
    QString napake;
    std::unique_ptr<pxdoc_t, ZapriPx> d(PX_new3(zabeleziNapako, nullptr, nullptr, nullptr, &napake));
    if (!d)
        throw neberljiva(QString());
    if (PX_open_fp(d.get(), tok.get()) < 0 || !d->px_head) {
        // A failed open leaves nothing to close.
        PX_delete(d.release());
        throw neberljiva(napake);
    }
    const pxhead_t* glava = d->px_head;

    // Alpha fields are stored in the code page named in the header.
    QStringDecoder dekoder(QStringLiteral("CP%1").arg(glava->px_doscodepage).toLatin1().constData());
    if (glava->px_doscodepage <= 0 || !dekoder.isValid())
        dekoder = QStringDecoder("windows-1250");

    // pxlib must have read the header as it was checked above.
    ParadoxTabela t;
    const int stPolj = PX_get_num_fields(d.get());
    pxfield_t* polja = PX_get_fields(d.get());
    if (stPolj != stPoljGlave || !polja || PX_get_recordsize(d.get()) != velikost)
        throw neberljiva(napake.isEmpty() ? QStringLiteral("knjižnica je glavo prebrala drugače") : napake);
    QList<int> odmiki;
    int odmik = 0;
    for (int i = 0; i < stPolj; ++i) {
        if (polja[i].px_ftype != opisi.at(i).vrsta || polja[i].px_flen != opisi.at(i).dolzina)
            throw neberljiva(QStringLiteral("knjižnica je polje %1 prebrala drugače").arg(opisi.at(i).ime));
        t.m_polja << opisi.at(i).ime;
        t.m_stevilsko << jeStevilskaVrsta(polja[i].px_ftype);
        odmiki << odmik;
        odmik += polja[i].px_flen;
    }

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
