#include "mnozicnivnos.h"

#include "belezenje.h"
#include "isodatum.h"
#include "napaka.h"
#include "narecje.h"
#include "poizvedba.h"
#include "pgnativno.h"
#include "pogon.h"
#include "transakcija.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <libpq-fe.h>

namespace {

QSqlError napakaPostgreSQL(PGconn* c, const PGresult* r, const QString& kaj)
{
    const char* stanje = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    const char* sporocilo = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString besedilo = QString::fromUtf8(sporocilo ? sporocilo : PQerrorMessage(c)).trimmed();
    return QSqlError(kaj, besedilo, QSqlError::StatementError, QString::fromLatin1(stanje ? stanje : ""));
}

// One value in COPY's text format: \N for NULL, backslash escapes for the characters
// that end a field or a row. Numbers and dates are written without intermediate strings.
void dodajPolje(QByteArray& b, const QVariant& v)
{
    char stevke[32];
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const auto [konec, napaka] = std::to_chars(stevke, stevke + sizeof stevke, v.toLongLong());
        b.append(stevke, konec - stevke);
        return;
    }
    case QMetaType::Double: {
        // The shortest text that reads back as the same double.
        const double d = v.toDouble();
        if (std::isfinite(d)) {
            const auto [konec, napaka] = std::to_chars(stevke, stevke + sizeof stevke, d);
            b.append(stevke, konec - stevke);
        } else {
            b += QByteArray::number(d, 'g', 17);
        }
        return;
    }
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        char iso[10];
        if (!d.isValid())
            b += "\\N";
        else if (zapisiIsoDatum(d, iso))
            b.append(iso, sizeof iso);
        else
            b += d.toString(Qt::ISODate).toLatin1();
        return;
    }
    default:
        break;
    }
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isNull())) {
        b += "\\N";
        return;
    }
    const QByteArray besedilo = v.toString().toUtf8();
    const char* p = besedilo.constData();
    const char* const konec = p + besedilo.size();
    while (p < konec) {
        const char* q = p;
        while (q < konec && *q != '\\' && *q != '\t' && *q != '\n' && *q != '\r')
            ++q;
        b.append(p, q - p);
        if (q == konec)
            break;
        switch (*q) {
        case '\\': b += "\\\\"; break;
        case '\t': b += "\\t"; break;
        case '\n': b += "\\n"; break;
        default: b += "\\r"; break;
        }
        p = q + 1;
    }
}

} // namespace

MnozicniVnos::MnozicniVnos(Transakcija& tx, const QString& tabela, const QList<Stolpec>& stolpci, Zavrnjena zavrnjena)
    : m_tx(tx),
      m_baza(tx.baza()),
      m_pogon(Pogon::za(m_baza)),
      m_tabela(tabela),
      m_stolpci(stolpci),
      m_zavrnjena(std::move(zavrnjena)),
      m_vstavi(m_baza),
      m_vstaviSkupino(m_baza)
{
    switch (m_pogon->nacinVnosa()) {
    case Pogon::Vnos::ZacasnaTabela:
        m_nacin = Nacin::ZacasnaTabela;
        break;
    case Pogon::Vnos::Kopiranje:
        m_nacin = Nacin::Kopiranje;
        m_velikostSkupine = kSkupinaKopiranja;
        break;
    case Pogon::Vnos::Skupine:
        m_nacin = Nacin::Skupine;
        m_velikostSkupine = kSkupinaVrednosti;
        break;
    }
    qCDebug(lcDb).noquote() << "Vrstice v" << m_tabela << "gredo" << opisNacina();
}

MnozicniVnos::~MnozicniVnos() = default;

QString MnozicniVnos::opisNacina() const
{
    switch (m_nacin) {
    case Nacin::ZacasnaTabela: return QStringLiteral("prek začasne tabele");
    case Nacin::Kopiranje: return QStringLiteral("s COPY");
    case Nacin::Skupine: return QStringLiteral("v skupinah");
    case Nacin::Posamic: return QStringLiteral("posamič");
    }
    return {};
}

QString MnozicniVnos::seznamStolpcev() const
{
    QStringList imena;
    for (const Stolpec& s : m_stolpci)
        imena << s.ime;
    return imena.join(QStringLiteral(", "));
}

