#pragma once
// Selection by date without a widget: reading the dialog's boxes and writing the
// selection of the waypoints and whole tracks dated in a period.

#include "SelectionChangee.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

namespace sotrix {

class Database;

// A day typed as dd/MM/yyyy, d/M/yyyy, d/M/yy, dd-MM-yyyy, dd.MM.yyyy, yyyy-MM-dd or the
// locale's short format; a time after a blank is ignored. Two-digit years 00-29 are
// 2000-2029 and 30-99 are 1930-1999. Nullopt for anything else or an impossible day.
std::optional<QDate> litDate(const QString& text, const QLocale& locale = QLocale());

// The number at the start of a text, as a count of days: leading blanks, an optional
// sign, digits and an optional "." with decimals, truncated toward zero; 0 when the
// text starts with no number. Capped at 36 500 either way.
qint64 litNombreJours(const QString& text);
inline constexpr qint64 kMaxJours = 36500;

// The earliest and latest stored dates of any point, when both exist.
std::optional<std::pair<QDate, QDate>> etendueDates(Database& db);

// Selects the waypoints (waypoints true) dated from d1 to d2, both whole days, then the
// whole tracks with at least one point in that period (tracks true). When waypoints
// matched and a selection exists, nouvelleSelection is asked once: true clears every
// selection first. The writes are one transaction and write only the rows that change.
// Returns the listed rows changed, or nullopt when nothing matched.
std::optional<SelectionChangee> selectionneDates(Database& db, const QDate& d1, const QDate& d2, bool waypoints,
                                                 bool tracks, bool selectionExiste,
                                                 const std::function<bool()>& nouvelleSelection);

}  // namespace sotrix
