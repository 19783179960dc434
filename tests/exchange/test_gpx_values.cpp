// Names, numbers and dates as the import reads them from files.
#include "GpxNumber.h"
#include "ImportDates.h"
#include "ImportEngine.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>
#include <string>

using namespace sotrix;

namespace {

std::string date(std::optional<qint64> t, int heures = 0) {
    return t ? formateDate(*t, heures).toStdString() : std::string("none");
}

std::string number(const char* text) {
    const auto v = lireNombreGpx(text);
    return v ? QByteArray::number(*v, 'f', 6).toStdString() : std::string("none");
}

// Sets a French numeric locale for the life of the object, if the system has one.
class FrenchLocale {
public:
    FrenchLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "fr_FR.UTF-8") || std::setlocale(LC_ALL, "fr_BE.UTF-8");
    }
    ~FrenchLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

}  // namespace

TEST(GpxValues, NettoieNom) {
    struct Case {
        const char* in;
        bool fromGps;
        const char* out;
    };
    const Case cases[] = {
        {"A/B--", false, "AXB"}, {"A/B--", true, "A/B"}, {"a -", false, "a "}, {"---", false, ""},
        {"  x  ", false, "x"},   {"a/b/c", false, "aXbXc"}, {"x-y-", false, "x-y"}, {"\nA\n", false, "\nA\n"},
        {"", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nettoieNom(QString::fromUtf8(c.in), c.fromGps).toStdString(), c.out) << c.in;
}

TEST(GpxValues, Numbers) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"50.5", "50.500000"},   {"  \t\n-4.25", "-4.250000"}, {"+3", "3.000000"},     {".5", "0.500000"}, {"-.5", "-0.500000"},
        {"5.", "5.000000"},      {"1e2", "100.000000"},        {"2.5E-1", "0.250000"}, {"7e", "7.000000"},
        {"7e+", "7.000000"},     {"50.5abc", "50.500000"},     {"1,5", "1.000000"},    {"0", "0.000000"},
        {"-0.0", "0.000000"},   {"1e-400", "0.000000"},       {"abc", "none"},        {"", "none"},
        {".", "none"},           {"-", "none"},                {"+.e5", "none"},       {"inf", "none"},
        {"nan", "none"},         {"0x1A", "0.000000"},         {"1e400", "none"},      {"-1e400", "none"},
        {"++1", "none"},         {"12 34", "12.000000"},
    };
    for (const Case& c : cases) EXPECT_EQ(number(c.in), c.out) << c.in;
    const std::string huge = "1" + std::string(400, '0') + "e-390";
    EXPECT_NEAR(*lireNombreGpx(huge), 1e10, 1e-3);
    const std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(*lireNombreGpx(tiny), 0.0);

    // The user's locale never changes how a file's number reads.
    FrenchLocale fr;
    if (!fr.active()) GTEST_SKIP() << "no French locale installed";
    EXPECT_EQ(*lireNombreGpx("50.5"), 50.5);
    EXPECT_EQ(number("50,5"), "50.000000");
}

TEST(GpxValues, IsoTimes) {
    struct Case {
        const char* in;
        const char* out;  // with 2 hours added
    };
    const Case cases[] = {
        {"2004-03-15T10:00:00Z", "2004-03-15 12:00:00"},
        {"2007-11-25T17:58:00+01:00", "2007-11-25 18:58:00"},
        {"2002-05-25T17:06:21.250Z", "2002-05-25 19:06:21"},
        {"  2002-05-25T17:06:21.999Z\n", "2002-05-25 19:06:21"},
        {"2004-03-15T10:00:00", "2004-03-15 12:00:00"},
        {"2004-03-15 10:00", "2004-03-15 12:00:00"},
        {"2004-03-15", "2004-03-15 02:00:00"},
        {"2004-03-15T23:30:00-0130", "2004-03-16 03:00:00"},
        {"2004-12-31T23:00:00Z", "2005-01-01 01:00:00"},
        {"2004-02-28T23:00:00Z", "2004-02-29 01:00:00"},
        {"2004-02-30T10:00:00Z", "none"},
        {"2004-03-15T24:00:00Z", "none"},
        {"2004-03-15T10:00:60Z", "none"},
        {"2004-03-15t10:00:00Z", "none"},
        {"2004-03-15T10:00:00z", "none"},
        {"2004-3-15T10:00:00Z", "none"},
        {"2004-03-15T10:00:00.Z", "none"},
        {"2004-03-15T10:00:00+01", "none"},
    };
    for (const Case& c : cases) EXPECT_EQ(date(lireTempsIso(c.in), 2), c.out) << c.in;
}

TEST(GpxValues, GeneralDatesAndGpxTimes) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case general[] = {
        {"15/03/2004", "2004-03-15 00:00:00"},  {"5/3/2004 7:05", "2004-03-05 07:05:00"},
        {"15/03/04 10:00:00", "2004-03-15 10:00:00"}, {"15/03/29", "2029-03-15 00:00:00"},
        {"15/03/30", "1930-03-15 00:00:00"},    {"2004-3-5 10:00:00", "2004-03-05 10:00:00"},
        {" 29/02/2004 ", "2004-02-29 00:00:00"}, {"29/02/2003", "none"},
        {"29/02/1900", "none"},                  {"29/02/2000", "2000-02-29 00:00:00"},
        {"31/04/2004", "none"},                  {"15/13/2004", "none"},
        {"15/03/2004 24:00", "none"},            {"15/03/2004 10:60", "none"},
        {"15/03/2004 10:00:60", "none"},         {"15/03/2004 10", "none"},
        {"15/03/2004x", "none"},                 {"15/03/200", "none"},
        {"115/03/2004", "none"},                 {"04-03-15", "none"},
        {"15-03-2004", "none"},                  {"", "none"},
        {"Maison", "none"},
    };
    for (const Case& c : general) EXPECT_EQ(date(lireDate(c.in)), c.out) << c.in;

    // A GPX time falls back to the general reading with "T" and "Z" made blanks.
    EXPECT_EQ(date(lireTempsGpx("2004-3-5T10:00Z"), 2), "2004-03-05 12:00:00");
    EXPECT_EQ(date(lireTempsGpx("2004-03-15T10:00:00z"), 2), "none");
    EXPECT_EQ(date(lireTempsGpx("2004-03-15t10:00:00"), 2), "none");

    // Calendar-correct hour shifts, both ways, and the limits of the year range.
    EXPECT_EQ(date(lireDate("01/01/2005 01:00"), -2), "2004-12-31 23:00:00");
    EXPECT_EQ(date(lireDate("31/12/9999 23:00"), 2), "");
    EXPECT_EQ(date(lireDate("0001-1-1"), -1), "");
}

TEST(GpxValues, TexteVersDate) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"15-JUL-04 10:00:00", "15/07/04 10:00:00"}, {"15-jul-04 10:00:00", "15/07/04 10:00:00"},
        {"15-AVR-04 10:30:00", "15/04/04 10:30:00"}, {"15-APR-04 10:30:00", "15/04/04 10:30:00"},
        {"01-FEB-2004", "01/02/2004"},               {"15/03/2004", "15/03/2004"},
        {"2004-3-15", "2004-3-15"},                  {"15-XYZ-04", ""},
        {"Maison", ""},                              {"", ""},
        {"15-JAN-04 -FEB-", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(texteVersDate(QString::fromUtf8(c.in)).toStdString(), c.out) << c.in;
}
