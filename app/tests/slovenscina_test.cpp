#include "jezik.h"
#include "storitveokna.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The toolkit's texts of the print dialog, its properties and the file dialog that the
// distribution's Slovenian translation leaves in English, with the program's own.
struct Prevod {
    const char* kontekst;
    const char* izvor;
    const char* prevod;
};
const Prevod kPrevodi[] = {
    {"QPrintDialog", "Write PDF file", "Zapiši datoteko PDF"},
    {"QPrintSettingsOutput", "Pages", "Strani"},
    {"QPrintSettingsOutput", "Page Set:", "Nabor strani:"},
    {"QPrintDialog", "All Pages", "Vse strani"},
    {"QPrintPropertiesDialog", "Printer Properties", "Lastnosti tiskalnika"},
    {"QPrintPropertiesDialog", "Job Options", "Možnosti tiskanja"},
    {"QPageSetupWidget", "Page Layout", "Postavitev strani"},
    {"QPageSetupWidget", "Pages per sheet:", "Strani na list:"},
    {"QPageSetupWidget", "Page order:", "Vrstni red strani:"},
    {"QPrintDialog", "Left to Right, Top to Bottom", "Od leve proti desni, od zgoraj navzdol"},
    {"QCupsJobWidget", "Job Control", "Upravljanje tiskanja"},
    {"QCupsJobWidget", "Print Immediately", "Natisni takoj"},
    {"QCupsJobWidget", "Banner Pages", "Naslovne strani"},
    {"QCupsJobWidget", "None", "Brez"},
    {"QPlatformTheme", "Cancel", "Prekliči"},
};

// Every text a dialog shows: labels, buttons, group titles, tabs and list items.
QStringList besedilaOkna(QWidget* okno)
{
    QStringList b{okno->windowTitle()};
    for (QLabel* l : okno->findChildren<QLabel*>())
        if (l->isVisibleTo(okno))
            b << l->text();
    for (QAbstractButton* g : okno->findChildren<QAbstractButton*>())
        if (g->isVisibleTo(okno))
            b << g->text();
    for (QGroupBox* g : okno->findChildren<QGroupBox*>())
        if (g->isVisibleTo(okno))
            b << g->title();
    for (QTabWidget* t : okno->findChildren<QTabWidget*>())
        for (int i = 0; i < t->count(); ++i)
            b << t->tabText(i);
    for (QComboBox* c : okno->findChildren<QComboBox*>())
        if (c->isVisibleTo(okno))
            for (int i = 0; i < c->count(); ++i)
                b << c->itemText(i);
    b.removeAll(QString());
    return b;
}

class Slovenscina : public testing::Test {
protected:
    void SetUp() override
    {
        if (!jezik::namesti())
            GTEST_SKIP() << "the distribution's Slovenian translation of the toolkit is not installed";
    }
    void TearDown() override { QLocale::setDefault(m_prej); }
    QLocale m_prej;
};

} // namespace

// Each text the issue found in English is Slovenian through the program's supplement.
TEST_F(Slovenscina, TextsTheDistributionLeavesInEnglishAreSlovenian)
{
    for (const Prevod& p : kPrevodi)
        EXPECT_EQ(QCoreApplication::translate(p.kontekst, p.izvor), QString::fromUtf8(p.prevod)) << p.izvor;
}

// The print dialog and its properties, as the preview opens them, show none of those
// English texts, whatever the machine's locale.
TEST_F(Slovenscina, PrintDialogAndItsPropertiesShowNoEnglishText)
{
    QStringList anglesko;
    for (const Prevod& p : kPrevodi)
        anglesko << QString::fromUtf8(p.izvor);
    QPrinter tiskalnik(QPrinter::HighResolution);
    QPrintDialog dialog(&tiskalnik);
    dialog.show();
    QApplication::processEvents();
    QStringList videno = besedilaOkna(&dialog);
    // The properties come up modally from their button: read and closed from the loop.
    if (auto* lastnosti = dialog.findChild<QPushButton*>(QStringLiteral("properties"));
        lastnosti && lastnosti->isEnabled()) {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<QDialog*>(w);
                if (d && d != &dialog && d->isVisible()) {
                    videno << besedilaOkna(d);
                    d->reject();
                }
            }
        });
        lastnosti->click();
    }
    ASSERT_FALSE(videno.isEmpty());
    for (const QString& b : videno) {
        const QString brez = QString(b).remove(u'&');
        EXPECT_FALSE(anglesko.contains(brez)) << brez.toStdString();
    }
}

// Message boxes carry the program's Slovenian name, not its file name.
TEST_F(Slovenscina, MessageBoxesAreTitledWithTheProgramsSlovenianName)
{
    StoritveOkna storitve;
    QString naslov;
    QTimer::singleShot(0, [&] {
        if (auto* okno = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            naslov = okno->windowTitle();
            okno->accept();
        }
    });
    storitve.sporocilo(nullptr, QStringLiteral("Poskus"));
    EXPECT_EQ(naslov, QStringLiteral("Prenos v glavno knjigo"));
    QTimer::singleShot(0, [&] {
        if (auto* okno = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            naslov = okno->windowTitle();
            okno->reject();
        }
    });
    naslov.clear();
    EXPECT_FALSE(storitve.vprasanje(nullptr, QStringLiteral("Ali nadaljujem?")));
    EXPECT_EQ(naslov, QStringLiteral("Prenos v glavno knjigo"));
}

// The save dialog's date column is Slovenian with a four-digit year, whatever locale
// the machine (LANG=C) gives the toolkit.
TEST_F(Slovenscina, SaveDialogShowsSlovenianDates)
{
    QTemporaryDir mapa;
    const QString pot = mapa.filePath(QStringLiteral("GKDODAT2.TXT"));
    {
        QFile f(pot);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.flush();
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(14, 5)), QFileDevice::FileModificationTime));
    }
    DialogShrani d;
    d.naslov = QStringLiteral("Shrani");
    d.zacetniDirektorij = mapa.path();
    d.filter = QStringLiteral("Besedilo (*.TXT)|*.TXT");
    const std::unique_ptr<QFileDialog> dialog = dialogShrani(nullptr, d);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    QAbstractItemModel* model = dialog->proxyModel();
    ASSERT_NE(model, nullptr);
    QString datum;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QModelIndex koren =
                dialog->findChild<QAbstractItemView*>(QStringLiteral("treeView"))
                    ? dialog->findChild<QAbstractItemView*>(QStringLiteral("treeView"))->rootIndex()
                    : QModelIndex();
            for (int v = 0; v < model->rowCount(koren); ++v)
                if (model->index(v, 0, koren).data().toString() == u"GKDODAT2.TXT")
                    datum = model->index(v, 3, koren).data().toString();
            return !datum.isEmpty();
        },
        5000));
    EXPECT_EQ(datum, QStringLiteral("5. 03. 2024 14:05")) << datum.toStdString();
}
