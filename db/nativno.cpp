#include "nativno.h"

#include "belezenje.h"

#include <QHash>
#include <QMutex>
#include <QSqlDriver>

#include <atomic>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <dlfcn.h>
#define LEDG_NATIVNO_DLADDR 1
#endif

namespace nativno {

bool dovoljeno()
{
    const QString v = qEnvironmentVariable("LEDGXFER_NATIVNO").trimmed().toLower();
    const bool izklopljeno = v == u"0" || v == u"no" || v == u"ne" || v == u"off" || v == u"false";
    if (izklopljeno) {
        static std::atomic_bool povedano{false};
        if (!povedano.exchange(true))
            qCInfo(lcDb).noquote() << QStringLiteral("LEDGXFER_NATIVNO=") + v
                                          + QStringLiteral(": vse vrstice gredo skozi gonilnik");
    }
    return !izklopljeno;
}

namespace {

// The library that holds an address, for the reasons in the log.
QString knjiznica(const void* naslov)
{
#ifdef LEDG_NATIVNO_DLADDR
    Dl_info i{};
    if (naslov && dladdr(naslov, &i) && i.dli_fname)
        return QString::fromLocal8Bit(i.dli_fname);
#else
    Q_UNUSED(naslov);
#endif
    return QStringLiteral("?");
}

} // namespace

Dokaz istaFunkcija(const char* ime, const void* nasa, const void* gonilnikova)
{
    const QString f = QString::fromLatin1(ime);
    if (!nasa)
        return {false, QStringLiteral("program ne pozna funkcije %1").arg(f)};
    if (!gonilnikova)
        return {false, QStringLiteral("gonilnik ne izvaža funkcije %1 (knjižnica je morda skrita v njem)").arg(f)};
    if (nasa != gonilnikova)
        return {
            false,
            QStringLiteral("gonilnik kliče %1 iz %2, program iz %3").arg(f, knjiznica(gonilnikova), knjiznica(nasa))};
    return {true, QString()};
}

const void* funkcijaGonilnika(const QSqlDriver* gonilnik, const char* ime, QString* razlog)
{
    if (!gonilnik) {
        *razlog = QStringLiteral("ni gonilnika");
        return nullptr;
    }
#ifdef LEDG_NATIVNO_DLADDR
    // The driver object's first word points into its class's table of virtual
    // functions, which lives in the library of the plugin that made it.
    const void* tabela = nullptr;
    std::memcpy(&tabela, static_cast<const void*>(gonilnik), sizeof tabela);
    Dl_info vticnik{};
    if (!tabela || !dladdr(tabela, &vticnik) || !vticnik.dli_fname || !vticnik.dli_fbase) {
        *razlog = QStringLiteral("knjižnice gonilnika ni mogoče najti");
        return nullptr;
    }
    Dl_info program{};
    if (dladdr(reinterpret_cast<const void*>(&funkcijaGonilnika), &program) && program.dli_fbase == vticnik.dli_fbase) {
        // Built into the program: what its calls reach was decided when it was linked.
        *razlog = QStringLiteral("gonilnik je vgrajen v program");
        return nullptr;
    }
    void* rocaj = dlopen(vticnik.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    if (!rocaj) {
        *razlog = QStringLiteral("knjižnica gonilnika %1 ni naložena").arg(QString::fromLocal8Bit(vticnik.dli_fname));
        return nullptr;
    }
    // The plugin first, then the libraries it loads, in the order the loader binds them.
    dlerror();
    void* f = dlsym(rocaj, ime);
    dlclose(rocaj);
    if (!f)
        *razlog = QStringLiteral("gonilnik %1 ne izvaža funkcije %2")
                      .arg(QString::fromLocal8Bit(vticnik.dli_fname), QString::fromLatin1(ime));
    return f;
#else
    Q_UNUSED(ime);
    *razlog = QStringLiteral("na tem sistemu knjižnice gonilnika ni mogoče preveriti");
    return nullptr;
#endif
}

Dokaz knjiznicaGonilnika(const QSqlDriver* gonilnik, std::initializer_list<Funkcija> funkcije)
{
    static QMutex zaklep;
    static QHash<QString, Dokaz> dokazi; // by the plugin's library and the functions asked for

    const void* tabela = nullptr;
    if (gonilnik)
        std::memcpy(&tabela, static_cast<const void*>(gonilnik), sizeof tabela);
    QString kljuc = knjiznica(tabela);
    for (const Funkcija& f : funkcije)
        kljuc += u' ' + QString::fromLatin1(f.ime);
    QMutexLocker zaklenjeno(&zaklep);
    if (const auto it = dokazi.constFind(kljuc); it != dokazi.constEnd())
        return *it;
    Dokaz d{true, QString()};
    for (const Funkcija& f : funkcije) {
        QString razlog;
        const void* gonilnikova = funkcijaGonilnika(gonilnik, f.ime, &razlog);
        d = gonilnikova ? istaFunkcija(f.ime, f.nasa, gonilnikova) : Dokaz{false, razlog};
        if (!d)
            break;
    }
    if (d)
        qCDebug(lcDb).noquote() << "Gonilnik v" << kljuc << "kliče isto knjižnico kot program";
    else
        qCWarning(lcDb).noquote() << "Vrstice gredo skozi gonilnik, ker ročaj gonilnika ni dokazano naš:" << d.razlog;
    dokazi.insert(kljuc, d);
    return d;
}

} // namespace nativno
