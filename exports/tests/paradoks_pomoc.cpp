#include "paradoks_pomoc.h"
#include "besedilo1250.h"

#include <QFile>

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
