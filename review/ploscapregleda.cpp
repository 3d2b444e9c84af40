#include "ploscapregleda.h"

#include "poljedatuma.h"
#include "rezultat.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void premakniNaVrstico(Rezultat& rezultat, int vrstica)
{
    if (!rezultat.jeOdprt() || rezultat.samoNaprej() || vrstica < 0 || vrstica >= rezultat.steviloVrstic())
        return;
    if (rezultat.trenutnaVrstica() < 0 && !rezultat.prvi())
        return;
    while (rezultat.trenutnaVrstica() < vrstica && rezultat.naslednji()) {
    }
    while (rezultat.trenutnaVrstica() > vrstica && rezultat.prejsnji()) {
    }
}

PloscaPregleda::PloscaPregleda(const Kontrole& k, Rezultat& Q1, std::function<void()> sume,
                               std::function<bool(int)> tipka, QObject* parent)
    : QObject(parent), m_k(k), m_Q1(Q1), m_sume(std::move(sume)), m_tipka(std::move(tipka))
{
    if (m_k.DBGrid1) {
        m_k.DBGrid1->installEventFilter(this);
        // The row the operator selects in the grid becomes the result's current row,
        // as the journal's header and the opening of a transfer read it.
        if (QItemSelectionModel* s = m_k.DBGrid1->selectionModel())
            connect(s, &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
                if (i.isValid())
                    premakniNaVrstico(m_Q1, i.row());
            });
    }
}

QString PloscaPregleda::stevilkaPrenosa() const { return m_k.eStevilkaPrenosa->text(); }
void PloscaPregleda::nastaviStevilkoPrenosa(const QString& b) { m_k.eStevilkaPrenosa->setText(b); }
QDate PloscaPregleda::datum1() const { return m_k.Datum1->date(); }
QDate PloscaPregleda::datum2() const { return m_k.Datum2->date(); }
void PloscaPregleda::nastaviDatum1(const QDate& d) { m_k.Datum1->setDate(d); }
void PloscaPregleda::nastaviDatum2(const QDate& d) { m_k.Datum2->setDate(d); }
void PloscaPregleda::nastaviSteviloZapisov(const QString& b) { m_k.lblSteviloZapisov->setText(b); }

void PloscaPregleda::prikaziVprasanje(const QString& besedilo)
{
    m_k.lblVprasanje->setText(besedilo);
    // The panel is placed in the middle of the window, above everything else.
    if (QWidget* okno = m_k.pnlVprasanje->parentWidget()) {
        const int x = qMax(0, (okno->width() - m_k.pnlVprasanje->width()) / 2);
        const int y = qMax(0, (okno->height() - m_k.pnlVprasanje->height()) / 2);
        m_k.pnlVprasanje->move(x, y);
    }
    m_k.pnlVprasanje->raise();
    m_k.pnlVprasanje->show();
    m_k.btnOdgovorNe->setFocus();
}

void PloscaPregleda::skrijVprasanje() { m_k.pnlVprasanje->hide(); }
void PloscaPregleda::Sume()
{
    if (m_sume)
        m_sume();
}

bool PloscaPregleda::eventFilter(QObject* o, QEvent* e)
{
    if (o == m_k.DBGrid1 && e->type() == QEvent::KeyPress && m_tipka) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (m_tipka(k->key()))
            return true;
    }
    return QObject::eventFilter(o, e);
}
