#include "demozokdll.h"

#include "besedilo1250.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <optional>

// pxlib's header declares no C linkage of its own.
extern "C" {
#include <paradox.h>
}

namespace {

struct Vrstica {
    const char* konto;
    std::optional<double> obrrev30, obrrev180, obrrev999;
};

const Vrstica kVrstice[] = {
    {"1000", 100.00, 20.00, 1.00},
    {"1000", 50.50, -5.25, 2.00},
    {"1200", 1000.00, 0.00, 250.00},
    {"1200", -300.00, 125.00, std::nullopt},
    {"2100", 12.34, 56.78, 3.00},
    {"4000", 10.10, 1.00, 0.00},
    {"4000", 20.20, 2.00, 0.00},
    {"4000", 30.30, 3.00, 0.00},
    {"4000", std::nullopt, std::nullopt, std::nullopt},
};

constexpr int kDolzinaKonta = 15;
constexpr int kDolzinaStevila = 8;

// Writes the table into `pot`; the reason when pxlib refuses.
QString zapisi(const QString& pot)
{
    pxdoc_t* d = PX_new();
    if (!d)
        return QStringLiteral("Knjižnica pxlib ne more začeti tabele.");
    // pxlib owns the field list from here on and frees it with the document.
    auto* polja = static_cast<pxfield_t*>(d->malloc(d, 4 * sizeof(pxfield_t), "ZOKDLL polja"));
    const char* const imena[] = {"KONTOGLV", "OBRREV30", "OBRREV180", "OBRREV999"};
    for (int i = 0; i < 4; ++i) {
        polja[i].px_fname = PX_strdup(d, imena[i]);
        polja[i].px_ftype = i == 0 ? pxfAlpha : pxfNumber;
        polja[i].px_flen = i == 0 ? kDolzinaKonta : kDolzinaStevila;
        polja[i].px_fdc = 0;
    }
    if (PX_create_file(d, polja, 4, QFile::encodeName(pot).constData(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(d);
        return QStringLiteral("Tabele %1 ni mogoče ustvariti.").arg(pot);
    }
    PX_set_value(d, "codepage", 1250);

    QString napaka;
    QByteArray zapis(PX_get_recordsize(d), '\0');
    for (const Vrstica& v : kVrstice) {
        zapis.fill('\0');
        char* p = zapis.data();
        QByteArray konto = vWin1250(QString::fromLatin1(v.konto));
        PX_put_data_alpha(d, p, kDolzinaKonta, konto.data());
        p += kDolzinaKonta;
        // A number left as zero bytes is an empty field.
        for (const std::optional<double>& z : {v.obrrev30, v.obrrev180, v.obrrev999}) {
            if (z)
                PX_put_data_double(d, p, kDolzinaStevila, *z);
            p += kDolzinaStevila;
        }
        if (PX_put_record(d, zapis.data()) < 0 && napaka.isEmpty())
            napaka = QStringLiteral("Vrstice tabele %1 ni mogoče zapisati.").arg(pot);
    }
    PX_close(d);
    PX_delete(d);
    return napaka;
}

} // namespace

QString ustvariDemoZokdll(const QString& pot)
{
    if (QFileInfo::exists(pot))
        return QString();
    // pxlib makes the table under a work name and it takes the final name when
    // complete. Not a QTemporaryFile: that creates its file readable by its owner only,
    // and the renamed table is to have the permissions of any new file, as pxlib gives it.
    const QString zacasna = pot + QStringLiteral(".part");
    QFile::remove(zacasna);
    const QString napaka = zapisi(zacasna);
    if (!napaka.isEmpty()) {
        QFile::remove(zacasna);
        return napaka;
    }
    QFile datoteka(zacasna);
    if (!datoteka.rename(pot)) {
        const QString razlog = datoteka.errorString();
        QFile::remove(zacasna);
        return QStringLiteral("Ne morem preimenovati %1 v %2: %3").arg(zacasna, pot, razlog);
    }
    return QString();
}
