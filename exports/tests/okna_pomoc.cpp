#include "okna_pomoc.h"

#include "povezava.h"
#include "tdm.h"
#include "tfgeslo.h"
#include "tfizravna.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"

#include <QDesktopServices>
#include <QFile>
#include <gtest/gtest.h>

Program::Program(const QString& domov)
{
    qputenv("LEDGXFER_HOME", domov.toUtf8());
    okna = ustvariOkna({}, *this);
    // The start-up sequence is not under test: showing a dialog must not run it.
    f1()->V.PrvaAktivacija = false;
    shrani = [this](const DialogShrani& d) {
        dialogi << d;
        return odgovorDialoga;
    };
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &urejevalnik, "odpri");
}

Program::~Program()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    delete okna.Form1;
    povezava::zapriVse();
    qunsetenv("LEDGXFER_HOME");
}

QByteArray preberiDatoteko(const QString& pot)
{
    QFile f(pot);
    if (!f.open(QIODevice::ReadOnly))
        return "(ni datoteke)";
    return f.readAll();
}

void zapisiDatoteko(const QString& pot, const QByteArray& vsebina)
{
    QFile f(pot);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << pot.toStdString();
    f.write(vsebina);
}
