#include "povezava.h"
#include "belezenje.h"
#include "napaka.h"
#include "belezenje.h"
#include "pogon.h"

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

// The kind of a failure of the driver's open, from the database's code or text. A
// server that refuses the login, a database that is not there and a server that
// cannot be reached say so in libpq's and the ODBC drivers' words.
Neuspeh vrstaNeuspeha(const QSqlError& napaka, const Pogon& pogon)
{
    const QString t = napaka.text();
    const auto vsebuje = [&t](const char* s) { return t.contains(QLatin1StringView(s), Qt::CaseInsensitive); };
    if (vsebuje("password authentication failed") || vsebuje("authentication failed") || vsebuje("no password supplied")
        || vsebuje("pg_hba.conf") || vsebuje("permission denied") || (vsebuje("role \"") && vsebuje("does not exist"))
        || vsebuje("SQLSTATE=28") || napaka.nativeErrorCode().startsWith(u"28"))
        return Neuspeh::Zavrnjena;
    if ((vsebuje("database \"") && vsebuje("does not exist")) || napaka.nativeErrorCode() == u"3D000")
        return Neuspeh::NiBaze;
    if (pogon.jeZaklep(napaka) || vsebuje("database is locked"))
        return Neuspeh::Zaklenjena;
    if (vsebuje("connection refused") || vsebuje("could not connect") || vsebuje("could not translate host name")
        || vsebuje("timeout expired") || vsebuje("no route to host") || vsebuje("network is unreachable")
        || napaka.nativeErrorCode().startsWith(u"08"))
        return Neuspeh::Nedosegljiv;
    return Neuspeh::Drugo;
}

Izid odpriPovezavo(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik, const QString& geslo,
                   const Aliasi& aliasi)
{
    const std::optional<Alias> alias = aliasi.najdi(aliasIme);
    if (!alias) {
        QString razlog = QStringLiteral("Alias ne obstaja: %1 (datoteka z aliasi %2").arg(aliasIme, aliasi.pot());
        if (!aliasi.napakaBranja().isEmpty())
            razlog += QStringLiteral(": ") + aliasi.napakaBranja();
        return {Neuspeh::NeznanAlias, razlog + u')'};
    }
    const QString gonilnik = imeGonilnika(alias->driver);
    if (gonilnik.isEmpty())
        return {Neuspeh::Gonilnik, QStringLiteral("Neznan gonilnik: %1").arg(alias->driver)};
    if (!QSqlDatabase::isDriverAvailable(gonilnik))
        return {Neuspeh::Gonilnik, QStringLiteral("Gonilnik %1 ni na voljo").arg(gonilnik)};

    // The engine never creates a database: an SQLite alias must lead to an existing file.
    if (gonilnik == u"QSQLITE" && !QFileInfo(alias->database).isFile())
        return {Neuspeh::NiBaze, QStringLiteral("Baza ne obstaja: %1").arg(alias->database)};

    QSqlDatabase db = QSqlDatabase::addDatabase(gonilnik, imePovezave);
    db.setDatabaseName(alias->database);
    if (!alias->host.isEmpty())
        db.setHostName(alias->host);
    if (alias->port > 0)
        db.setPort(alias->port);
    db.setUserName(uporabnik);
    db.setPassword(geslo);
    if (!db.open()) {
        const QSqlError napaka = db.lastError();
        const Neuspeh vrsta = vrstaNeuspeha(napaka, *Pogon::za(db));
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(imePovezave);
        // One line: libpq puts its hint on a line of its own.
        QStringList vrstice = napaka.text().split(u'\n', Qt::SkipEmptyParts);
        for (QString& v : vrstice)
            v = v.trimmed();
        vrstice.removeAll(QString());
        const QString razlog = vrstice.join(u' ');
        return {vrsta, razlog.isEmpty() ? QStringLiteral("Povezave ni mogoče odpreti") : razlog};
    }
    // The engine readies the connection; a file that is no database is refused.
    if (const std::optional<QSqlError> napaka = Pogon::za(db)->pripraviPovezavo()) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(imePovezave);
        return {Neuspeh::NiBaze, napaka->text()};
    }
    odprte().insert(imePovezave);
    return {};
}

} // namespace

Izid odpriZIzidom(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik, const QString& geslo,
                  const Aliasi& aliasi)
{
    zapri(imePovezave);
    const Izid izid = odpriPovezavo(imePovezave, aliasIme, uporabnik, geslo, aliasi);
    if (!izid.odprta())
        qCWarning(lcDb).noquote() << "Povezave" << imePovezave << "na alias" << aliasIme << "kot uporabnik"
                                  << (uporabnik.isEmpty() ? QStringLiteral("(brez)") : uporabnik)
                                  << "ni mogoče odpreti:" << izid.razlog;
    return izid;
}

QString odpri(const QString& imePovezave, const QString& aliasIme, const QString& uporabnik, const QString& geslo,
              const Aliasi& aliasi)
{
    return odpriZIzidom(imePovezave, aliasIme, uporabnik, geslo, aliasi).razlog;
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

bool jeOdprta(const QString& ime) { return QSqlDatabase::contains(ime) && QSqlDatabase::database(ime, false).isOpen(); }

QSqlDatabase zaIme(const QString& ime)
{
    if (jeOdprta(ime))
        return QSqlDatabase::database(ime, false);
    const Aliasi aliasi = Aliasi::preberi();
    const std::optional<Alias> alias = aliasi.najdi(ime);
    const bool svoj = alias && !alias->user.isEmpty();
    const bool prijavin = !svoj && alias && prijava().alias && istiStreznik(*alias, *prijava().alias);
    if (alias && !svoj && !prijavin && !prijava().uporabnik.isEmpty())
        qCInfo(lcDb).noquote() << "Alias" << ime
                               << "vodi na drug strežnik kot prijava; povezava brez uporabnika prijave";
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
