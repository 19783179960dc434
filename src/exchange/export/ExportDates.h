#pragma once
// Dates as the database stores them ("yyyy-MM-dd HH:mm:ss", no zone), read once and
// written in the forms of the export files.

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace sotrix {

struct StoredDate {
    int year, month, day, hour, minute, second;
};

// "yyyy-MM-dd HH:mm:ss" (a "T" is also taken in place of the blank) or "yyyy-MM-dd" alone
// (midnight); anything else, or an impossible date, gives nullopt.
std::optional<StoredDate> parseStoredDate(QStringView text);

// "dd/MM/yyyy HH:mm:ss", 19 characters.
QString dateMesure(const StoredDate& d);

// The date as a UTC date and time, for arithmetic.
QDateTime toUtc(const StoredDate& d);

}  // namespace sotrix
