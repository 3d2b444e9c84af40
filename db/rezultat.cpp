#include "rezultat.h"
#include "napaka.h"
#include "poizvedba.h"
#include "belezenje.h"
#include "narecje.h"

#include <QDate>
#include <QRegularExpression>

#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

Rezultat::Rezultat(QObject* parent) : QObject(parent) {}

void Rezultat::zapri()
{
    const bool bil = m_odprt;
    m_q.finish();
    m_q = QSqlQuery();
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

void Rezultat::odpri(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri,
                     bool samoNaprej)
{
    zapri();
    QSqlQuery q(db);
    q.setForwardOnly(samoNaprej);
    const QString prevedeno = prevediZa(db, sql);
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
    case QMetaType::QDate:
        return QStringLiteral("DATE '") + v.toDate().toString(Qt::ISODate) + u'\'';
    case QMetaType::Int:
    case QMetaType::LongLong:
        return QString::number(v.toLongLong());
    default:
        throw Napaka(QStringLiteral("Vrednosti vrste %1 ni mogoče vpisati v kazalec").arg(QString::fromLatin1(v.typeName())));
    }
}

} // namespace

void Rezultat::odpriKazalec(const QSqlDatabase& db, const QString& sql, const QVariantMap& parametri, int vSkupini)
{
    zapri();
    QString prevedeno = prevediZa(db, sql);
    for (auto it = parametri.constBegin(); it != parametri.constEnd(); ++it) {
        const QRegularExpression re(QStringLiteral(":%1\\b").arg(QRegularExpression::escape(it.key())),
                                    QRegularExpression::CaseInsensitiveOption);
        prevedeno.replace(re, literal(it.value()));
    }
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("DECLARE ledgxfer_kazalec NO SCROLL CURSOR FOR ") + prevedeno))
        throw Napaka(narecje::besedilo(q.lastError()));
    m_db = db;
    m_kazalec = QStringLiteral("FETCH FORWARD %1 FROM ledgxfer_kazalec").arg(vSkupini);
    m_odprt = true;
    m_samoNaprej = true;
    m_q = QSqlQuery(db);
    if (!naslednjaSkupina() && m_q.lastError().isValid()) {
        const QString napaka = narecje::besedilo(m_q.lastError());
        zapri();
        throw Napaka(napaka);
    }
    emit spremenjen();
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
    return m_odprt ? m_q.record().count() : 0;
}

QString Rezultat::imeStolpca(int stolpec) const
{
    return m_odprt ? m_q.record().fieldName(stolpec) : QString();
}

int Rezultat::indeksStolpca(const QString& ime) const
{
    return m_odprt ? m_q.record().indexOf(ime) : -1;
}

int Rezultat::dolzinaStolpca(int stolpec) const
{
    if (!m_odprt)
        return -1;
    const int n = m_q.record().field(stolpec).length();
    return n > 0 ? n : -1;
}

bool Rezultat::prvi() { return m_odprt && m_q.first(); }
bool Rezultat::naslednji()
{
    if (!m_odprt)
        return false;
    if (m_q.next())
        return true;
    return !m_kazalec.isEmpty() && naslednjaSkupina();
}
bool Rezultat::zadnji() { return m_odprt && !m_samoNaprej && m_q.last(); }
bool Rezultat::prejsnji()
{
    if (!m_odprt || m_samoNaprej)
        return false;
    const int pred = m_q.at();
    if (pred <= 0)
        return false;
    return m_q.previous();
}
bool Rezultat::eof() const { return !m_odprt || !m_q.isValid(); }
QString Rezultat::napaka() const
{
    if (!m_odprt || !m_q.lastError().isValid())
        return {};
    const QSqlError e = m_q.lastError();
    return e.databaseText().isEmpty() ? e.text() : e.databaseText();
}

int Rezultat::trenutnaVrstica() const { return m_odprt ? m_q.at() : -1; }

QVariant Rezultat::polje(const QString& ime) const
{
    const int i = indeksStolpca(ime);
    if (i < 0)
        throw Napaka(QStringLiteral("Polje '%1' ne obstaja").arg(ime));
    return m_q.value(i);
}

int Rezultat::steviloVrstic()
{
    if (!m_odprt)
        return 0;
    if (m_stVrstic >= 0)
        return m_stVrstic;
    if (m_samoNaprej)
        return 0; // unknown: the caller counts and gives it
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
    if (!m_odprt)
        return {};
    const int pozicija = m_q.at();
    if (pozicija == vrstica)
        return m_q.value(stolpec);
    if (m_samoNaprej)
        return {};
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

PrikazPolja Rezultat::prikaz(int stolpec) const
{
    return m_prikaz.value(imeStolpca(stolpec).toUpper());
}
