#include "rezultat.h"

#include "napaka.h"
#include "poizvedba.h"
#include "belezenje.h"
#include "narecje.h"
#include "pogon.h"

#include <QDate>
#include <QRegularExpression>

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

Rezultat::Rezultat(QObject* parent) : QObject(parent) {}

Rezultat::~Rezultat() = default;

void Rezultat::zapri()
{
    const bool bil = m_odprt;
    m_q.finish();
    m_q = QSqlQuery();
    m_bralnik.reset();
    m_pred = 0;
    if (!m_kazalec.isEmpty()) {
        // A rolled-back transaction has closed the cursor already.
        QSqlQuery zapiranje(m_db);
        if (!zapiranje.exec(QStringLiteral("CLOSE ledgxfer_kazalec")))
            qCDebug(lcDb).noquote() << "CLOSE ledgxfer_kazalec:" << zapiranje.lastError().text();
        m_kazalec.clear();
        m_db = QSqlDatabase();
    }
    m_odprt = false;
    m_samoNaprej = false;
    m_stVrstic = -1;
    m_prikaz.clear();
    if (bil)
        emit spremenjen();
}

void Rezultat::odpri(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, bool samoNaprej)
{
    zapri();
    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    const QString prevedeno = pogon->prevedi(sql);
    if (samoNaprej) {
        if ((m_bralnik = pogon->bralnikNaprej(prevedeno, parametri))) {
            m_odprt = true;
            m_samoNaprej = true;
            emit spremenjen();
            return;
        }
    }
    QSqlQuery q(db);
    q.setForwardOnly(samoNaprej);
    bool ok;
    if (parametri.isEmpty()) {
        ok = q.exec(prevedeno);
    } else {
        ok = q.prepare(prevedeno);
        if (ok) {
            vezi(q, prevedeno, parametri);
            ok = q.exec();
        }
    }
    if (!ok || !q.isSelect()) {
        const QSqlError e = q.lastError();
        throw Napaka(e.databaseText().isEmpty() ? e.text() : e.databaseText());
    }
    m_q = std::move(q);
    m_odprt = true;
    m_samoNaprej = samoNaprej;
    m_q.first();
    emit spremenjen();
}

namespace {

// A date or an integer as a literal of a statement; anything else is refused, so that
// no text ever reaches a statement unquoted.
QString literal(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QDate: return QStringLiteral("DATE '") + v.toDate().toString(Qt::ISODate) + u'\'';
    case QMetaType::Int:
    case QMetaType::LongLong: return QString::number(v.toLongLong());
    default:
        throw Napaka(
            QStringLiteral("Vrednosti vrste %1 ni mogoče vpisati v kazalec").arg(QString::fromLatin1(v.typeName())));
    }
}

// The statement in the engine's form with its parameters written in as literals.
QString zLiterali(const Pogon& pogon, const QString& sql, const QVariantMap& parametri)
{
    QString prevedeno = pogon.prevedi(sql);
    for (auto it = parametri.constBegin(); it != parametri.constEnd(); ++it) {
        const QRegularExpression re(QStringLiteral(":%1\\b").arg(QRegularExpression::escape(it.key())),
                                    QRegularExpression::CaseInsensitiveOption);
        prevedeno.replace(re, literal(it.value()));
    }
    return prevedeno;
}

} // namespace

void Rezultat::odpriNaPosnetku(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini)
{
    zapri();
    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    if ((m_bralnik = pogon->bralnikPosnetka(zLiterali(*pogon, sql, parametri)))) {
        m_odprt = true;
        m_samoNaprej = true;
        emit spremenjen();
        return;
    }
    odpriKazalec(db, sql, parametri, vSkupini);
}

