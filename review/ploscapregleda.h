#pragma once

#include "pregled.h"

#include <QObject>
#include <functional>

class QAbstractItemView;
class PoljeDatuma;
class QLabel;
class QLineEdit;
class QWidget;

// The review panel's controls of the main window, as the panel's commands see them.
// It also keeps the shared result's current row on the row selected in the grid and
// passes Enter in the grid to the main window's handler.
class PloscaPregleda : public QObject, public KontrolePregleda {
    Q_OBJECT
public:
    struct Kontrole {
        QLineEdit* eStevilkaPrenosa = nullptr;
        PoljeDatuma* Datum1 = nullptr;
        PoljeDatuma* Datum2 = nullptr;
        QLabel* lblSteviloZapisov = nullptr;
        QWidget* pnlVprasanje = nullptr;
        QLabel* lblVprasanje = nullptr;
        QWidget* btnOdgovorNe = nullptr;
        QAbstractItemView* DBGrid1 = nullptr;
    };
    // `sume`: the main window's list-finishing pass; `tipka`: the grid's key handler,
    // returning whether it consumed the key.
    PloscaPregleda(const Kontrole& k, Rezultat& Q1, std::function<void()> sume, std::function<bool(int tipka)> tipka,
                   QObject* parent = nullptr);

    QString stevilkaPrenosa() const override;
    void nastaviStevilkoPrenosa(const QString& besedilo) override;
    QDate datum1() const override;
    QDate datum2() const override;
    void nastaviDatum1(const QDate& d) override;
    void nastaviDatum2(const QDate& d) override;
    void nastaviSteviloZapisov(const QString& besedilo) override;
    void prikaziVprasanje(const QString& besedilo) override;
    void skrijVprasanje() override;
    void Sume() override;

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    Kontrole m_k;
    Rezultat& m_Q1;
    std::function<void()> m_sume;
    std::function<bool(int)> m_tipka;
};

// Moves the result's current row to `vrstica` (0-based) when it has such a row.
void premakniNaVrstico(Rezultat& rezultat, int vrstica);
