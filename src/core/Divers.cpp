#include "Divers.h"

#include "Database.h"
#include "State.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace sotrix {

QString decodeUtf8(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

QByteArray encodeUtf8(const QString& text) { return text.toUtf8(); }

void couleurRVB(qint32 colour, qint32& red, qint32& green, qint32& blue) {
    auto floorDiv = [](qint64 a, qint64 b) {
        qint64 q = a / b;
        if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
        return q;
    };
    const qint64 c = colour;
    const qint64 b = floorDiv(c, 65536);
    const qint64 g = floorDiv(c - b * 65536, 256);
    blue = qint32(b);
    green = qint32(g);
    red = qint32(c - b * 65536 - g * 256);
}

bool fichierExiste(const QString& path) noexcept {
    if (path.isEmpty()) return false;
    return QFileInfo(path).isFile();
}

bool champExiste(Database& db, const QString& table, const QString& column) noexcept {
    return db.columnExists(table, column);
}

void separateurDecimal() { state().sepDecimal = QLocale().decimalPoint(); }

void separateurDate() {
    const QString now = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    state().sepDate = now.contains(QLatin1Char('-')) ? QStringLiteral("-") : QStringLiteral("/");
}

QString remplace(const QString& text, const QString& find, const QString& repl) {
    QString s = text;
    if (!find.isEmpty() && find != repl) s.replace(find, repl, Qt::CaseSensitive);
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s[begin] == QLatin1Char(' ')) ++begin;
    while (end > begin && s[end - 1] == QLatin1Char(' ')) --end;
    return s.mid(begin, end - begin);
}

bool connecteInternet() {
    State& s = state();
    if (!s.reachability) s.reachability = std::make_shared<SystemReachability>();
    return s.reachability->connected();
}

QString uneLigne(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return supprimeDoublons(s, QStringLiteral(" "));
}

QString nomAffiche(const QString& text) {
    if (text.size() <= kLongueurAffichee) return text;
    qsizetype keep = kLongueurAffichee - 1;
    if (text.at(keep - 1).isHighSurrogate()) --keep;
    return text.first(keep) + QChar(0x2026);
}

QString supprimeDoublons(const QString& text, const QString& separator) {
    const QChar placeholder(u'\0');
    QString s = text;
    if (!separator.isEmpty()) s.replace(separator, QString(placeholder));
    const QString pair(2, placeholder);
    while (s.contains(pair)) s.replace(pair, QString(placeholder));
    if (s.startsWith(placeholder)) s.remove(0, 1);
    if (s.endsWith(placeholder)) s.chop(1);
    s.replace(placeholder, separator);
    return s;
}

}  // namespace sotrix
