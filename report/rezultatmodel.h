#pragma once

#include "rezultat.h"

#include <QAbstractTableModel>

// Shows a result in a grid through its data link: every column of the
// result in its order, titled with its display label and as wide as its display
// width; nothing while the link is off.
class RezultatModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RezultatModel(PodatkovniVir* vir, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Display width of a column in characters (its setting, else that of its type).
    int sirinaZnakov(int stolpec) const;

    // The text the grid shows in a cell: by the field's display format, with the
    // locale's separators, dates (SQLite's ISO text included) as dates, NULL as nothing.
    QString prikazanaVrednost(int vrstica, int stolpec) const;

signals:
    void stolpciSpremenjeni();

private:
    void osvezi();
    PodatkovniVir* m_vir;
    int m_vrstic = 0;
    int m_stolpcev = 0;
};
