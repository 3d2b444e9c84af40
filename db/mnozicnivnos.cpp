#include "mnozicnivnos.h"

#include "belezenje.h"
#include "napaka.h"
#include "narecje.h"
#include "poizvedba.h"
#include "pogon.h"
#include "transakcija.h"

MnozicniVnos::MnozicniVnos(Transakcija& tx, const QString& tabela, const QStringList& stolpci, Zavrnjena zavrnjena)
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
    case Pogon::Vnos::Vrstice: m_nacin = Nacin::Vrstice; break;
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
    case Nacin::Vrstice: return QStringLiteral("po vrsticah");
    case Nacin::Kopiranje: return QStringLiteral("s COPY");
    case Nacin::Skupine: return QStringLiteral("v skupinah");
    case Nacin::Posamic: return QStringLiteral("posamič");
    }
    return {};
}

QString MnozicniVnos::seznamStolpcev() const { return m_stolpci.join(QStringLiteral(", ")); }

void MnozicniVnos::pripravi()
{
    if (m_pripravljeno)
        return;
    m_pripravljeno = true;
    const QString vprasaji = QStringLiteral("?,").repeated(m_stolpci.size()).chopped(1);
    const QString vstavi = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_tabela, seznamStolpcev(), vprasaji);
    if (m_nacin == Nacin::Vrstice) {
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
    if (m_nacin == Nacin::Vrstice) {
        // SQLite undoes a failed statement by itself; the transaction goes on.
        if (!m_vstavi.exec())
            zavrnjena(v, m_vstavi.lastError());
        return;
    }
    QSqlError napaka;
    if (!m_tx.vTocki([&] {
            if (m_vstavi.exec())
                return true;
            napaka = m_pogon->napakaStavka(m_vstavi);
            return false;
        }))
        zavrnjena(v, napaka);
}

void MnozicniVnos::zavrnjena(const QVariantList& v, const QSqlError& napaka)
{
    if (!m_pogon->jeZavrnjenaVrednost(napaka))
        throw Napaka(m_pogon->razlog(napaka));
    m_zavrnjena(v, napaka);
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
    const bool celaSkupina =
        m_nacin == Nacin::Kopiranje || (m_nacin == Nacin::Skupine && vrstice.size() == m_velikostSkupine);
    if (celaSkupina) {
        QSqlError napaka;
        bool zasedeno = false;
        if (m_tx.vTocki([&] {
                if (m_nacin == Nacin::Kopiranje) {
                    const Pogon::Kopiranje izid =
                        m_pogon->kopiraj(m_tabela, seznamStolpcev(), vrstice, m_medpomnilnik, &napaka);
                    zasedeno = izid == Pogon::Kopiranje::Zasedeno;
                    return izid == Pogon::Kopiranje::Poslano;
                }
                if (vstaviVrednosti(vrstice))
                    return true;
                napaka = m_pogon->napakaStavka(m_vstaviSkupino);
                return false;
            }))
            return;
        if (zasedeno) {
            // The connection is not free for COPY now (the driver is reading a result
            // on it): from here on the rows go through the driver.
            qCWarning(lcDb).noquote() << "Vrstice v" << m_tabela << "gredo od tu naprej posamič skozi gonilnik";
            m_nacin = Nacin::Posamic;
            m_velikostSkupine = 0;
        } else if (!m_pogon->jeZavrnjenaVrednost(napaka)) {
            // Only a refusal of values is worth sending row by row; anything else ends the run.
            throw Napaka(narecje::besedilo(napaka));
        }
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

void MnozicniVnos::poslji() { posljiSkupino(); }

void MnozicniVnos::koncaj() { posljiSkupino(); }
