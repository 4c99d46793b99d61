#pragma once
// What a fuzz target does when a property fails: says which, then aborts so
// libFuzzer keeps the input as a crash.

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace strovex::fuzz {

[[noreturn]] inline void fail(const char *property, const QString &detail = {})
{
    std::fprintf(stderr, "property failed: %s\n%s\n", property, detail.toUtf8().constData());
    std::abort();
}

inline void require(bool holds, const char *property, const QString &detail = {})
{
    if (!holds)
        fail(property, detail);
}

// Code units as hex, for texts that do not print.
inline QString units(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0')) + QLatin1Char(' ');
    return out;
}

} // namespace strovex::fuzz
