#include "storitveokna.h"

#include "jezik.h"
#include "postavitev.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QPushButton>

namespace {

// "Opis (*.X)|*.X|Vse (*.*)|*.*" becomes Qt's "Opis (*.X);;Vse (*.*)".
QString qtFilter(const QString& filter)
{
    const QStringList deli = filter.split(u'|');
    QStringList izhod;
    for (int i = 0; i + 1 < deli.size(); i += 2)
        izhod << deli.at(i);
    return izhod.join(QStringLiteral(";;"));
}

// The file list of the save dialog with its date column in the program's locale: the
// toolkit formats it by the machine's locale (English under LANG=C), with a two-digit year.
class SlovenskiDatumi : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& indeks, int vloga) const override
    {
        if (vloga == Qt::DisplayRole && indeks.column() == kStolpecDatuma) {
            if (const auto* datoteke = qobject_cast<const QFileSystemModel*>(sourceModel())) {
                const QDateTime cas = datoteke->lastModified(mapToSource(indeks));
                if (cas.isValid())
                    return kratkiDatumCas(cas, QLocale());
            }
        }
        return QIdentityProxyModel::data(indeks, vloga);
    }

private:
    static constexpr int kStolpecDatuma = 3; // name, size, kind, date modified
};

} // namespace

std::unique_ptr<QFileDialog> dialogShrani(QWidget* lastnik, const DialogShrani& d)
{
    auto dlg = std::make_unique<QFileDialog>(lastnik, d.naslov, d.zacetniDirektorij, qtFilter(d.filter));
    // The toolkit's own dialog, which speaks the program's language; a desktop's native
    // one follows the machine's.
    dlg->setOption(QFileDialog::DontUseNativeDialog, true);
    dlg->setProxyModel(new SlovenskiDatumi(dlg.get()));
    dlg->setAcceptMode(QFileDialog::AcceptSave);
    dlg->setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg->setDefaultSuffix(d.privzetaKoncnica);
    if (!d.imeDatoteke.isEmpty())
        dlg->selectFile(d.imeDatoteke);
    return dlg;
}

int StoritveOkna::prikaziModalno(QDialog& dialog) { return dialog.exec(); }

void StoritveOkna::sporocilo(QWidget* lastnik, const QString& besedilo)
{
    QString prikaz = besedilo;
    for (qsizetype i = 0; i < prikaz.size(); ++i) {
        if (prikaz.at(i) == u'\r' && (i + 1 == prikaz.size() || prikaz.at(i + 1) != u'\n'))
            prikaz[i] = u'\n';
    }
    QMessageBox box(QMessageBox::NoIcon, jezik::imePrograma(), prikaz, QMessageBox::Ok, lastnik);
    box.exec();
}

bool StoritveOkna::vprasanje(QWidget* lastnik, const QString& besedilo)
{
    QMessageBox box(QMessageBox::Question, jezik::imePrograma(), besedilo, QMessageBox::NoButton, lastnik);
    QPushButton* da = box.addButton(QStringLiteral("&Da"), QMessageBox::YesRole);
    QPushButton* ne = box.addButton(QStringLiteral("&Ne"), QMessageBox::NoRole);
    box.setDefaultButton(ne);
    box.setEscapeButton(ne);
    box.exec();
    return box.clickedButton() == da;
}

std::optional<QString> StoritveOkna::shraniDatoteko(QWidget* lastnik, const DialogShrani& d)
{
    const std::unique_ptr<QFileDialog> dlg = dialogShrani(lastnik, d);
    if (dlg->exec() != QDialog::Accepted || dlg->selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dlg->selectedFiles().constFirst());
}

void StoritveOkna::koncaj() { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); }
