#include "besedilo1250.h"
#include "poti.h"

#include <gtest/gtest.h>

TEST(Besedilo1250, SlovenianLettersAreSingleBytesAndMissingOnesAQuestionMark)
{
    EXPECT_EQ(vWin1250(QStringLiteral("čšžČŠŽ")), QByteArray("\xE8\x9A\x9E\xC8\x8A\x8E"));
    EXPECT_EQ(vWin1250(QStringLiteral("a→b")), QByteArray("a?b"));
    EXPECT_EQ(vWin1250(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    EXPECT_EQ(izWin1250(QByteArray("\xE8\x9A\x9E")), QStringLiteral("čšž"));
}

TEST(Izvajanje, TrimAndBlankFollowTheirOwnRules)
{
    EXPECT_EQ(obrezi(QStringLiteral(" \t Janez \r\n")), QStringLiteral("Janez"));
    EXPECT_TRUE(obrezi(QStringLiteral("  \t ")).isEmpty());
    EXPECT_TRUE(JePrazno(QString()));
    EXPECT_TRUE(JePrazno(QStringLiteral("   ")));
    EXPECT_FALSE(JePrazno(QStringLiteral(" \t ")));
    EXPECT_EQ(imeDatotekeIzPoti(QStringLiteral("C:\\Baze\\LEDGER.gdb")), QStringLiteral("LEDGER.gdb"));
    EXPECT_EQ(imeDatotekeIzPoti(QStringLiteral("D:ledger")), QStringLiteral("ledger"));
    EXPECT_EQ(imeDatotekeIzPoti(QStringLiteral("/srv/baze/Ledger.DB")), QStringLiteral("Ledger.DB"));
    EXPECT_EQ(imeDatotekeIzPoti(QStringLiteral("LB")), QStringLiteral("LB"));
}
