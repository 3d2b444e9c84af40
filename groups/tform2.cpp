#include "tform2.h"
#include "ui_tform2.h"

#include "barve.h"
#include "grupiranje.h"
#include "rezultatmodel.h"
#include "stevila.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

namespace {

void podlaga(QWidget* w, const QColor& c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

bool jeEnter(const QKeyEvent* e) { return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter; }

// Focus that moves because another window or a popup came and went is not the
// operator entering or leaving a field.
bool jePremikFokusa(const QFocusEvent* e)
{
    return e->reason() != Qt::ActiveWindowFocusReason && e->reason() != Qt::PopupFocusReason;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(new Ui::TForm2), m_grupe(new GrupiranjeDogodkov(this))
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("TForm2"));
    // No system buttons in the title bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_model = new RezultatModel(m_grupe->DataSource2, this);
    ui->DBGrid2->setModel(m_model);
    ui->DBGrid2->verticalHeader()->hide();
    ui->DBGrid2->verticalHeader()->setDefaultSectionSize(ui->DBGrid2->fontMetrics().height() + 5);
    ui->DBGrid2->horizontalHeader()->setStretchLastSection(true);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { prikaziVrstico(); });
    connect(ui->DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& i) {
        if (i.isValid())
            m_grupe->premakniNa(i.row());
    });

    podlaga(ui->eSfDog, barve::srebrna);
    izPolj();

    connect(ui->DBGrid2, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& i) { DBGrid2CellClick(i.row()); });
    connect(ui->DBGrid2, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& i) { DBGrid2DblClick(i.row()); });
    connect(ui->btnAzuriraj, &QPushButton::clicked, this, [this] { btnAzurirajClick(); });
    connect(ui->btnPotrdiGrupe, &QPushButton::clicked, this, [this] { btnPotrdiGrupeClick(); });
    ui->DBGrid2->installEventFilter(this);
    ui->eIdGrupe->installEventFilter(this);
    ui->eNazivGrupe->installEventFilter(this);
}

TForm2::~TForm2() { delete ui; }

int TForm2::Prikazi(Okolje& okolje, const std::function<int(QDialog&)>& prikaziModalno)
{
    m_okolje = &okolje;
    grupe::UstvariGrupeDog();
    m_grupe->DataSource2->nastaviOmogocen(true);
    try {
        m_grupe->odpriSeznam();
        const int rezultat = prikaziModalno(*this);
        m_grupe->DataSource2->nastaviOmogocen(false);
        return rezultat;
    } catch (...) {
        m_grupe->DataSource2->nastaviOmogocen(false);
        throw;
    }
}

void TForm2::vPolja()
{
    m_grupe->polja.SfDog = ui->eSfDog->text();
    m_grupe->polja.IdGrupe = ui->eIdGrupe->text();
    m_grupe->polja.NazivGrupe = ui->eNazivGrupe->text();
}

void TForm2::izPolj()
{
    const PoljaGrupe& p = m_grupe->polja;
    if (ui->eSfDog->text() != p.SfDog)
        ui->eSfDog->setText(p.SfDog);
    if (ui->eIdGrupe->text() != p.IdGrupe)
        ui->eIdGrupe->setText(p.IdGrupe);
    if (ui->eNazivGrupe->text() != p.NazivGrupe)
        ui->eNazivGrupe->setText(p.NazivGrupe);
    const QColor barva = p.srebrna ? barve::srebrna : barve::bela;
    podlaga(ui->eIdGrupe, barva);
    podlaga(ui->eNazivGrupe, barva);
}

void TForm2::prikaziVrstico()
{
    const int stolpcev = m_model->columnCount();
    const int sirine[] = {60, 55, 80};
    for (int s = 0; s < stolpcev && s < 3; ++s)
        ui->DBGrid2->setColumnWidth(s, sirine[s]);
    const int vrstica = m_grupe->trenutnaVrstica();
    if (vrstica >= 0 && vrstica < m_model->rowCount()) {
        const QModelIndex i = m_model->index(vrstica, 0);
        ui->DBGrid2->setCurrentIndex(i);
        ui->DBGrid2->scrollTo(i);
    }
}

