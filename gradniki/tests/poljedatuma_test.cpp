#include "poljedatuma.h"
#include "zapisnik.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const QDate kPrej(2026, 12, 10); // the field's date before the operator types

// How the operator gets into the field and out of it again.
enum class Vstop { KlikLevo, KlikSredina, KlikDesno, DvoklikNaDan, Tab, ShiftTab, KlikVNeaktivnoOkno };
enum class Izstop { Tab, ShiftTab, KlikDrugam };

const char* ime(Vstop v)
{
    switch (v) {
    case Vstop::KlikLevo: return "click at the left";
    case Vstop::KlikSredina: return "click in the middle";
    case Vstop::KlikDesno: return "click at the right";
    case Vstop::DvoklikNaDan: return "double click on the day";
    case Vstop::Tab: return "Tab";
    case Vstop::ShiftTab: return "Shift+Tab";
    case Vstop::KlikVNeaktivnoOkno: return "a click that activates the window";
    }
    return "";
}

const char* ime(Izstop i)
{
    switch (i) {
    case Izstop::Tab: return "Tab";
    case Izstop::ShiftTab: return "Shift+Tab";
    case Izstop::KlikDrugam: return "click elsewhere";
    }
    return "";
}

void PrintTo(Vstop v, std::ostream* os) { *os << ime(v); }
void PrintTo(Izstop i, std::ostream* os) { *os << ime(i); }

// A window with a field before the date field, the date field, and one after it.
struct Okno {
    QWidget w;
    QLineEdit* pred = new QLineEdit(&w);
    PoljeDatuma* polje = new PoljeDatuma(&w);
    QLineEdit* za = new QLineEdit(&w);
    QWidget drugo;   // another window of the desktop
    Zapisnik okolje; // the window's outside world, which says the refusals
    QStringList& sporocila = okolje.sporocila;

    Okno()
    {
        auto* l = new QVBoxLayout(&w);
        l->addWidget(pred);
        l->addWidget(polje);
        l->addWidget(za);
        polje->setFixedSize(89, 21);
        polje->nastaviOkolje(&okolje);
        w.show();
        QApplication::setActiveWindow(&w);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    void vstopi(Vstop v)
    {
        polje->setDate(kPrej);
        const int y = polje->height() / 2;
        switch (v) {
        case Vstop::KlikLevo:
        case Vstop::KlikSredina:
        case Vstop::KlikDesno: {
            za->setFocus();
            const int x = v == Vstop::KlikLevo ? 3 : v == Vstop::KlikSredina ? 30 : 60;
            QTest::mouseClick(polje, Qt::LeftButton, {}, QPoint(x, y));
            break;
        }
        case Vstop::DvoklikNaDan:
            za->setFocus();
            QTest::mouseClick(polje, Qt::LeftButton, {}, QPoint(6, y));
            QTest::mouseDClick(polje, Qt::LeftButton, {}, QPoint(6, y));
            break;
        case Vstop::Tab:
            pred->setFocus();
            QTest::keyClick(pred, Qt::Key_Tab);
            break;
        case Vstop::ShiftTab:
            za->setFocus();
            QTest::keyClick(za, Qt::Key_Backtab, Qt::ShiftModifier);
            break;
        case Vstop::KlikVNeaktivnoOkno: {
            // Another window is active; the click into the field activates this one.
            drugo.show();
            QApplication::setActiveWindow(&drugo);
            EXPECT_TRUE(QTest::qWaitForWindowActive(&drugo));
            polje->setFocus();
            QApplication::setActiveWindow(&w);
            drugo.hide();
            QTest::mouseClick(polje, Qt::LeftButton, {}, QPoint(30, y));
            break;
        }
        }
        ASSERT_EQ(QApplication::focusWidget(), polje);
    }

    void izstopi(Izstop i)
    {
        switch (i) {
        case Izstop::Tab: QTest::keyClick(polje, Qt::Key_Tab); break;
        case Izstop::ShiftTab: QTest::keyClick(polje, Qt::Key_Backtab, Qt::ShiftModifier); break;
        case Izstop::KlikDrugam: QTest::mouseClick(za, Qt::LeftButton); break;
        }
        QCoreApplication::processEvents(); // a refusal after a click comes right after it
    }
    QWidget* cilj(Izstop i) const { return i == Izstop::ShiftTab ? pred : za; }
};

struct Vpis {
    const char* tipke;
    QDate datum; // invalid: the text is refused
};

const Vpis kVpisi[] = {
    {"26.10.2026", QDate(2026, 10, 26)},
    {"26102026", QDate(2026, 10, 26)},
    {"1.3.2026", QDate(2026, 3, 1)},
    {"01.03.2026", QDate(2026, 3, 1)},
    {"5.10.2026", QDate(2026, 10, 5)},
    {"15.3.2026", QDate(2026, 3, 15)},
    {"26. 10. 2026", QDate(2026, 10, 26)},
    {"29.2.2028", QDate(2028, 2, 29)},
    {"29.2.2026", QDate()}, // no such day
    {"31.4.2026", QDate()},
    {"32.1.2026", QDate()},
    {"1.13.2026", QDate()},
    {"26.10.26", QDate()}, // a year of two digits is not guessed
    {"2610202", QDate()},
    {"261020261", QDate()},
    // Every character typed is part of the date: a letter or a stray sign inside it,
    // or a digit too many, makes it no date (never a shorter one).
    {"25.1O.2026", QDate()}, // the letter O for a zero
    {"30.1l.2026", QDate()}, // the letter l for a one
    {"26.10.2026x", QDate()},
    {"+26.10.2026", QDate()},
    {"26.10.20266", QDate()},
    {"26.1*0.2026", QDate()},
};

class TipkanjeDatuma : public ::testing::TestWithParam<std::tuple<Vstop, Izstop>> {};

std::string imePrimera(const ::testing::TestParamInfo<TipkanjeDatuma::ParamType>& i)
{
    static const char* const vstopi[] = {"KlikLevo", "KlikSredina", "KlikDesno",         "DvoklikNaDan",
                                         "Tab",      "ShiftTab",    "KlikVNeaktivnoOkno"};
    static const char* const izstopi[] = {"Tab", "ShiftTab", "KlikDrugam"};
    return std::string(vstopi[int(std::get<0>(i.param))]) + "_" + izstopi[int(std::get<1>(i.param))];
}

} // namespace

