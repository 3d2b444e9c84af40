#include "transakcija.h"

#include "belezenje.h"
#include "narecje.h"
#include "okolje.h"
#include "poizvedba.h"
#include "pogon.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QThread>

namespace {

// The database's reason of a failure; a connection that is gone often gives none.
QString razlog(const QSqlError& napaka, const QSqlDatabase& baza)
{
    const std::unique_ptr<Pogon> pogon = Pogon::za(baza);
    QString t = pogon->razlog(napaka);
    if (t.isEmpty())
        t = pogon->razlog(baza.lastError());
    if (t.isEmpty() || !baza.isOpen())
        t = QStringLiteral("Povezava z bazo je prekinjena") + (t.isEmpty() ? QString() : QStringLiteral(": ") + t);
    return t;
}

} // namespace

int Transakcija::sekundCakanja()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("LEDGXFER_LOCK_WAIT", &ok);
    return ok && s >= 0 ? s : 30;
}

Transakcija::Transakcija(const QSqlDatabase& baza, Okolje& okolje)
    : m_baza(baza), m_pogon(Pogon::za(baza)), m_okolje(okolje), m_q(baza)
{
}

Transakcija::~Transakcija()
{
    if (m_aktivna)
        preklici();
}

void Transakcija::izvediSistemski(const QString& sql)
{
    if (!m_q.exec(sql))
        qCWarning(lcDb).noquote() << "Stavek" << sql << "ni uspel:" << narecje::besedilo(m_q.lastError());
    m_q.finish();
}

void Transakcija::cakaj(const QString& kaj, const QDeadlineTimer& rok, const QString& razlog)
{
    if (rok.hasExpired())
        throw Napaka(QStringLiteral("Druga povezava drži zaklenjeno ") + kaj + QStringLiteral(" že ")
                     + QString::number(sekundCakanja())
                     + QStringLiteral(" s; prenos ni opravljen, baza je ostala nespremenjena.\n") + razlog);
    m_okolje.statusnaVrstica(QStringLiteral("Čakam, da druga povezava sprosti ") + kaj + QStringLiteral(" ..."));
    m_okolje.obdelajDogodke();
    if (m_okolje.konecZahtevan())
        throw Ustavitev();
    QThread::msleep(100);
}

void Transakcija::zacni()
{
    for (const QString& s : m_pogon->stavkiKratkegaCakanja()) {
        if (m_pogon->cakanjePredZacetkom()) // a connection setting: before the transaction
            izvediSistemski(s);
    }
    const QString zacetek = m_pogon->stavekZacetka();
    const QDeadlineTimer rok{std::chrono::seconds{sekundCakanja()}};
    for (;;) {
        const bool ok = zacetek.isEmpty() ? m_baza.transaction() : m_q.exec(zacetek);
        const QSqlError e = zacetek.isEmpty() ? m_baza.lastError() : m_pogon->napakaStavka(m_q);
        m_q.finish();
        if (ok)
            break;
        if (!m_pogon->jeZaklep(e)) {
            izvediSistemski(m_pogon->stavkiObicajnegaCakanja().value(0));
            throw Napaka(narecje::besedilo(e));
        }
        cakaj(QStringLiteral("bazo"), rok, narecje::besedilo(e));
    }
    m_aktivna = true;
    if (m_pogon->posnetekPoZacetku()) {
        // The snapshot's level is set before any statement reads.
        if (const QString posnetek = m_pogon->stavekPosnetka(); !posnetek.isEmpty()) {
            if (!m_q.exec(posnetek))
                throw Napaka(razlog(m_q.lastError(), m_baza));
            m_q.finish();
        }
        for (const QString& s : m_pogon->stavkiKratkegaCakanja())
            izvediSistemski(s);
    }
}

void Transakcija::zakleni()
{
    for (const Pogon::ZaklepTabele& z : m_pogon->zaklepiTeka()) {
        QString napaka;
        // A table that is not there yet (the register or the adjustments before the
        // first run) is made later in the run and needs no lock now.
        if (!poskusi(z.stavek, {}, QStringLiteral("tabelo ") + z.tabela, &napaka))
            qCDebug(lcDb).noquote() << z.stavek << "-" << napaka;
    }
}

