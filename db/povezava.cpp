#include "povezava.h"
#include "napaka.h"
#include "belezenje.h"

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

QString odpri(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik,
              const QString& geslo, const Aliasi& aliasi)
{
    zapri(imePovezave);
    const std::optional<Alias> alias = aliasi.najdi(aliasIme);
    if (!alias)
        return QStringLiteral("Alias ne obstaja: %1").arg(aliasIme);
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
        if (!poskus.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
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
    }
    odprte().insert(imePovezave);
    return {};
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

void zapomniPrijavo(const QString& uporabnik, const QString& geslo)
{
    prijava() = {uporabnik, geslo};
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
    const QString napaka = odpri(ime, ime, svoj ? alias->user : prijava().uporabnik,
                                 svoj ? alias->password : prijava().geslo, aliasi);
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