void TForm2::PodatkiIzBaze()
{
    vPolja();
    m_grupe->PodatkiIzBaze();
    izPolj();
}

void TForm2::DBGrid2CellClick(int vrstica)
{
    m_grupe->premakniNa(vrstica);
    PodatkiIzBaze();
}

void TForm2::DBGrid2DblClick(int vrstica)
{
    m_grupe->premakniNa(vrstica);
    PodatkiIzBaze();
    ui->eIdGrupe->setFocus(Qt::OtherFocusReason);
    ui->eIdGrupe->selectAll();
}

bool TForm2::DBGrid2KeyPress(QKeyEvent* e)
{
    if (!jeEnter(e))
        return false;
    PodatkiIzBaze();
    ui->eIdGrupe->setFocus(Qt::OtherFocusReason);
    ui->eIdGrupe->selectAll();
    return true;
}

void TForm2::eIdGrupeEnter()
{
    m_grupe->polja.srebrna = false;
    vPolja();
    izPolj();
}

void TForm2::eNazivGrupeEnter() { eIdGrupeEnter(); }

bool TForm2::eIdGrupeKeyPress(QKeyEvent* e)
{
    if (jeEnter(e)) {
        ui->eNazivGrupe->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const QString znak = e->text();
    // Keys that type no character (arrows, Delete, Home, Tab between fields) are no
    // characters to filter.
    if (znak.isEmpty() || e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab)
        return false;
    if (e->key() == Qt::Key_Backspace)
        return false;
    if (znak.size() == 1 && znak.at(0) >= u'0' && znak.at(0) <= u'9')
        return false;
    return true;
}

void TForm2::eIdGrupeExit()
{
    if (const std::optional<qint64> stevilka = celoStevilo(ui->eIdGrupe->text()))
        ui->eIdGrupe->setText(grupe::kljucGrupe(int(*stevilka)));
}

bool TForm2::eNazivGrupeKeyPress(QKeyEvent* e)
{
    if (!jeEnter(e))
        return false;
    ui->btnAzuriraj->setFocus(Qt::OtherFocusReason);
    return true;
}

void TForm2::btnAzurirajClick()
{
    Q_ASSERT(m_okolje);
    if (!m_okolje)
        return;
    vPolja();
    m_grupe->AzurirajGrupe(*m_okolje);
    izPolj();
    ui->DBGrid2->setFocus(Qt::OtherFocusReason);
}

void TForm2::btnPotrdiGrupeClick() { accept(); }

bool TForm2::eventFilter(QObject* o, QEvent* e)
{
    if (o == ui->DBGrid2 && e->type() == QEvent::KeyPress)
        return DBGrid2KeyPress(static_cast<QKeyEvent*>(e));
    if (o == ui->eIdGrupe || o == ui->eNazivGrupe) {
        const bool id = o == ui->eIdGrupe;
        switch (e->type()) {
        case QEvent::KeyPress:
            return id ? eIdGrupeKeyPress(static_cast<QKeyEvent*>(e)) : eNazivGrupeKeyPress(static_cast<QKeyEvent*>(e));
        case QEvent::FocusIn:
            if (jePremikFokusa(static_cast<QFocusEvent*>(e)))
                id ? eIdGrupeEnter() : eNazivGrupeEnter();
            // The two-digit number is selected whenever the field is entered (also by
            // a click, whose press would place the cursor), so typed digits replace it.
            if (id)
                QTimer::singleShot(0, ui->eIdGrupe, &QLineEdit::selectAll);
            break;
        case QEvent::FocusOut:
            if (id && jePremikFokusa(static_cast<QFocusEvent*>(e)))
                eIdGrupeExit();
            break;
        default: break;
        }
    }
    return QDialog::eventFilter(o, e);
}

void TForm2::keyPressEvent(QKeyEvent* e)
{
    // Escape does not close the dialog; only "&Zapri" does.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TForm2::closeEvent(QCloseEvent* e)
{
    // The window manager's close (Alt+F4) is refused; the program's own requests
    // (accept, reject at the end of the program) do not come this way.
    if (e->spontaneous()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}
