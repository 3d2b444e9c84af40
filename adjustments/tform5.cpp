#include "tform5.h"
#include "ui_tform5.h"

#include "napaka.h"
#include "okolje.h"
#include "tdm.h"
#include "tfizravna.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPalette>

TForm5::TForm5(QWidget* parent) : QDialog(parent), ui(new Ui::TForm5)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm5"));
    // No buttons in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    // At the first opening every filter is disabled and grey, the box checked.
    for (QWidget* w :
         {static_cast<QWidget*>(ui->DateTimePicker1), static_cast<QWidget*>(ui->DateTimePicker2),
          static_cast<QWidget*>(ui->ePrenos), static_cast<QWidget*>(ui->eKonto), static_cast<QWidget*>(ui->eDejavnost),
          static_cast<QWidget*>(ui->ePartner), static_cast<QWidget*>(ui->ePapir)})
        omogoci(w, false);

    // Enter presses no button.
    ui->btnIzpisIzravnav->setAutoDefault(false);
    ui->btnZapri->setAutoDefault(false);

    connect(ui->rbIzpisatiVse, &QRadioButton::clicked, this, [this] { rbIzpisatiClick(); });
    connect(ui->rbIzpisatiOznaceno, &QRadioButton::clicked, this, [this] { rbIzpisatiClick(); });
    // The box's rule runs whenever it changes, by a click or by rbIzpisatiClick.
    connect(ui->cbDatum, &QCheckBox::toggled, this, [this] { cbDatumClick(); });
    connect(ui->btnIzpisIzravnav, &QPushButton::clicked, this, [this] { btnIzpisIzravnavClick(); });
    connect(ui->btnZapri, &QPushButton::clicked, this, [this] { btnZapriClick(); });
}

TForm5::~TForm5() { delete ui; }

void TForm5::nastaviDatume(const QDate& datum)
{
    ui->DateTimePicker1->setDate(datum);
    ui->DateTimePicker2->setDate(datum);
}

void TForm5::povezi(Okolje& okolje, TDM* dm, TfIzravna* porocilo, std::function<int(QDialog&)> prikazi)
{
    m_okolje = &okolje;
    // A typed date that is refused is said through the outside world.
    for (PoljeDatuma* d : {ui->DateTimePicker1, ui->DateTimePicker2})
        d->nastaviOkolje(&okolje);
    m_dm = dm;
    m_porocilo = porocilo;
    m_prikazi = std::move(prikazi);
}

// The system's light 3-D colour and its window colour. Qt's own "Light" role is the
// bright edge of bevels (white in many styles), so the 3-D face stands for the grey.
QColor TForm5::siva() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }
QColor TForm5::bela() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

void TForm5::omogoci(QWidget* kontrola, bool da)
{
    kontrola->setEnabled(da);
    QPalette p = kontrola->palette();
    p.setColor(QPalette::Base, da ? bela() : siva());
    kontrola->setPalette(p);
}

IzbiraIzravnav TForm5::izbira() const
{
    IzbiraIzravnav i;
    i.samoOznaceno = ui->rbIzpisatiOznaceno->isChecked();
    i.poDnevih = ui->cbDatum->isChecked();
    i.datum1 = ui->DateTimePicker1->date();
    i.datum2 = ui->DateTimePicker2->date();
    i.prenos = ui->ePrenos->text();
    i.partner = ui->ePartner->text();
    i.konto = ui->eKonto->text();
    i.dejavnost = ui->eDejavnost->text();
    i.papir = ui->ePapir->text();
    return i;
}

void TForm5::rbIzpisatiClick()
{
    const bool oznaceno = ui->rbIzpisatiOznaceno->isChecked();
    for (QWidget* w :
         {static_cast<QWidget*>(ui->DateTimePicker1), static_cast<QWidget*>(ui->DateTimePicker2),
          static_cast<QWidget*>(ui->ePrenos), static_cast<QWidget*>(ui->eKonto), static_cast<QWidget*>(ui->eDejavnost),
          static_cast<QWidget*>(ui->ePartner), static_cast<QWidget*>(ui->ePapir)})
        omogoci(w, oznaceno);
    // Checking an unchecked box is a change of the box: its rule enables the pickers,
    // after "Vse" as well.
    ui->cbDatum->setChecked(true);
}

void TForm5::cbDatumClick()
{
    const bool da = ui->cbDatum->isChecked();
    omogoci(ui->DateTimePicker1, da);
    omogoci(ui->DateTimePicker2, da);
}

void TForm5::btnIzpisIzravnavClick()
{
    // A refused selection or a failure of the database is shown with its text; the
    // report is not shown and the dialog stays open.
    try {
        if (!m_dm)
            return;
        odpriIzravnave(*m_dm->Qizravnave, izbira());
        if (m_porocilo)
            m_porocilo->izpis(*m_dm->Qizravnave, m_prikazi, m_okolje);
    } catch (const Napaka& e) {
        if (m_okolje)
            m_okolje->sporocilo(e.besedilo());
    } catch (const std::exception& e) {
        if (m_okolje)
            m_okolje->sporocilo(QString::fromUtf8(e.what()));
    }
}

void TForm5::btnZapriClick() { accept(); }

void TForm5::keyPressEvent(QKeyEvent* dogodek)
{
    // Escape does not close the dialog: only "&Zapri" does.
    if (dogodek->key() == Qt::Key_Escape) {
        dogodek->accept();
        return;
    }
    QDialog::keyPressEvent(dogodek);
}