void Rezultat::odpriKazalec(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini)
{
    zapri();
    const std::unique_ptr<Pogon> pogon = Pogon::za(db);
    const QString prevedeno = zLiterali(*pogon, sql, parametri);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("DECLARE ledgxfer_kazalec NO SCROLL CURSOR FOR ") + prevedeno))
        throw Napaka(narecje::besedilo(q.lastError()));
    q.finish();
    m_db = db;
    m_kazalec = QStringLiteral("FETCH FORWARD %1 FROM ledgxfer_kazalec").arg(vSkupini);
    m_odprt = true;
    m_samoNaprej = true;
    try {
        m_bralnik = pogon->bralnikKazalca(QStringLiteral("ledgxfer_kazalec"), vSkupini);
    } catch (const Napaka&) {
        zapri();
        throw;
    }
    if (m_bralnik) {
        if (const std::optional<int> prebranih = m_bralnik->predajGonilniku()) {
            predajGonilniku(*prebranih);
            if (eof() && m_q.lastError().isValid()) {
                const QString napaka = narecje::besedilo(m_q.lastError());
                zapri();
                throw Napaka(napaka);
            }
        }
        emit spremenjen();
        return;
    }
    m_q = QSqlQuery(db);
    if (!naslednjaSkupina() && m_q.lastError().isValid()) {
        const QString napaka = narecje::besedilo(m_q.lastError());
        zapri();
        throw Napaka(napaka);
    }
    emit spremenjen();
}

void Rezultat::predajGonilniku(int prebranih)
{
    m_bralnik.reset();
    m_pred = prebranih;
    m_q = QSqlQuery(m_db);
    naslednjaSkupina();
}

bool Rezultat::naslednjaSkupina()
{
    // The whole group is fetched into memory (not streamed row by row), so that other
    // statements may run on the connection while it is read.
    m_q.setForwardOnly(false);
    if (!m_q.exec(m_kazalec))
        return false;
    return m_q.first();
}

int Rezultat::steviloStolpcev() const
{
    if (m_bralnik)
        return m_bralnik->steviloStolpcev();
    return m_odprt ? m_q.record().count() : 0;
}

QString Rezultat::imeStolpca(int stolpec) const
{
    if (m_bralnik)
        return m_bralnik->imeStolpca(stolpec);
    return m_odprt ? m_q.record().fieldName(stolpec) : QString();
}

