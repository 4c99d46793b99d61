#pragma once

#include <QLocale>

namespace strovex::test {

// Sets the default locale for one test and restores the previous one.
class LocaleScope {
public:
    LocaleScope(QLocale::Language language, QLocale::Territory territory) { QLocale::setDefault(QLocale(language, territory)); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

} // namespace strovex::test
