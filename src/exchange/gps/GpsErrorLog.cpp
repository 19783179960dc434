#include "GpsErrorLog.h"

#include "Divers.h"

#include <QFile>
#include <QFileInfo>

namespace sotrix {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }

// Moves past one line end (LF, CR LF or CR) at pos.
qsizetype skipLineEnd(const QString& text, qsizetype pos) {
    if (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') return pos + 2;
    return pos + 1;
}

}  // namespace

QStringList decoupeErreurs(const QString& text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && isBlank(text[pos])) ++pos;
        QString item;
        if (pos < n && text[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? n : close;
            item = text.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? n : close + 1;
            // What follows the closing quote, up to the delimiter, is not part of the item.
            while (pos < n && text[pos] != u',' && !isLineEnd(text[pos])) ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < n && text[pos] != u',' && !isLineEnd(text[pos])) ++pos;
            item = text.mid(start, pos - start);
        }
        items << item;
        if (pos >= n) break;
        if (text[pos] == u',') {
            ++pos;
            // A comma at the very end still opens one more, empty, item.
            if (pos >= n) items << QString();
        } else {
            pos = skipLineEnd(text, pos);
        }
    }
    return items;
}

std::optional<QStringList> lisErreurs(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path)) return QStringList();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return decoupeErreurs(decodeUtf8(file.readAll()));
}

}  // namespace sotrix
