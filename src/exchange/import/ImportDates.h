#pragma once
// Dates read from imported files, without the C library's locale: ISO 8601 times, the
// day-first and year-first forms a user types, and the month abbreviations of receivers.
// Instants are seconds from 1970-01-01 00:00:00 on a calendar with no time zone, so that
// adding hours never meets a daylight-saving jump.

#include <QString>

#include <optional>
#include <string_view>

namespace sotrix {

// "yyyy-MM-dd" [("T" | " ") "HH:mm" [":ss" ["." fraction]]] ["Z" | "+hh:mm" | "+hhmm" | "-..."],
// surrounding white space ignored; an offset is turned to UTC, the fraction dropped.
std::optional<qint64> lireTempsIso(std::string_view text);

// "d/m/yyyy", "d/m/yy" or "yyyy-m-d", each optionally followed by blanks and "H:mm" or
// "H:mm:ss". Two-digit years 00-29 are 20xx, 30-99 19xx.
std::optional<qint64> lireDate(std::string_view text);

// The year of a two-digit year: 00-29 are 20xx, 30-99 19xx.
qint64 anneeComplete(qint64 annee);

// The instant of a date and time of day; nothing when it is no valid date (years
// 1..9999) or time.
std::optional<qint64> instantCivil(qint64 annee, int mois, int jour, int heures, int minutes, int secondes);

// The text when it reads as a date; else its upper-case form with the first month
// abbreviation found ("-JAN-", "-FEV-", ...) turned to "/mm/" when that reads as a
// date; else "".
QString texteVersDate(const QString& text);

// The text of a GPX "time": ISO 8601, else with every "T" and "Z" made a blank and read
// as above.
std::optional<qint64> lireTempsGpx(std::string_view text);

// The instant plus a number of hours, as "yyyy-MM-dd HH:mm:ss"; "" when the year falls
// outside 1..9999.
QString formateDate(qint64 instant, int heures = 0);

}  // namespace sotrix
