#pragma once

#include <QWidget>

// The rounding-adjustment list's report form; the report engine previews it.
class TfIzravna : public QWidget {
    Q_OBJECT
public:
    explicit TfIzravna(QWidget* parent = nullptr);
};
