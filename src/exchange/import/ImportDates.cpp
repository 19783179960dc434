#include "ImportDates.h"

#include <array>
#include <string>

namespace sotrix {

namespace {

constexpr qint64 kSecondsPerDay = 86400;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 y, int m, int d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    qint64 y;
    int m;
    int d;
};

Civil civilFromDays(qint64 z) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

bool isLeap(qint64 y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool validDate(qint64 y, int m, int d) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    return d <= days[m - 1] + (m == 2 && isLeap(y));
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

// A left-to-right reader of one text.
class Scan {
public:
    explicit Scan(std::string_view s) : s_(s) {}
    bool atEnd() const { return i_ == s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[i_]; }
    bool take(char c) {
        if (peek() != c) return false;
        ++i_;
        return true;
    }
    // Between min and max decimal digits.
    std::optional<int> digits(int min, int max) {
        int value = 0;
        int n = 0;
        while (n < max && !atEnd() && s_[i_] >= '0' && s_[i_] <= '9') {
            value = value * 10 + (s_[i_] - '0');
            ++i_;
            ++n;
        }
        if (n < min) return std::nullopt;
        return value;
    }
    bool digitFollows() const { return !atEnd() && s_[i_] >= '0' && s_[i_] <= '9'; }
    std::size_t position() const { return i_; }
    int blanks() {
        int n = 0;
        while (peek() == ' ') {
            ++i_;
            ++n;
        }
        return n;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

struct Clock {
    int hh = 0, mi = 0, ss = 0;
};

// "H:mm" or "H:mm:ss", the hour of minHourDigits to 2 digits. With fraction, ":ss" may
// go on with "." and digits, which are dropped.
std::optional<Clock> readClock(Scan& s, int minHourDigits, bool fraction) {
    const auto h = s.digits(minHourDigits, 2);
    if (!h || !s.take(':')) return std::nullopt;
    const auto n = s.digits(2, 2);
    if (!n) return std::nullopt;
    Clock c{*h, *n, 0};
    if (s.take(':')) {
        const auto sec = s.digits(2, 2);
        if (!sec) return std::nullopt;
        c.ss = *sec;
        if (fraction && s.take('.')) {
            if (!s.digitFollows()) return std::nullopt;
            while (s.digitFollows()) s.digits(1, 1);
        }
    }
    return c;
}

std::optional<qint64> instant(qint64 y, int m, int d, int hh, int mi, int ss) {
    if (!validDate(y, m, d) || hh > 23 || mi > 59 || ss > 59) return std::nullopt;
    return daysFromCivil(y, m, d) * kSecondsPerDay + hh * 3600 + mi * 60 + ss;
}

struct MonthRow {
    const char* abbreviation;
    const char* replacement;
};

constexpr std::array<MonthRow, 16> kMonths{{{"-JAN-", "/01/"},
                                            {"-FEV-", "/02/"},
                                            {"-MAR-", "/03/"},
                                            {"-AVR-", "/04/"},
                                            {"-MAI-", "/05/"},
                                            {"-JUN-", "/06/"},
                                            {"-JUL-", "/07/"},
                                            {"-AOU-", "/08/"},
                                            {"-SEP-", "/09/"},
                                            {"-OCT-", "/10/"},
                                            {"-NOV-", "/11/"},
                                            {"-DEC-", "/12/"},
                                            {"-FEB-", "/02/"},
                                            {"-APR-", "/04/"},
                                            {"-MAY-", "/05/"},
                                            {"-AUG-", "/08/"}}};

bool readsAsDate(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return lireDate(std::string_view(utf8.constData(), std::size_t(utf8.size()))).has_value();
}

}  // namespace

std::optional<qint64> lireTempsIso(std::string_view text) {
    Scan s(trimmed(text));
    const auto y = s.digits(4, 4);
    if (!y || !s.take('-')) return std::nullopt;
    const auto m = s.digits(2, 2);
    if (!m || !s.take('-')) return std::nullopt;
    const auto d = s.digits(2, 2);
    if (!d || s.digitFollows()) return std::nullopt;
    Clock clock;
    if (s.take('T') || s.take(' ')) {
        const auto c = readClock(s, 2, true);
        if (!c || s.digitFollows()) return std::nullopt;
        clock = *c;
    }
    qint64 offset = 0;
    if (s.peek() == '+' || s.peek() == '-') {
        const int sign = s.take('-') ? -1 : 1;
        s.take('+');
        const auto oh = s.digits(2, 2);
        if (!oh) return std::nullopt;
        s.take(':');
        const auto om = s.digits(2, 2);
        if (!om || *oh > 23 || *om > 59) return std::nullopt;
        offset = sign * (qint64(*oh) * 3600 + qint64(*om) * 60);
    } else {
        s.take('Z');
    }
    if (!s.atEnd()) return std::nullopt;
    const auto local = instant(*y, *m, *d, clock.hh, clock.mi, clock.ss);
    if (!local) return std::nullopt;
    return *local - offset;
}

std::optional<qint64> lireDate(std::string_view text) {
    Scan s(trimmed(text));
    qint64 y = 0;
    int m = 0, d = 0;
    const auto first = s.digits(1, 4);
    if (!first) return std::nullopt;
    const std::size_t firstDigits = s.position();
    if (s.take('/')) {
        if (firstDigits > 2) return std::nullopt;  // a day takes one or two digits
        d = *first;
        const auto mo = s.digits(1, 2);
        if (!mo || !s.take('/')) return std::nullopt;
        m = *mo;
        Scan probe = s;
        const auto four = probe.digits(4, 4);
        if (four && !probe.digitFollows()) {
            y = *four;
            s = probe;
        } else {
            const auto two = s.digits(2, 2);
            if (!two || s.digitFollows()) return std::nullopt;
            y = anneeComplete(*two);
        }
    } else if (s.take('-')) {
        if (firstDigits != 4) return std::nullopt;  // the year takes four digits
        y = *first;
        const auto mo = s.digits(1, 2);
        if (!mo || !s.take('-')) return std::nullopt;
        m = *mo;
        const auto da = s.digits(1, 2);
        if (!da || s.digitFollows()) return std::nullopt;
        d = *da;
    } else {
        return std::nullopt;
    }
    Clock clock;
    if (!s.atEnd()) {
        if (s.blanks() == 0) return std::nullopt;
        const auto c = readClock(s, 1, false);
        if (!c || !s.atEnd()) return std::nullopt;
        clock = *c;
    }
    return instant(y, m, d, clock.hh, clock.mi, clock.ss);
}

qint64 anneeComplete(qint64 annee) { return annee < 30 ? 2000 + annee : 1900 + annee; }

std::optional<qint64> instantCivil(qint64 annee, int mois, int jour, int heures, int minutes, int secondes) {
    if (heures < 0 || minutes < 0 || secondes < 0) return std::nullopt;
    return instant(annee, mois, jour, heures, minutes, secondes);
}

QString texteVersDate(const QString& text) {
    if (readsAsDate(text)) return text;
    QString u = text.toUpper();
    for (const MonthRow& row : kMonths) {
        const QLatin1String abbreviation(row.abbreviation);
        if (u.contains(abbreviation)) {
            u.replace(abbreviation, QLatin1String(row.replacement));
            break;
        }
    }
    return readsAsDate(u) ? u : QString();
}

std::optional<qint64> lireTempsGpx(std::string_view text) {
    if (const auto iso = lireTempsIso(text)) return iso;
    std::string blanked(text);
    for (char& c : blanked)
        if (c == 'T' || c == 'Z') c = ' ';
    return lireDate(blanked);
}

QString formateDate(qint64 instant, int heures) {
    const qint64 t = instant + qint64(heures) * 3600;
    const qint64 days = t >= 0 ? t / kSecondsPerDay : -((-t + kSecondsPerDay - 1) / kSecondsPerDay);
    const qint64 secs = t - days * kSecondsPerDay;
    const Civil c = civilFromDays(days);
    if (c.y < 1 || c.y > 9999) return {};
    char out[20];
    const int h = int(secs / 3600), mi = int(secs / 60 % 60), s = int(secs % 60);
    const int y = int(c.y);
    const char* const digits = "0123456789";
    auto put2 = [&](int pos, int v) {
        out[pos] = digits[v / 10];
        out[pos + 1] = digits[v % 10];
    };
    put2(0, y / 100);
    put2(2, y % 100);
    out[4] = '-';
    put2(5, c.m);
    out[7] = '-';
    put2(8, c.d);
    out[10] = ' ';
    put2(11, h);
    out[13] = ':';
    put2(14, mi);
    out[16] = ':';
    put2(17, s);
    return QString::fromLatin1(out, 19);
}

}  // namespace sotrix
