#include "jezik.h"

#include "belezenje.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace jezik {

bool namesti()
{
    const QLocale slovenski(QLocale::Slovenian, QLocale::Slovenia);
    QLocale::setDefault(slovenski);

    const QString mapa = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Newer distributions split the toolkit's texts into "qtbase_sl"; others ship the
    // whole of them as "qt_sl".
    for (const QString& ime : {QStringLiteral("qtbase"), QStringLiteral("qt")}) {
        auto* prevod = new QTranslator(QCoreApplication::instance());
        if (prevod->load(slovenski, ime, QStringLiteral("_"), mapa)) {
            QCoreApplication::installTranslator(prevod);
            return true;
        }
        delete prevod;
    }
    qCWarning(lcApp) << "no Slovenian translation of the toolkit in" << mapa;
    return false;
}

} // namespace jezik
