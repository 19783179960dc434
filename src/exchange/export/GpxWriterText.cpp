#include "GpxWriterText.h"

#include <QString>

#include <charconv>
#include <cmath>

namespace sotrix {

void appendCoordinate(QByteArray& out, double value) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 8);
    const char* begin = buf;
    if (buf[0] == '-') {
        bool zero = true;
        for (const char* p = buf + 1; p < r.ptr; ++p)
            if (*p >= '1' && *p <= '9') zero = false;
        if (zero) ++begin;
    }
    out.append(begin, r.ptr - begin);
}

void appendAltitude(QByteArray& out, double value) {
    const QString g = QString::number(value, 'g', 15);
    if (!g.contains(QLatin1Char('e')) || !std::isfinite(value)) {
        out.append(g.toLatin1());
        return;
    }
    // The 15-digit value in fixed form: its shortest text that reads back the same.
    const double rounded = g.toDouble();
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed);
    out.append(buf, r.ptr - buf);
}

void appendGpxTime(QByteArray& out, const QDateTime& utc) {
    const QDate d = utc.date();
    const QTime t = utc.time();
    char buf[32];
    char* p = buf;
    auto put = [&p](int value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            p[i] = char('0' + value % 10);
            value /= 10;
        }
        p += count;
    };
    put(d.year(), 4);
    *p++ = '-';
    put(d.month(), 2);
    *p++ = '-';
    put(d.day(), 2);
    *p++ = 'T';
    put(t.hour(), 2);
    *p++ = ':';
    put(t.minute(), 2);
    *p++ = ':';
    put(t.second(), 2);
    *p++ = 'Z';
    out.append(buf, p - buf);
}

void appendEscaped(QByteArray& out, QStringView text) {
    QString clean;
    clean.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            clean.append(c);
            clean.append(text[++i]);
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) continue;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') continue;
        switch (u) {
        case u'&': clean.append(QLatin1String("&amp;")); break;
        case u'<': clean.append(QLatin1String("&lt;")); break;
        case u'>': clean.append(QLatin1String("&gt;")); break;
        case u'"': clean.append(QLatin1String("&quot;")); break;
        case u'\'': clean.append(QLatin1String("&apos;")); break;
        default: clean.append(c);
        }
    }
    out.append(clean.toUtf8());
}

}  // namespace sotrix
