#include "ExportDates.h"

#include <QDate>

namespace sotrix {

namespace {

// The number written by count digits at text[at], or -1 when one of them is no digit.
int digits(QStringView text, qsizetype at, int count) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[at + i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

void put(char16_t*& out, int value, int count) {
    for (int i = count - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    out += count;
}

}  // namespace

std::optional<StoredDate> parseStoredDate(QStringView text) {
    if (text.size() != 10 && text.size() != 19) return std::nullopt;
    if (text[4] != u'-' || text[7] != u'-') return std::nullopt;
    StoredDate d{digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2), 0, 0, 0};
    if (text.size() == 19) {
        if ((text[10] != u' ' && text[10] != u'T') || text[13] != u':' || text[16] != u':') return std::nullopt;
        d.hour = digits(text, 11, 2);
        d.minute = digits(text, 14, 2);
        d.second = digits(text, 17, 2);
    }
    if (d.year < 0 || d.month < 0 || d.day < 0 || d.hour < 0 || d.minute < 0 || d.second < 0) return std::nullopt;
    if (!QDate::isValid(d.year, d.month, d.day) || d.hour > 23 || d.minute > 59 || d.second > 59)
        return std::nullopt;
    return d;
}

QString dateMesure(const StoredDate& d) {
    QString s(19, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    put(out, d.day, 2);
    *out++ = u'/';
    put(out, d.month, 2);
    *out++ = u'/';
    put(out, d.year, 4);
    *out++ = u' ';
    put(out, d.hour, 2);
    *out++ = u':';
    put(out, d.minute, 2);
    *out++ = u':';
    put(out, d.second, 2);
    return s;
}

QDateTime toUtc(const StoredDate& d) {
    return QDateTime(QDate(d.year, d.month, d.day), QTime(d.hour, d.minute, d.second), Qt::UTC);
}

}  // namespace sotrix
