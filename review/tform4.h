#pragma once

#include <QWidget>

// The transfer journal's report form. It is never shown itself: the report engine
// lays out and previews the journal over the main window's shared result.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
};
