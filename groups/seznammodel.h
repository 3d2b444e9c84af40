#pragma once

#include "rezultat.h"

#include <QAbstractTableModel>

// Shows the event list in the dialog's grid through its data link: the columns of the
// list in their order, titled with their display titles; nothing while the link is off.
class SeznamModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SeznamModel(PodatkovniVir* vir, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void osvezi();
    PodatkovniVir* m_vir;
    int m_vrstic = 0;
    int m_stolpcev = 0;
};
