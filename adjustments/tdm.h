#pragma once

#include "rezultat.h"

#include <QObject>

// Non-visual container of the rounding-adjustment query `Qizravnave`, which runs
// under the fixed database name "LB".
class TDM : public QObject {
    Q_OBJECT
public:
    explicit TDM(QObject* parent = nullptr);
    Rezultat* Qizravnave;
};
