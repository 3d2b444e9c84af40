#include "pomoc.h"

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

#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>

TestniProgram::TestniProgram(const QStringList& argumenti)
{
    qputenv("LEDGXFER_HOME", dir.path().toUtf8());
    qputenv("LEDGXFER_ALIASES", dir.filePath(QStringLiteral("aliases.ini")).toUtf8());
    okna = ustvariOkna(argumenti, *this);
    modalno = [](QDialog& d) {
        if (auto* f6 = qobject_cast<TForm6*>(&d))
            f6->eIniciator()->setText(QStringLiteral("Tester"));
        return int(QDialog::Accepted);
    };
}

TestniProgram::~TestniProgram()
{
    delete okna.Form1;
    povezava::zapriVse();
    qunsetenv("LEDGXFER_HOME");
    qunsetenv("LEDGXFER_ALIASES");
}

void TestniProgram::ustvariBazoLB()
{
    const QString pot = dir.filePath(QStringLiteral("ledger.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("priprava"));
        db.setDatabaseName(pot);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("priprava"));
    QFile f(dir.filePath(QStringLiteral("aliases.ini")));
    f.open(QIODevice::WriteOnly);
    f.write("[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n");
}
