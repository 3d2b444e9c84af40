#pragma once

#include <QWidget>
#include <functional>

class Okolje;
class QDialog;
class Rezultat;

// The rounding-adjustment list's report form. It is never shown itself: the report
// engine lays the list out over the adjustment query and previews it.
class TfIzravna : public QWidget {
    Q_OBJECT
public:
    explicit TfIzravna(QWidget* parent = nullptr);

    // Previews the list over the rows of `Qizravnave` in their order; the operator
    // prints from the preview. An empty result has no pages: instead of an empty
    // preview the operator is told that there is nothing to show. `prikazi` shows the
    // preview dialog (the main window's modal hook); `okolje` shows the message and
    // the status line while the list is prepared. Returns when the preview is closed.
    void izpis(Rezultat& Qizravnave, const std::function<int(QDialog&)>& prikazi = {}, Okolje* okolje = nullptr);
};
