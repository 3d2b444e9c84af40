#include "moznosti.h"

#include "belezenje.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#include <iostream>
#include <string>

QString opisIzhodnihKod()
{
    return QStringLiteral("Izhodne kode:\n"
                          "  0    opravljeno\n"
                          "  1    neuspešno (razlog je izpisan)\n"
                          "  2    zavrnjena raba (napačne ali manjkajoče možnosti, odvečni argumenti)\n"
                          "  3    opravljeno z opozorili ali ni bilo česa zapisati\n"
                          "  130  ustavljeno s signalom (SIGINT, SIGTERM)\n");
}

std::optional<QDate> preberiDatumIso(const QString& besedilo)
{
    static const QRegularExpression oblika(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
    if (!oblika.match(besedilo).hasMatch())
        return std::nullopt;
    const QDate datum = QDate::fromString(besedilo, QStringLiteral("yyyy-MM-dd"));
    if (!datum.isValid())
        return std::nullopt;
    return datum;
}

UkaznaVrstica::UkaznaVrstica(const QString& ukaz, const QString& opis, const QStringList& primeri)
    : m_ukaz(ukaz), m_opis(opis), m_primeri(primeri)
{
    m_p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    dodaj({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Pokaže to pomoč in konča."), {}});
    dodaj({{QStringLiteral("aliases")},
           QStringLiteral("Datoteka aliasov (namesto spremenljivke okolja LEDGXFER_ALIASES)."),
           QStringLiteral("DATOTEKA")});
}

void UkaznaVrstica::dodaj(const Moznost& m)
{
    m_moznosti << m;
    m_p.addOption(QCommandLineOption(m.imena, m.opis, m.vrednost));
}

void UkaznaVrstica::dodajPrijavo()
{
    m_prijava = true;
    dodaj({{QStringLiteral("alias")}, QStringLiteral("Alias baze."), QStringLiteral("A")});
    dodaj({{QStringLiteral("user")}, QStringLiteral("Uporabnik baze."), QStringLiteral("U")});
    dodaj({{QStringLiteral("password")},
           QStringLiteral("Geslo (vidno drugim uporabnikom v seznamu procesov; raje LEDGXFER_PASSWORD "
                          "ali --password-stdin)."),
           QStringLiteral("P")});
    dodaj({{QStringLiteral("password-stdin")},
           QStringLiteral("Geslo se prebere iz prve vrstice standardnega vhoda."),
           {}});
}

void UkaznaVrstica::aliasiSoIzhod(const QString& opis)
{
    m_beriAliase = false;
    for (Moznost& m : m_moznosti) {
        if (m.imena.contains(QStringLiteral("aliases")))
            m.opis = opis;
    }
}

void UkaznaVrstica::brezAliasov()
{
    m_brezAliasov = true;
    m_beriAliase = false;
    m_moznosti.removeIf([](const Moznost& m) { return m.imena.contains(QStringLiteral("aliases")); });
}

QString UkaznaVrstica::pomoc() const
{
    QString b = QStringLiteral("Uporaba: ledgxfer-batch %1 [možnosti]\n\n%2\n\nMožnosti:\n").arg(m_ukaz, m_opis);
    for (const Moznost& m : m_moznosti) {
        QStringList imena;
        for (const QString& i : m.imena)
            imena << (i.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + i;
        QString levo = imena.join(QStringLiteral(", "));
        if (!m.vrednost.isEmpty())
            levo += u' ' + m.vrednost;
        b += QStringLiteral("  %1 %2\n").arg(levo, -26).arg(m.opis);
    }
    if (m_prijava)
        b += QStringLiteral("\nGeslo prijave: --password, --password-stdin ali spremenljivka okolja "
                            "LEDGXFER_PASSWORD (v tem vrstnem redu).\n");
    b += m_primeri.size() == 1 ? QStringLiteral("\nPrimer:\n") : QStringLiteral("\nPrimeri:\n");
    for (const QString& p : m_primeri)
        b += QStringLiteral("  ") + p + u'\n';
    b += u'\n' + (m_izhodneKode.isEmpty() ? opisIzhodnihKod() : m_izhodneKode);
    return b;
}

int UkaznaVrstica::zavrni(TerminalOkolje& okolje, const QString& besedilo) const
{
    okolje.napaka(besedilo + QStringLiteral("\nZa pomoč: ledgxfer-batch %1 --help").arg(m_ukaz));
    return kZavrnjeno;
}

std::optional<int> UkaznaVrstica::razcleni(const QStringList& argumenti, TerminalOkolje& okolje,
                                           const QStringList& obvezne)
{
    // The parser knows --aliases for every command; a command without it refuses it
    // here, where it stands as an option (not as the value of another one).
    if (m_brezAliasov) {
        for (qsizetype i = 0; i < argumenti.size(); ++i) {
            const QString& a = argumenti.at(i);
            if (a == u"--")
                break;
            QString ime = a;
            while (ime.startsWith(u'-'))
                ime.remove(0, 1);
            if (ime.isEmpty() || ime.size() == a.size())
                continue;
            const bool zVrednostjo = ime.contains(u'=');
            ime = ime.section(u'=', 0, 0);
            if (ime == u"aliases")
                return zavrni(okolje, QStringLiteral("Neznana možnost: --aliases"));
            for (const Moznost& m : m_moznosti) {
                if (!zVrednostjo && m.imena.contains(ime) && !m.vrednost.isEmpty())
                    ++i; // the next argument is this option's value
            }
        }
    }
    if (!m_p.parse(QStringList{m_ukaz} + argumenti)) {
        if (!m_p.unknownOptionNames().isEmpty()) {
            const QString ime = m_p.unknownOptionNames().constFirst();
            return zavrni(okolje, QStringLiteral("Neznana možnost: %1%2")
                                      .arg(ime.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), ime));
        }
        // QCommandLineParser says the rest in its own words ("Missing value after '--x'.",
        // "Unexpected value after '--x'.", or their translation): said again in the
        // program's own sentences.
        const QString e = m_p.errorText();
        const QRegularExpressionMatch ime = QRegularExpression(QStringLiteral("'([^']*)'")).match(e);
        const QString opcija = ime.hasMatch() ? ime.captured(1) : QString();
        if (e.startsWith(QLatin1String("Missing value")) || e.startsWith(QStringLiteral("Manjka vrednost")))
            return zavrni(okolje, QStringLiteral("Možnosti %1 manjka vrednost.").arg(opcija));
        if (e.startsWith(QLatin1String("Unexpected value")) || e.startsWith(QStringLiteral("Nepričakovana vrednost")))
            return zavrni(okolje, QStringLiteral("Možnost %1 ne sprejme vrednosti.").arg(opcija));
        qCWarning(lcCli) << "ukazna vrstica:" << e;
        return zavrni(okolje, QStringLiteral("Napačna ukazna vrstica."));
    }
    if (m_p.isSet(QStringLiteral("help"))) {
        std::fputs(pomoc().toUtf8().constData(), stdout);
        std::fflush(stdout);
        return kOpravljeno;
    }
    if (!m_p.positionalArguments().isEmpty())
        return zavrni(okolje, QStringLiteral("Odvečni argumenti: %1").arg(m_p.positionalArguments().join(u' ')));
    for (const QString& o : obvezne) {
        if (!m_p.isSet(o))
            return zavrni(okolje, QStringLiteral("Manjka --%1.").arg(o));
    }
    if (m_p.optionNames().contains(QStringLiteral("password"))
        && m_p.optionNames().contains(QStringLiteral("password-stdin")))
        return zavrni(okolje, QStringLiteral("--password in --password-stdin se izključujeta."));
    if (m_beriAliase && m_p.isSet(QStringLiteral("aliases"))) {
        const QFileInfo aliasi(m_p.value(QStringLiteral("aliases")));
        if (!aliasi.isFile())
            return zavrni(okolje, QStringLiteral("--aliases ne imenuje obstoječe datoteke: %1")
                                      .arg(m_p.value(QStringLiteral("aliases"))));
        // The connections of the run (and the second ones under "LB") read the file
        // that the environment names.
        qputenv("LEDGXFER_ALIASES", aliasi.absoluteFilePath().toLocal8Bit());
    }
    return std::nullopt;
}

bool UkaznaVrstica::imaGeslo() const
{
    return m_p.isSet(QStringLiteral("password")) || m_p.isSet(QStringLiteral("password-stdin"))
           || qEnvironmentVariableIsSet("LEDGXFER_PASSWORD");
}

QString UkaznaVrstica::geslo()
{
    if (m_geslo)
        return *m_geslo;
    if (m_p.isSet(QStringLiteral("password"))) {
        m_geslo = m_p.value(QStringLiteral("password"));
    } else if (m_p.isSet(QStringLiteral("password-stdin"))) {
        std::string vrstica;
        std::getline(std::cin, vrstica);
        if (!vrstica.empty() && vrstica.back() == '\r')
            vrstica.pop_back();
        m_geslo = QString::fromLocal8Bit(vrstica.data(), qsizetype(vrstica.size()));
    } else {
        m_geslo = qEnvironmentVariable("LEDGXFER_PASSWORD");
    }
    return *m_geslo;
}
