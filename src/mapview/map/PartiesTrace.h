#pragma once
// A long track read in parts side by side: ranges of Num_trace, each read on a connection
// of its own on another thread. Used where a command reads every point of a track.

#include "Database.h"

#include <QtGlobal>

#include <utility>
#include <vector>

namespace sotrix {

// Shares out the points of tracks, one track after another, with its statements prepared once.
class DecoupageTraces {
public:
    explicit DecoupageTraces(Database& db);
    // The ranges [from, to) of Num_trace that share out the numbered points of the track
    // between at most partiesMax parts of about pointsParPartie numbers each; the points
    // whose Num_trace is Null are in none. Empty when the track is to be read in one query:
    // fewer than two parts, Num_trace that are not whole numbers, or a connection inside a
    // transaction (other connections would not see its rows).
    std::vector<std::pair<qint64, qint64>> plages(qint64 idTrace, qint64 pointsParPartie, qint64 partiesMax);

private:
    Database& db_;
    Statement premier_, dernier_;
};

// The same for one track.
std::vector<std::pair<qint64, qint64>> partiesNumTrace(Database& db, qint64 idTrace, qint64 pointsParPartie,
                                                        qint64 partiesMax);

// How many parts run side by side: the processors, from two to eight.
qint64 partiesSimultanees();

}  // namespace sotrix
