#pragma once
// Compares two ";" CSV files value by value: each line is split into its fields, a field
// between double quotes taken without them ("" inside standing for one "), so that two
// writers that quote differently agree when their values do. Fields do not span lines.

#include <QString>
#include <QStringList>

namespace sotrix::bench {

struct CsvDifference {
    qint64 linesA = -1, linesB = -1;  // -1 when the file cannot be read
    qint64 differingLines = 0;        // lines whose values differ, over the lines both have
    qint64 otherlyWritten = 0;        // lines with the same values written otherwise
    QStringList first;                // the first differing lines, both sides
    bool sameValues() const { return linesA >= 0 && linesA == linesB && differingLines == 0; }
};

CsvDifference compareCsvValues(const QString& a, const QString& b);

}  // namespace sotrix::bench
