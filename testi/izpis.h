#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

// Qt values in test failures as text, not as code units.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << '"' << b.toStdString() << '"'; }
inline void PrintTo(const QStringList& s, std::ostream* os)
{
    *os << '[' << s.join(QStringLiteral(", ")).toStdString() << ']';
}

// Names each case of a parameterised test after its `ime` field, so that test lists
// and results show a stable, readable name: INSTANTIATE_TEST_SUITE_P(..., PoImenu()).
struct PoImenu {
    template <class T>
    std::string operator()(const ::testing::TestParamInfo<T>& i) const
    {
        return std::string(i.param.ime);
    }
};
