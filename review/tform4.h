#pragma once

#include "dnevnik.h"

#include <QWidget>
#include <functional>

class Okolje;
class QDialog;
class Rezultat;

// The transfer journal's report form. It is never shown itself: it keeps the
// journal's header fields from one print to the next and lets the report engine lay
// out and preview the journal over the main window's shared result.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // QRstevilkaTemeljnice, QRiniciator, QRdatumknjizenja, QRdatumvalutacije.
    GlavaDnevnika glava;

    // "&Izpis": puts the journal number and the initiator into the header, reads the
    // booking and value dates from the current row of Q1 (a list without them leaves
    // the dates as they were), and previews the journal over Q1's rows in their order.
    // `prikazi` shows the preview dialog (the main window's modal hook); the status
    // line of `okolje` says that the journal is being prepared. Returns when the
    // preview is closed.
    void izpis(Rezultat& Q1, const QString& stevilkaTemeljnice, const QString& iniciator,
               const std::function<int(QDialog&)>& prikazi = {}, Okolje* okolje = nullptr);
};
