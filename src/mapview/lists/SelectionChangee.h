#pragma once
// What a selection command changed, as the statements that wrote it report it: the keys of
// the listed rows (waypoints, tracks) whose Selected went to true or to false. The lists
// take these rows over without reading the tables again.

#include <QString>
#include <QVariantList>

#include <vector>

namespace sotrix {

class Database;
class Statement;

// RETURNING clauses giving the key and the new Selected of the listed rows a write changed.
extern const char* const kRetourWaypoints;
extern const char* const kRetourTraces;

// The rows of one list whose Selected changed, by their new state; or, with seules, every
// row now selected, all others being unselected (a selection that replaced the list's,
// which need not name the many rows it unselected).
struct Bascules {
    std::vector<qint64> selectionnees, deselectionnees;
    bool seules = false;
};

struct SelectionChangee {
    Bascules waypoints, traces;
};

// Runs a write whose RETURNING gives the key and the new Selected of each row it changed,
// and files the keys by that state; a third column, where there is one, is 0 for rows that
// no list shows, which are left out.
void ecritEtNote(Statement& st, Bascules& into);
void ecritEtNote(Database& db, const QString& sql, const QVariantList& params, Bascules& into);

// The rows a clearing of the selection keeps: an SQL condition and its parameters. The
// conditions of waypoints and track points go into one statement, in that order: a name
// they share is one parameter, whose value the first gives.
struct Garde {
    QString sql = QStringLiteral("0");
    QVariantList params;
};
// Clears every Selected but those of the waypoints, track points and tracks kept, writing
// only the rows that change; adds the listed rows to c. With seules, the waypoints cleared
// are not returned, however many: c.waypoints is marked as naming the waypoints selected
// afterwards, which the caller adds.
void effaceSauf(Database& db, SelectionChangee& c, const Garde& waypoints = {}, const Garde& points = {},
                const Garde& traces = {}, bool seules = false);


}  // namespace sotrix
