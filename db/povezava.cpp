#include "povezava.h"
#include "belezenje.h"
#include "napaka.h"
#include "belezenje.h"
#include "narecje.h"

#include <QSqlError>
#include <QFileInfo>
#include <QSet>
#include <QSqlQuery>

namespace povezava {

namespace {

QSet<QString>& odprte()
{
    static QSet<QString> s;
    return s;
}

struct Prijava {
    std::optional<Alias> alias; // where the login was made
    QString uporabnik, geslo;
};

Prijava& prijava()
{
    static Prijava p;
    return p;
}

QString imeGonilnika(const QString& driver)
{
    if (driver == u"sqlite")
        return QStringLiteral("QSQLITE");
    if (driver == u"postgresql")
        return QStringLiteral("QPSQL");
    if (driver == u"odbc")
        return QStringLiteral("QODBC");
    return {};
}

} // namespace

namespace {

QString odpriPovezavo(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik,
                      const QString& geslo, const Aliasi& aliasi)
{
    const std::optional<Alias> alias = aliasi.najdi(aliasIme);
    if (!alias) {
        QString razlog = QStringLiteral("Alias ne obstaja: %1 (datoteka z aliasi %2").arg(aliasIme, aliasi.pot());
        if (!aliasi.napakaBranja().isEmpty())
            razlog += QStringLiteral(": ") + aliasi.napakaBranja();
        return razlog + u')';
    }
    const QString gonilnik = imeGonilnika(alias->driver);
    if (gonilnik.isEmpty())
        return QStringLiteral("Neznan gonilnik: %1").arg(alias->driver);
    if (!QSqlDatabase::isDriverAvailable(gonilnik))
        return QStringLiteral("Gonilnik %1 ni na voljo").arg(gonilnik);

    // The engine never creates a database: an SQLite alias must lead to an existing file.
    if (gonilnik == u"QSQLITE" && !QFileInfo(alias->database).isFile())
        return QStringLiteral("Baza ne obstaja: %1").arg(alias->database);

    QSqlDatabase db = QSqlDatabase::addDatabase(gonilnik, imePovezave);
    db.setDatabaseName(alias->database);
    if (!alias->host.isEmpty())
        db.setHostName(alias->host);
    if (alias->port > 0)
        db.setPort(alias->port);
    db.setUserName(uporabnik);
    db.setPassword(geslo);
    if (!db.open()) {
        const QString razlog = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(imePovezave);
        return razlog.isEmpty() ? QStringLiteral("Povezave ni mogoče odpreti") : razlog;
    }
    if (gonilnik == u"QSQLITE") {
        // SQLite opens any file; one that is no database fails at its first read.
        QSqlQuery poskus(db);
        // A database that another connection holds locked is a database all the same.
        const bool prebrana = poskus.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        if (!prebrana && !narecje::jeZaklep(poskus.lastError(), QSqlDriver::SQLite)) {
            const QString razlog = poskus.lastError().text();
            poskus = QSqlQuery();
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(imePovezave);
            return razlog;
        }
        // LIKE compares case-sensitively, as on the production server. SQLite ignores
        // this pragma without an error while another statement is still active on the
        // connection, so the probe is finished first.
        poskus.finish();
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA case_sensitive_like=ON")))
            qCWarning(lcDb) << "case_sensitive_like:" << pragma.lastError().text();
        // Write-ahead logging: other users keep reading while a transfer holds the
        // write lock. A database whose folder or file is read only keeps its journal.
        const QFileInfo datoteka(alias->database);
        if (!prebrana) {
            qCWarning(lcDb).noquote() << "Baza" << alias->database << "je zaklenjena:" << poskus.lastError().text();
        } else if (datoteka.isWritable() && QFileInfo(datoteka.absolutePath()).isWritable()) {
            QSqlQuery wal(db);
            if (!wal.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
                qCWarning(lcDb).noquote() << "WAL za" << alias->database << "ni vklopljen:" << wal.lastError().text();
        }
    }
    odprte().insert(imePovezave);
    return {};
}

} // namespace

QString odpri(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik,
              const QString& geslo, const Aliasi& aliasi)
{
    zapri(imePovezave);
    const QString razlog = odpriPovezavo(imePovezave, aliasIme, uporabnik, geslo, aliasi);
    if (!razlog.isEmpty())
        qCWarning(lcDb).noquote() << "Povezave" << imePovezave << "na alias" << aliasIme << "kot uporabnik"
                                  << (uporabnik.isEmpty() ? QStringLiteral("(brez)") : uporabnik)
                                  << "ni mogoče odpreti:" << razlog;
    return razlog;
}

void zapri(const QString& imePovezave)
{
    if (!QSqlDatabase::contains(imePovezave))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(imePovezave, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(imePovezave);
    odprte().remove(imePovezave);
}

void zapriVse()
{
    const QSet<QString> kopija = odprte();
    for (const QString& ime : kopija)
        zapri(ime);
}

void zapomniPrijavo(const QString& alias, const QString& uporabnik, const QString& geslo, const Aliasi& aliasi)
{
    prijava() = {aliasi.najdi(alias), uporabnik, geslo};
}

bool jeOdprta(const QString& ime)
{
    return QSqlDatabase::contains(ime) && QSqlDatabase::database(ime, false).isOpen();
}

QSqlDatabase zaIme(const QString& ime)
{
    if (jeOdprta(ime))
        return QSqlDatabase::database(ime, false);
    const Aliasi aliasi = Aliasi::preberi();
    const std::optional<Alias> alias = aliasi.najdi(ime);
    const bool svoj = alias && !alias->user.isEmpty();
    const bool prijavin = !svoj && alias && prijava().alias && istiStreznik(*alias, *prijava().alias);
    if (alias && !svoj && !prijavin && !prijava().uporabnik.isEmpty())
        qCInfo(lcDb).noquote() << "Alias" << ime << "vodi na drug strežnik kot prijava; povezava brez uporabnika prijave";
    const QString napaka = odpri(ime, ime, prijavin ? prijava().uporabnik : (alias ? alias->user : QString()),
                                 prijavin ? prijava().geslo : (alias ? alias->password : QString()), aliasi);
    if (!napaka.isEmpty())
        throw Napaka(napaka);
    return QSqlDatabase::database(ime, false);
}

} // namespace povezava

namespace povezava {
void prekini(const QString& ime)
{
    if (QSqlDatabase::contains(ime))
        QSqlDatabase::database(ime, false).close();
}
} // namespace povezava
