#include "CsvCompare.h"

#include <QFile>

namespace sotrix::bench {

namespace {

constexpr qsizetype kLinesKept = 4;

QByteArray withoutLineEnd(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    return line;
}

QList<QByteArray> values(const QByteArray& line) {
    QList<QByteArray> out;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c != '"')
                field.append(c);
            else if (i + 1 < line.size() && line[i + 1] == '"')
                field.append(line[++i]);
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            out.append(field);
            field.clear();
        } else {
            field.append(c);
        }
    }
    out.append(field);
    return out;
}

}  // namespace

CsvDifference compareCsvValues(const QString& a, const QString& b) {
    CsvDifference d;
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly)) return d;
    d.linesA = d.linesB = 0;
    for (;;) {
        const bool moreA = !fa.atEnd(), moreB = !fb.atEnd();
        if (!moreA && !moreB) break;
        const QByteArray la = moreA ? withoutLineEnd(fa.readLine()) : QByteArray();
        const QByteArray lb = moreB ? withoutLineEnd(fb.readLine()) : QByteArray();
        d.linesA += moreA;
        d.linesB += moreB;
        if (!moreA || !moreB || la == lb) continue;
        if (values(la) == values(lb)) {
            ++d.otherlyWritten;
            continue;
        }
        ++d.differingLines;
        if (d.first.size() < kLinesKept)
            d.first << QStringLiteral("line %1: %2 / %3")
                           .arg(d.linesA)
                           .arg(QString::fromUtf8(la), QString::fromUtf8(lb));
    }
    return d;
}

}  // namespace sotrix::bench
