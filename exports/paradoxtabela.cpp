#include "paradoxtabela.h"
#include "napaka.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// pxlib is a C library whose header does not declare C linkage itself.
extern "C" {
#include <paradox.h>
}

#include <cstdlib>
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

// Text of an alpha field: the bytes up to the first zero byte, in the table's code
// page. A field that starts with a zero byte is empty.
QVariant besedilo(const char* podatki, int dolzina, QStringDecoder& dekoder)
{
    int n = 0;
    while (n < dolzina && podatki[n] != '\0')
        ++n;
    if (n == 0)
        return {};
    return QString(dekoder.decode(QByteArrayView(podatki, n)));
}

QVariant vrednost(pxdoc_t* d, const pxfield_t& polje, char* podatki, QStringDecoder& dekoder)
{
    const int len = polje.px_flen;
    switch (polje.px_ftype) {
    case pxfAlpha:
        return besedilo(podatki, len, dekoder);
    case pxfShort: {
        short v = 0;
        return PX_get_data_short(d, podatki, len, &v) > 0 ? QVariant(qint64(v)) : QVariant();
    }
    case pxfLong:
    case pxfAutoInc: {
        long v = 0;
        return PX_get_data_long(d, podatki, len, &v) > 0 ? QVariant(qint64(v)) : QVariant();
    }
    case pxfNumber:
    case pxfCurrency: {
        double v = 0;
        return PX_get_data_double(d, podatki, len, &v) > 0 ? QVariant(v) : QVariant();
    }
    case pxfBCD: {
        char* s = nullptr;
        const int r = PX_get_data_bcd(d, reinterpret_cast<unsigned char*>(podatki), polje.px_fdc, &s);
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
    case pxfLogical: {
        char v = 0;
        return PX_get_data_byte(d, podatki, len, &v) > 0 ? QVariant(v != 0) : QVariant();
    }
    case pxfDate: {
        long v = 0;
        if (PX_get_data_long(d, podatki, len, &v) <= 0)
            return {};
        int leto = 0, mesec = 0, dan = 0;
        // Days since 1.1.0001; the conversion counts from the start of the Julian period.
        PX_SdnToGregorian(v + 1721425L, &leto, &mesec, &dan);
        return QDate(leto, mesec, dan);
    }
    default:
        return {}; // memos, pictures and bytes are not needed here
    }
}

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
    if (glava->px_filetype != pxfFileTypIndexDB && glava->px_filetype != pxfFileTypNonIndexDB)
        throw neberljiva(QStringLiteral("to ni datoteka s podatki"));

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
        t.m_polja << QString::fromLatin1(polja[i].px_fname ? polja[i].px_fname : "");
        t.m_stevilsko << jeStevilskaVrsta(polja[i].px_ftype);
        odmiki << odmik;
        odmik += polja[i].px_flen;
    }
    const int velikost = PX_get_recordsize(d.get());
    if (velikost < odmik)
        throw neberljiva(QStringLiteral("zapis je krajši od svojih polj"));

    const int stVrstic = PX_get_num_records(d.get());
    QByteArray zapis(velikost, '\0');
    t.m_vrstice.reserve(qMax(stVrstic, 0));
    for (int r = 0; r < stVrstic; ++r) {
        if (!PX_get_record(d.get(), r, zapis.data()))
            throw neberljiva(napake.isEmpty() ? QStringLiteral("zapisa %1 ni mogoče prebrati").arg(r + 1)
                                              : napake);
        QVariantList vrstica;
        vrstica.reserve(stPolj);
        for (int i = 0; i < stPolj; ++i)
            vrstica << vrednost(d.get(), polja[i], zapis.data() + odmiki.at(i), dekoder);
        t.m_vrstice << vrstica;
    }
    return t;
}
