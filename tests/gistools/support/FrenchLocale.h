#pragma once
// The C library's and Qt's default locale set to Belgian French (decimal comma) for the
// life of the object, then put back to the C locale the programs use for numbers.

#include <QLocale>

#include <clocale>
#include <string>

namespace sotrix::test {

class FrenchLocale {
public:
    FrenchLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "fr_BE.UTF-8") != nullptr;
        QLocale::setDefault(QLocale(QStringLiteral("fr_BE")));
    }
    ~FrenchLocale() {
        std::setlocale(LC_ALL, saved_.c_str());
        QLocale::setDefault(QLocale::c());
    }
    FrenchLocale(const FrenchLocale&) = delete;
    FrenchLocale& operator=(const FrenchLocale&) = delete;
    // False when the locale is not installed.
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

}  // namespace sotrix::test