void MnozicniVnos::pripravi()
{
    if (m_pripravljeno)
        return;
    m_pripravljeno = true;
    QString cilj = m_tabela;
    if (m_nacin == Nacin::ZacasnaTabela) {
        // The rows wait in the connection's own temporary database; a write-ahead log
        // growing with every row would make each page the run reads slower to find.
        QStringList definicija;
        for (const Stolpec& s : m_stolpci)
            definicija << s.ime + u' ' + s.tip;
        cilj = QStringLiteral("temp.LEDGXFER_") + m_tabela;
        for (const QString& sql : {QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS LEDGXFER_%1 (%2)")
                                       .arg(m_tabela, definicija.join(QStringLiteral(", "))),
                                   QStringLiteral("DELETE FROM ") + cilj}) {
            QString napaka;
            if (!m_tx.poskusi(sql, {}, QStringLiteral("začasno tabelo"), &napaka))
                throw Napaka(napaka);
        }
    }
    const QString vprasaji = QStringLiteral("?,").repeated(m_stolpci.size()).chopped(1);
    const QString vstavi =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(cilj, seznamStolpcev(), vprasaji);
    if (m_nacin == Nacin::ZacasnaTabela) {
        m_vnosVrstice = m_pogon->vnosVrstice(vstavi);
        if (m_vnosVrstice)
            return;
    }
    if (!m_tx.vTocki([&] { return m_vstavi.prepare(m_pogon->prevedi(vstavi)); }))
        throw Napaka(narecje::besedilo(m_vstavi.lastError()));
    if (m_nacin == Nacin::Skupine) {
        QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(m_tabela, seznamStolpcev());
        for (int i = 0; i < m_velikostSkupine; ++i)
            sql += (i ? QStringLiteral(",(") : QStringLiteral("(")) + vprasaji + u')';
        if (!m_tx.vTocki([&] { return m_vstaviSkupino.prepare(m_pogon->prevedi(sql)); })) {
            qCWarning(lcDb).noquote() << "Vstavljanje skupin v" << m_tabela << "ni pripravljeno, vrstice gredo posamič:"
                                      << narecje::besedilo(m_vstaviSkupino.lastError());
            m_nacin = Nacin::Posamic;
            m_velikostSkupine = 0;
        }
    }
}

void MnozicniVnos::vstaviPosamic(const QVariantList& v)
{
    if (m_vnosVrstice) {
        // The engine undoes a failed statement by itself and the transaction goes on.
        if (const QSqlError napaka = m_vnosVrstice->vstavi(v); napaka.isValid())
            zavrnjena(v, napaka);
        return;
    }
    for (qsizetype i = 0; i < v.size(); ++i)
        m_vstavi.bindValue(int(i), v.at(i));
    if (m_nacin == Nacin::ZacasnaTabela) {
        // SQLite undoes a failed statement by itself; the transaction goes on.
        if (!m_vstavi.exec())
            zavrnjena(v, m_vstavi.lastError());
        return;
    }
    QSqlError napaka;
    if (!m_tx.vTocki([&] {
            if (m_vstavi.exec())
                return true;
            napaka = narecje::napakaStavka(m_vstavi);
            return false;
        }))
        zavrnjena(v, napaka);
}

void MnozicniVnos::zavrnjena(const QVariantList& v, const QSqlError& napaka)
{
    if (!m_pogon->jeZavrnjenaVrednost(napaka))
        throw Napaka(narecje::besedilo(napaka));
    m_zavrnjena(v, napaka);
}

