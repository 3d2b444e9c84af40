#include "paradoks_pomoc.h"
#include "besedilo1250.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

// pxlib is a C library whose header does not declare C linkage itself.
extern "C" {
#include <paradox.h>
}

#include <cstring>

bool ustvariZokdll(const QString& pot, const QList<ZokVnos>& vrstice, int dolzinaKonta)
{
    pxdoc_t* d = PX_new();
    if (!d)
        return false;
    // pxlib takes over the field list and frees it with the document.
    auto* polja = static_cast<pxfield_t*>(d->malloc(d, 4 * sizeof(pxfield_t), "polja"));
    const char* imena[] = {"KONTOGLV", "OBRREV30", "OBRREV180", "OBRREV999"};
    for (int i = 0; i < 4; ++i) {
        polja[i].px_fname = PX_strdup(d, imena[i]);
        polja[i].px_ftype = i == 0 ? pxfAlpha : pxfNumber;
        polja[i].px_flen = i == 0 ? dolzinaKonta : 8;
        polja[i].px_fdc = 0;
    }
    if (PX_create_file(d, polja, 4, QFile::encodeName(pot).constData(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(d);
        return false;
    }
    PX_set_value(d, "codepage", 1250);

    QByteArray zapis(PX_get_recordsize(d), '\0');
    bool ok = true;
    for (const ZokVnos& v : vrstice) {
        zapis.fill('\0');
        char* p = zapis.data();
        if (v.konto) {
            QByteArray b = vWin1250(*v.konto);
            PX_put_data_alpha(d, p, dolzinaKonta, b.data());
        }
        p += dolzinaKonta;
        for (const std::optional<double>& z : {v.obrrev30, v.obrrev180, v.obrrev999}) {
            if (z) // a field left all zero bytes is empty
                PX_put_data_double(d, p, 8, *z);
            p += 8;
        }
        if (PX_put_record(d, zapis.data()) < 0)
            ok = false;
    }
    PX_close(d);
    PX_delete(d);
    return ok;
}

bool ustvariTabelo(const QString& pot, const QList<PoljePx>& polja, const QList<QVariantList>& vrstice)
{
    pxdoc_t* d = PX_new();
    if (!d)
        return false;
    const int n = static_cast<int>(polja.size());
    auto* px = static_cast<pxfield_t*>(d->malloc(d, n * sizeof(pxfield_t), "polja"));
    for (int i = 0; i < n; ++i) {
        px[i].px_fname = PX_strdup(d, polja[i].ime);
        px[i].px_ftype = polja[i].vrsta;
        px[i].px_flen = polja[i].dolzina;
        px[i].px_fdc = polja[i].decimalke;
    }
    if (PX_create_file(d, px, n, QFile::encodeName(pot).constData(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(d);
        return false;
    }
    PX_set_value(d, "codepage", 1250);

    // Days from 1.1.0001 (day 1), as the table counts them.
    auto dan = [](const QDate& datum) { return static_cast<int>(datum.toJulianDay() - 1721425); };
    QByteArray zapis(PX_get_recordsize(d), '\0');
    bool ok = true;
    for (const QVariantList& v : vrstice) {
        zapis.fill('\0');
        char* p = zapis.data();
        for (int i = 0; i < n; ++i) {
            const PoljePx& f = polja[i];
            const QVariant& x = v.value(i);
            if (!x.isNull()) {
                switch (f.vrsta) {
                case pxfAlpha: {
                    QByteArray b = vWin1250(x.toString());
                    PX_put_data_alpha(d, p, f.dolzina, b.data());
                    break;
                }
                case pxfShort: PX_put_data_short(d, p, 2, static_cast<short>(x.toInt())); break;
                case pxfLong:
                case pxfAutoInc: PX_put_data_long(d, p, 4, x.toInt()); break;
                case pxfNumber:
                case pxfCurrency: PX_put_data_double(d, p, 8, x.toDouble()); break;
                case pxfBCD: {
                    QByteArray b = x.toString().toLatin1();
                    PX_put_data_bcd(d, p, f.decimalke, b.data());
                    break;
                }
                case pxfLogical: PX_put_data_byte(d, p, 1, x.toBool() ? 1 : 0); break;
                case pxfDate: PX_put_data_long(d, p, 4, dan(x.toDate())); break;
                case pxfTime: PX_put_data_long(d, p, 4, x.toTime().msecsSinceStartOfDay()); break;
                case pxfTimestamp: {
                    const QDateTime t = x.toDateTime();
                    PX_put_data_double(d, p, 8, double(dan(t.date())) * 86400000.0 + t.time().msecsSinceStartOfDay());
                    break;
                }
                default: ok = false;
                }
            }
            p += f.dolzina;
        }
        if (PX_put_record(d, zapis.data()) < 0)
            ok = false;
    }
    PX_close(d);
    PX_delete(d);
    return ok;
}
