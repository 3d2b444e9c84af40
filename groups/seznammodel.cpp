#include "seznammodel.h"

SeznamModel::SeznamModel(PodatkovniVir* vir, QObject* parent)
    : QAbstractTableModel(parent), m_vir(vir)
{
    connect(vir, &PodatkovniVir::spremenjen, this, &SeznamModel::osvezi);
    connect(vir->rezultat(), &Rezultat::spremenjen, this, &SeznamModel::osvezi);
}

void SeznamModel::osvezi()
{
    beginResetModel();
    Rezultat* r = m_vir->rezultat();
    const bool vidno = m_vir->omogocen() && r->jeOdprt();
    m_stolpcev = vidno ? r->steviloStolpcev() : 0;
    m_vrstic = vidno ? r->steviloVrstic() : 0;
    endResetModel();
}

int SeznamModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_vrstic;
}

int SeznamModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_stolpcev;
}

QVariant SeznamModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    Rezultat* r = m_vir->rezultat();
    if (role == Qt::DisplayRole)
        return r->prikazanaVrednost(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const QVariant v = r->vrednost(index.row(), index.column());
        const bool stevilo = v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong
            || v.typeId() == QMetaType::Double;
        return QVariant::fromValue((stevilo ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return {};
}

QVariant SeznamModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    Rezultat* r = m_vir->rezultat();
    const QString naslov = r->prikaz(section).naslov;
    return naslov.isEmpty() ? r->imeStolpca(section) : naslov;
}
