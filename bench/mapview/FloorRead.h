#pragma once
// The floor of a redraw: the same columns of the same rows read through the sqlite3 C API
// in one plain loop each, with nothing drawn: X, Y and Selected of the waypoints that can
// reach the view, then X and Y of the points of every track whose box meets it, in track
// order.

#include <QRectF>
#include <QString>

namespace sotrix::bench {

struct FloorAreas {
    QRectF waypoints, tracks;  // in map units
};

class FloorRead {
public:
    // Works out, once, which way of reading the waypoints is the faster for these areas (a
    // pass over the table or the position index), as someone writing the loop would.
    FloorRead(const QString& databasePath, const FloorAreas& areas);
    // Reads the rows once; returns the rows read.
    long long read() const;

private:
    long long readWith(bool byIndex) const;
    QString path_;
    FloorAreas areas_;
    bool byIndex_ = false;
};

}  // namespace sotrix::bench
