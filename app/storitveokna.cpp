#include "storitveokna.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
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

} // namespace

int StoritveOkna::prikaziModalno(QDialog& dialog)
{
    return dialog.exec();
}

void StoritveOkna::sporocilo(QWidget* lastnik, const QString& besedilo)
{
    QString prikaz = besedilo;
    for (qsizetype i = 0; i < prikaz.size(); ++i) {
        if (prikaz.at(i) == u'\r' && (i + 1 == prikaz.size() || prikaz.at(i + 1) != u'\n'))
            prikaz[i] = u'\n';
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), prikaz, QMessageBox::Ok, lastnik);
    box.exec();
}

bool StoritveOkna::vprasanje(QWidget* lastnik, const QString& besedilo)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), besedilo, QMessageBox::NoButton,
                    lastnik);
    QPushButton* da = box.addButton(QStringLiteral("&Da"), QMessageBox::YesRole);
    QPushButton* ne = box.addButton(QStringLiteral("&Ne"), QMessageBox::NoRole);
    box.setDefaultButton(ne);
    box.setEscapeButton(ne);
    box.exec();
    return box.clickedButton() == da;
}

std::optional<QString> StoritveOkna::shraniDatoteko(QWidget* lastnik, const DialogShrani& d)
{
    QFileDialog dlg(lastnik, d.naslov, d.zacetniDirektorij, qtFilter(d.filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setDefaultSuffix(d.privzetaKoncnica);
    if (!d.imeDatoteke.isEmpty())
        dlg.selectFile(d.imeDatoteke);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dlg.selectedFiles().constFirst());
}

void StoritveOkna::koncaj()
{
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