TEST_P(TipkanjeDatuma, GivesExactlyTheTypedDateOrRefusesIt)
{
    const auto [vstop, izstop] = GetParam();
    Okno o;
    for (const Vpis& v : kVpisi) {
        SCOPED_TRACE(std::string(v.tipke) + " after " + ime(vstop) + ", leaving with " + ime(izstop));
        o.sporocila.clear();
        o.vstopi(vstop);
        QTest::keyClicks(o.polje, QString::fromLatin1(v.tipke));
        o.izstopi(izstop);
        if (v.datum.isValid()) {
            EXPECT_EQ(o.polje->date(), v.datum);
            EXPECT_EQ(o.polje->text(), PoljeDatuma::besedilo(v.datum));
            EXPECT_TRUE(o.sporocila.isEmpty()) << o.sporocila.join(u'|').toStdString();
            EXPECT_EQ(QApplication::focusWidget(), o.cilj(izstop));
        } else {
            // Refused: the date stays, the operator is told and is back in the field.
            EXPECT_EQ(o.polje->date(), kPrej);
            ASSERT_EQ(o.sporocila.size(), 1);
            EXPECT_TRUE(o.sporocila.at(0).startsWith(QStringLiteral("Datum"))) << o.sporocila.at(0).toStdString();
            EXPECT_EQ(QApplication::focusWidget(), o.polje);
            // Typing again replaces the refused text.
            QTest::keyClicks(o.polje, QStringLiteral("2.1.2027"));
            QTest::keyClick(o.polje, Qt::Key_Tab);
            EXPECT_EQ(o.polje->date(), QDate(2027, 1, 2));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(VstopInIzstop, TipkanjeDatuma,
                         ::testing::Combine(::testing::Values(Vstop::KlikLevo, Vstop::KlikSredina, Vstop::KlikDesno,
                                                              Vstop::DvoklikNaDan, Vstop::Tab, Vstop::ShiftTab,
                                                              Vstop::KlikVNeaktivnoOkno),
                                            ::testing::Values(Izstop::Tab, Izstop::ShiftTab, Izstop::KlikDrugam)),
                         imePrimera);

TEST(PoljeDatuma, EnterTakesTheDateAndTheCalendarSetsOne)
{
    Okno o;
    o.vstopi(Vstop::Tab);
    QTest::keyClicks(o.polje, QStringLiteral("7.7.2027"));
    QTest::keyClick(o.polje, Qt::Key_Return);
    EXPECT_EQ(o.polje->date(), QDate(2027, 7, 7));

    // An impossible date with Enter: refused, the field keeps the focus.
    o.vstopi(Vstop::Tab);
    QTest::keyClicks(o.polje, QStringLiteral("30.2.2027"));
    QTest::keyClick(o.polje, Qt::Key_Return);
    EXPECT_EQ(o.polje->date(), kPrej);
    EXPECT_EQ(o.sporocila.size(), 1);
    EXPECT_EQ(QApplication::focusWidget(), o.polje);

    // The calendar opens on the field's date; a click on a day takes it.
    o.polje->setDate(kPrej);
    QSignalSpy spremembe(o.polje, &PoljeDatuma::dateChanged);
    QTest::keyClick(o.polje, Qt::Key_F4);
    ASSERT_NE(o.polje->koledar(), nullptr);
    auto* koledar = o.polje->koledar()->findChild<QCalendarWidget*>();
    ASSERT_NE(koledar, nullptr);
    EXPECT_EQ(koledar->selectedDate(), kPrej);
    emit koledar->clicked(QDate(2026, 12, 24));
    EXPECT_FALSE(o.polje->koledar()->isVisible());
    EXPECT_EQ(o.polje->date(), QDate(2026, 12, 24));
    EXPECT_EQ(spremembe.size(), 1);
}
