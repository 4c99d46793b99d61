#pragma once
// Readable failure messages: gtest prints QString (and so QStringList) as UTF-8 text.

#include <QString>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