bool MnozicniVnos::kopiraj(const QList<QVariantList>& vrstice, QSqlError* napaka)
{
    PGconn* c = pgnativno::povezava(m_baza);
    if (!c) {
        *napaka = QSqlError(QStringLiteral("COPY"), QStringLiteral("povezava ni več odprta"),
                            QSqlError::ConnectionError);
        return false;
    }
    m_medpomnilnik.clear();
    for (const QVariantList& v : vrstice) {
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (i)
                m_medpomnilnik += '\t';
            dodajPolje(m_medpomnilnik, v.at(i));
        }
        m_medpomnilnik += '\n';
    }
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(m_tabela, seznamStolpcev()).toUtf8();
    PGresult* r = PQexec(c, sql.constData());
    if (PQresultStatus(r) != PGRES_COPY_IN) {
        *napaka = napakaPostgreSQL(c, r, QStringLiteral("COPY"));
        PQclear(r);
        return false;
    }
    PQclear(r);
    const bool poslano = PQputCopyData(c, m_medpomnilnik.constData(), int(m_medpomnilnik.size())) == 1;
    if (PQputCopyEnd(c, poslano ? nullptr : "prekinjeno") != 1) {
        *napaka = napakaPostgreSQL(c, nullptr, QStringLiteral("COPY"));
        return false;
    }
    bool ok = poslano;
    QSqlError prva;
    while ((r = PQgetResult(c))) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && ok) {
            ok = false;
            prva = napakaPostgreSQL(c, r, QStringLiteral("COPY"));
        }
        PQclear(r);
    }
    if (!ok)
        *napaka = prva.isValid() ? prva : napakaPostgreSQL(c, nullptr, QStringLiteral("COPY"));
    return ok;
}

bool MnozicniVnos::vstaviVrednosti(const QList<QVariantList>& vrstice)
{
    int i = 0;
    for (const QVariantList& v : vrstice)
        for (const QVariant& vrednost : v)
            m_vstaviSkupino.bindValue(i++, vrednost);
    return m_vstaviSkupino.exec();
}

void MnozicniVnos::posljiSkupino()
{
    if (m_cakajoce.isEmpty())
        return;
    const QList<QVariantList> vrstice = std::move(m_cakajoce);
    m_cakajoce.clear();
    if (m_nacin == Nacin::Kopiranje && !pgnativno::povezava(m_baza) && pgnativno::imaRocaj(m_baza)) {
        // The connection is not free for COPY now (the driver is reading a result on
        // it): from here on the rows go through the driver.
        qCWarning(lcDb).noquote() << "Vrstice v" << m_tabela << "gredo od tu naprej posamič skozi gonilnik";
        m_nacin = Nacin::Posamic;
        m_velikostSkupine = 0;
    }
    const bool celaSkupina = m_nacin == Nacin::Kopiranje
                             || (m_nacin == Nacin::Skupine && vrstice.size() == m_velikostSkupine);
    if (celaSkupina) {
        QSqlError napaka;
        if (m_tx.vTocki([&] {
                if (m_nacin == Nacin::Kopiranje ? kopiraj(vrstice, &napaka) : vstaviVrednosti(vrstice))
                    return true;
                if (m_nacin != Nacin::Kopiranje)
                    napaka = narecje::napakaStavka(m_vstaviSkupino);
                return false;
            }))
            return;
        // Only a refusal of values is worth sending row by row; anything else ends the run.
        if (!m_pogon->jeZavrnjenaVrednost(napaka))
            throw Napaka(narecje::besedilo(napaka));
    }
    // A short group, or a group the database refused: row by row.
    for (const QVariantList& v : vrstice)
        vstaviPosamic(v);
}

void MnozicniVnos::dodaj(QVariantList vrstica)
{
    pripravi();
    if (m_velikostSkupine == 0) {
        vstaviPosamic(vrstica);
        return;
    }
    m_cakajoce.append(std::move(vrstica));
    if (m_cakajoce.size() >= m_velikostSkupine)
        posljiSkupino();
}

void MnozicniVnos::poslji()
{
    posljiSkupino();
}

void MnozicniVnos::koncaj()
{
    posljiSkupino();
    if (m_nacin == Nacin::ZacasnaTabela && m_pripravljeno) {
        m_vstavi.finish();
        const QString stolpci = seznamStolpcev();
        const QString zacasna = QStringLiteral("temp.LEDGXFER_") + m_tabela;
        m_tx.izvedi(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(m_tabela, stolpci, zacasna), {},
                    QStringLiteral("tabelo ") + m_tabela);
        m_tx.izvedi(QStringLiteral("DELETE FROM ") + zacasna, {}, QStringLiteral("začasno tabelo"));
    }
}
