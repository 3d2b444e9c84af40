#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The program's log lines while it lives, as "category: text", for tests that check
// that something left its line; the handler before it is put back afterwards. One at
// a time.
class ZajemDnevnika {
public:
    ZajemDnevnika() { m_prejsnji = qInstallMessageHandler(&ZajemDnevnika::zajemi); }
    ~ZajemDnevnika() { qInstallMessageHandler(m_prejsnji); }
    ZajemDnevnika(const ZajemDnevnika&) = delete;
    ZajemDnevnika& operator=(const ZajemDnevnika&) = delete;

    // The lines of `kategorija` that contain `besedilo`.
    QStringList vrstice(const char* kategorija, const QString& besedilo) const
    {
        QStringList izid;
        const QString predpona = QString::fromLatin1(kategorija) + QStringLiteral(": ");
        for (const QString& v : zajeto())
            if (v.startsWith(predpona) && v.contains(besedilo))
                izid << v;
        return izid;
    }
    static QStringList& zajeto()
    {
        static QStringList vrstice;
        return vrstice;
    }

private:
    static void zajemi(QtMsgType, const QMessageLogContext& kontekst, const QString& besedilo)
    {
        zajeto() << QString::fromLatin1(kontekst.category ? kontekst.category : "default") + QStringLiteral(": ")
                        + besedilo;
    }
    QtMessageHandler m_prejsnji = nullptr;
};
