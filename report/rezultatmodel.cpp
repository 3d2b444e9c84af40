#include "rezultatmodel.h"

#include "postavitev.h"
#include "rezultatvir.h"

#include <QLocale>

RezultatModel::RezultatModel(PodatkovniVir* vir, QObject* parent) : QAbstractTableModel(parent), m_vir(vir)
{
    connect(vir, &PodatkovniVir::spremenjen, this, &RezultatModel::osvezi);
    connect(vir->rezultat(), &Rezultat::spremenjen, this, &RezultatModel::osvezi);
}

void RezultatModel::osvezi()
{
    beginResetModel();
    Rezultat* r = m_vir->rezultat();
    if (m_vir->omogocen() && r->jeOdprt()) {
        m_stolpcev = r->steviloStolpcev();
        m_vrstic = r->steviloVrstic();
    } else {
        m_stolpcev = 0;
        m_vrstic = 0;
    }
    endResetModel();
    emit stolpciSpremenjeni();
}

int RezultatModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_vrstic; }

int RezultatModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_stolpcev; }

QVariant RezultatModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    Rezultat* r = m_vir->rezultat();
    if (role == Qt::DisplayRole)
        return prikazanaVrednost(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const QVariant v = r->vrednost(index.row(), index.column());
        switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    return {};
}

QVariant RezultatModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    Rezultat* r = m_vir->rezultat();
    const PrikazPolja p = r->prikaz(section);
    return p.naslov.isEmpty() ? r->imeStolpca(section) : p.naslov;
}

int RezultatModel::sirinaZnakov(int stolpec) const
{
    Rezultat* r = m_vir->rezultat();
    const PrikazPolja p = r->prikaz(stolpec);
    if (p.sirina > 0)
        return p.sirina;
    // Default widths by type, as a grid shows them without settings.
    const QVariant v = r->vrednost(0, stolpec);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong: return 10;
    case QMetaType::Double: return 12;
    case QMetaType::QDate: return 10;
    case QMetaType::QDateTime: return 18;
    default: {
        // Text: the column's declared size where the database says it, else the longest
        // text the grid shows in the first rows (SQLite keeps no sizes).
        int dolzina = r->dolzinaStolpca(stolpec);
        if (dolzina < 0) {
            const int vrstic = std::min(r->steviloVrstic(), 2000);
            for (int i = 0; i < vrstic; ++i)
                dolzina = std::max<int>(dolzina, prikazanaVrednost(i, stolpec).size());
        }
        return qBound(6, std::max<int>(dolzina, r->imeStolpca(stolpec).size()), 60);
    }
    }
}

QString RezultatModel::prikazanaVrednost(int vrstica, int stolpec) const
{
    Rezultat* r = m_vir->rezultat();
    const QVariant v = datumIzIso(r->vrednost(vrstica, stolpec));
    if (v.isNull())
        return {};
    const PrikazPolja p = r->prikaz(stolpec);
    const QLocale jezik;
    // A number without a display format is shown with the thousands grouped, which a
    // printed report leaves out; everything else as a report prints it.
    if (p.format.isEmpty() && (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float))
        return jezik.toString(v.toDouble(), 'g', 15);
    return besediloVrednosti(v, p.format, jezik);
}