int Rezultat::indeksStolpca(const QString& ime) const
{
    if (m_bralnik) {
        for (int i = 0; i < m_bralnik->steviloStolpcev(); ++i)
            if (m_bralnik->imeStolpca(i).compare(ime, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    return m_odprt ? m_q.record().indexOf(ime) : -1;
}

int Rezultat::dolzinaStolpca(int stolpec) const
{
    if (!m_odprt)
        return -1;
    const int n = m_bralnik ? m_bralnik->dolzinaStolpca(stolpec) : m_q.record().field(stolpec).length();
    return n > 0 ? n : -1;
}

bool Rezultat::prvi()
{
    const VGonilniku zaseden(m_vGonilniku);
    return m_odprt && !m_bralnik && m_q.first();
}
bool Rezultat::naslednji()
{
    if (!m_odprt)
        return false;
    const VGonilniku zaseden(m_vGonilniku);
    if (m_bralnik) {
        if (m_bralnik->naslednji())
            return true;
        const std::optional<int> prebranih = m_bralnik->predajGonilniku();
        if (!prebranih)
            return false;
        predajGonilniku(*prebranih);
        return !eof();
    }
    const int pred = m_q.at();
    if (m_q.next())
        return true;
    if (m_kazalec.isEmpty())
        return false;
    // The rows of the group just read come before those of the next.
    if (pred >= 0)
        m_pred += pred + 1;
    return naslednjaSkupina();
}
bool Rezultat::zadnji()
{
    const VGonilniku zaseden(m_vGonilniku);
    return m_odprt && !m_samoNaprej && m_q.last();
}
bool Rezultat::prejsnji()
{
    if (!m_odprt || m_samoNaprej)
        return false;
    const VGonilniku zaseden(m_vGonilniku);
    const int pred = m_q.at();
    if (pred <= 0)
        return false;
    return m_q.previous();
}
bool Rezultat::eof() const
{
    if (m_bralnik)
        return m_bralnik->konec();
    return !m_odprt || !m_q.isValid();
}
QString Rezultat::napaka() const
{
    if (m_bralnik)
        return m_bralnik->napaka();
    if (!m_odprt || !m_q.lastError().isValid())
        return {};
    const QSqlError e = m_q.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

int Rezultat::trenutnaVrstica() const
{
    if (m_bralnik)
        return m_bralnik->vrstica();
    return m_odprt ? polozajGonilnika() : -1;
}

int Rezultat::polozajGonilnika() const
{
    const int i = m_q.at();
    return i >= 0 ? m_pred + i : i;
}

QVariant Rezultat::polje(const QString& ime) const
{
    const int i = indeksStolpca(ime);
    if (i < 0)
        throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    return vrednostStolpca(i);
}

QVariant Rezultat::vrednostStolpca(int stolpec) const
{
    return m_bralnik ? m_bralnik->vrednost(stolpec) : m_q.value(stolpec);
}

QString Rezultat::niz(int stolpec) const
{
    return m_bralnik ? m_bralnik->niz(stolpec) : vrednostNiz(m_q.value(stolpec));
}

qint64 Rezultat::celo(int stolpec) const
{
    return m_bralnik ? m_bralnik->celo(stolpec) : vrednostCelo(m_q.value(stolpec));
}

double Rezultat::realno(int stolpec) const
{
    // A value the engine gives as text is a number only when all of it is one: "1,50",
    // "abc" or "12.345.6" is not a number (NaN), never 0, so that the run refuses it.
    return m_bralnik ? m_bralnik->realno(stolpec) : vrednostZnesek(m_q.value(stolpec));
}

bool Rezultat::jeNull(int stolpec) const { return vrednostStolpca(stolpec).isNull(); }

QDate Rezultat::datum(int stolpec) const
{
    return m_bralnik ? m_bralnik->datum(stolpec) : vrednostDatumKnjizbe(m_q.value(stolpec));
}

int Rezultat::steviloVrstic()
{
    if (!m_odprt)
        return 0;
    if (m_stVrstic >= 0)
        return m_stVrstic;
    if (m_samoNaprej || m_vGonilniku > 0)
        return 0; // unknown: the caller counts and gives it; or being read just now
    const VGonilniku zaseden(m_vGonilniku);
    const int velikost = m_q.size();
    if (velikost >= 0) {
        m_stVrstic = velikost;
        return m_stVrstic;
    }
    const int pozicija = m_q.at();
    if (m_q.last())
        m_stVrstic = m_q.at() + 1;
    else
        m_stVrstic = 0;
    if (pozicija >= 0)
        m_q.seek(pozicija);
    else
        m_q.first();
    return m_stVrstic;
}

QVariant Rezultat::vrednost(int vrstica, int stolpec)
{
    if (!m_odprt || m_vGonilniku > 0)
        return {};
    const VGonilniku zaseden(m_vGonilniku);
    if (m_bralnik)
        return vrstica == trenutnaVrstica() ? vrednostStolpca(stolpec) : QVariant();
    if (polozajGonilnika() == vrstica)
        return m_q.value(stolpec);
    if (m_samoNaprej)
        return {};
    const int pozicija = m_q.at();
    QVariant v;
    if (m_q.seek(vrstica))
        v = m_q.value(stolpec);
    if (pozicija >= 0)
        m_q.seek(pozicija);
    return v;
}

void Rezultat::nastaviPrikaz(const QString& polje, const PrikazPolja& prikaz)
{
    m_prikaz.insert(polje.toUpper(), prikaz);
}

PrikazPolja Rezultat::prikaz(int stolpec) const { return m_prikaz.value(imeStolpca(stolpec).toUpper()); }