void Transakcija::potrdi()
{
    const QDeadlineTimer rok{std::chrono::seconds{sekundCakanja()}};
    for (;;) {
        if (m_baza.commit())
            break;
        const QSqlError e = m_pogon->napakaPotrditve(m_baza.lastError());
        // SQLite keeps the transaction open when readers are in the commit's way.
        if (!m_pogon->potrditevCakaBralce() || !m_pogon->jeZaklep(e))
            throw Napaka(razlog(e, m_baza));
        cakaj(QStringLiteral("bazo"), rok, narecje::besedilo(e));
    }
    m_aktivna = false;
    for (const QString& s : m_pogon->stavkiObicajnegaCakanja())
        izvediSistemski(s);
}

void Transakcija::preklici()
{
    if (!m_aktivna)
        return;
    m_aktivna = false;
    if (!m_baza.rollback())
        qCWarning(lcDb).noquote() << "Preklic transakcije ni uspel (baza ga opravi ob koncu povezave):"
                                  << narecje::besedilo(m_baza.lastError());
    for (const QString& s : m_pogon->stavkiObicajnegaCakanja())
        izvediSistemski(s);
}

bool Transakcija::vTocki(const std::function<bool()>& korak, const std::function<QString()>& razlogKoraka)
{
    if (m_pogon->korakBrezTocke()) {
        const bool ok = korak();
        if (!ok && !m_pogon->transakcijaTece()) {
            const QString r = razlogKoraka ? razlogKoraka() : QString();
            qCWarning(lcDb).noquote() << "Neuspeli korak je končal transakcijo:" << r;
            throw Napaka((r.isEmpty() ? QStringLiteral("Baza je preklicala transakcijo") : r)
                         + QStringLiteral("; prenos ni opravljen, baza je ostala nespremenjena."));
        }
        return ok;
    }
    const QString ime = QStringLiteral("T") + QString::number(++m_tock);
    if (!m_q.exec(m_pogon->stavekTocke(ime)))
        throw Napaka(razlog(m_q.lastError(), m_baza));
    const bool ok = korak();
    // A savepoint that cannot be ended means the step's failure ended more than the
    // step: that failure is the reason, not the savepoint's name.
    const auto neuspeh = [&] {
        const QString r = !ok && razlogKoraka ? razlogKoraka() : QString();
        qCWarning(lcDb).noquote() << "Točke" << ime << "ni mogoče končati:" << narecje::besedilo(m_q.lastError());
        return Napaka(r.isEmpty() ? razlog(m_q.lastError(), m_baza)
                                  : r + QStringLiteral("; prenos ni opravljen, baza je ostala nespremenjena."));
    };
    const QString konec = ok ? narecje::stavekSprostiTocko(ime) : narecje::stavekNazajNaTocko(ime);
    if (!m_q.exec(konec))
        throw neuspeh();
    if (!ok && !m_q.exec(narecje::stavekSprostiTocko(ime)))
        throw neuspeh();
    m_q.finish();
    return ok;
}

bool Transakcija::poskusi(const QString& sql, const QVariantMap& parametri, const QString& kaj, QString* napaka)
{
    const QDeadlineTimer rok{std::chrono::seconds{sekundCakanja()}};
    for (;;) {
        Poizvedba q(m_baza);
        QSqlError e;
        const auto razlogStavka = [&] {
            return e.type() == QSqlError::NoError ? q.zadnjaNapaka() : m_pogon->razlog(e);
        };
        const bool ok = vTocki(
            [&] {
                if (q.poskusiIzvesti(sql, parametri))
                    return true;
                e = m_pogon->napakaStavka(q.q());
                q.zapri();
                return false;
            },
            razlogStavka);
        if (ok)
            return true;
        const QString razlog = razlogStavka();
        if (!m_pogon->jeZaklep(e)) {
            if (napaka)
                *napaka = razlog;
            return false;
        }
        cakaj(kaj, rok, razlog);
    }
}

void Transakcija::izvedi(const QString& sql, const QVariantMap& parametri, const QString& kaj)
{
    QString napaka;
    if (!poskusi(sql, parametri, kaj, &napaka))
        throw Napaka(napaka);
}
