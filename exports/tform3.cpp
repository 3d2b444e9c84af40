#include "tform3.h"
#include "belezenje.h"
#include "ui_tform3.h"

#include "napaka.h"
#include "poizvedba.h"
#include "storitveokna.h"

#include <QFontMetrics>
#include <QSqlQueryModel>
#include <QSqlRecord>

TForm3::TForm3(StoritveOkna& storitve, QWidget* parent) : QDialog(parent), m_storitve(storitve), ui(new Ui::TForm3)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm3"));
    // A title bar without system buttons: the dialog closes with its own buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    Qpog = new QSqlQueryModel(this);
    Qpog->setObjectName(QStringLiteral("Qpog"));

    ui->ePrvaOsb->installEventFilter(this);
    ui->eZadnjaOsb->installEventFilter(this);

    connect(ui->RadioButton1, &QRadioButton::toggled, this, [this](bool izbran) {
        if (izbran)
            RadioButton1Click();
    });
    connect(ui->RadioButton2, &QRadioButton::toggled, this, [this](bool izbran) {
        if (izbran)
            RadioButton2Click();
    });
    connect(ui->btnPotrdiOsb, &QPushButton::clicked, this, [this] { btnPotrdiOsbClick(); });
    connect(ui->btnPrekiniOsb, &QPushButton::clicked, this, [this] { btnPrekiniOsbClick(); });
}

TForm3::~TForm3() { delete ui; }

QLineEdit* TForm3::ePrvaOsb() const { return ui->ePrvaOsb; }
QLineEdit* TForm3::eZadnjaOsb() const { return ui->eZadnjaOsb; }

ObsegPog TForm3::obseg() const
{
    return ObsegPog{ui->RadioButton2->isChecked(), ui->ePrvaOsb->text(), ui->eZadnjaOsb->text()};
}

void TForm3::nastaviVidnostIzbire(bool vidno)
{
    for (QWidget* w :
         {static_cast<QWidget*>(ui->ePrvaOsb), static_cast<QWidget*>(ui->eZadnjaOsb), static_cast<QWidget*>(ui->Label1),
          static_cast<QWidget*>(ui->Label2), static_cast<QWidget*>(ui->DBGrid1)})
        w->setVisible(vidno);
}

void TForm3::RadioButton2Click()
{
    nastaviVidnostIzbire(true);
    try {
        odpriSeznamPogodb(*Qpog);
    } catch (const Napaka& e) {
        qCWarning(lcExports).noquote() << "Seznama pogodb ni mogoče odpreti:" << e.besedilo();
        Qpog->clear();
        m_storitve.sporocilo(parentWidget(), e.besedilo());
        return;
    }
    // The data link on: the grid shows the list, the first row current.
    ui->DBGrid1->setModel(Qpog);
    const int znak = QFontMetrics(ui->DBGrid1->font()).horizontalAdvance(u'0');
    const QSqlRecord stolpci = Qpog->record();
    for (const QString& ime : {QStringLiteral("IdPog"), QStringLiteral("SfOsb")}) {
        const int s = stolpci.indexOf(ime);
        if (s >= 0)
            ui->DBGrid1->setColumnWidth(s, 7 * znak + 8);
    }
    if (Qpog->rowCount() > 0)
        ui->DBGrid1->setCurrentIndex(Qpog->index(0, 0));
}

void TForm3::RadioButton1Click()
{
    ui->ePrvaOsb->hide();
    ui->eZadnjaOsb->hide();
    ui->DBGrid1->setModel(nullptr);
    Qpog->clear();
    ui->Label1->hide();
    ui->Label2->hide();
    ui->DBGrid1->hide();
}

QString TForm3::idPogTekoceVrstice() const
{
    if (ui->DBGrid1->model() != Qpog || Qpog->rowCount() == 0)
        return {};
    const QModelIndex tekoca = ui->DBGrid1->currentIndex();
    const int vrstica = tekoca.isValid() ? tekoca.row() : 0;
    return vrednostNiz(Qpog->record(vrstica).value(QStringLiteral("IdPog")));
}

void TForm3::ePrvaOsbClick() { ui->ePrvaOsb->setText(idPogTekoceVrstice()); }

void TForm3::eZadnjaOsbClick() { ui->eZadnjaOsb->setText(idPogTekoceVrstice()); }

void TForm3::btnPotrdiOsbClick() { accept(); }

void TForm3::btnPrekiniOsbClick() { reject(); }

bool TForm3::eventFilter(QObject* objekt, QEvent* dogodek)
{
    if (dogodek->type() == QEvent::MouseButtonPress) {
        if (objekt == ui->ePrvaOsb)
            ePrvaOsbClick();
        else if (objekt == ui->eZadnjaOsb)
            eZadnjaOsbClick();
    }
    return QDialog::eventFilter(objekt, dogodek);
}
