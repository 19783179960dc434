#pragma once
// Small shared procedures: text conversions, colour split, file and column tests,
// locale separators, the number-separator swap, the flattening of multi-line text and
// the bounded text of a name on screen.

#include <QByteArray>
#include <QString>

namespace sotrix {

class Database;

// UTF-8 bytes to text; invalid bytes become U+FFFD, never a failure.
QString decodeUtf8(const QByteArray& bytes);
QByteArray encodeUtf8(const QString& text);

// Splits a 0x00BBGGRR colour with floor division, so that values outside 0..0xFFFFFF
// still give their two low bytes as red and green.
void couleurRVB(qint32 colour, qint32& red, qint32& green, qint32& blue);

// True for an existing regular file (not a folder); the path is taken literally.
bool fichierExiste(const QString& path) noexcept;

// True when the table has that column; any failure gives false.
bool champExiste(Database& db, const QString& table, const QString& column) noexcept;

// The user's locale separators, stored in state().sepDecimal and state().sepDate.
void separateurDecimal();
void separateurDate();

// Replaces every occurrence of find by repl (when find is not empty and differs from
// repl), then trims spaces, and only spaces, at both ends.
QString remplace(const QString& text, const QString& find, const QString& repl);

// Whether the machine is online (through state().reachability).
bool connecteInternet();

// Line breaks become blanks, runs of blanks one blank, no blank at either end.
QString uneLigne(const QString& text);
// Collapses runs of the separator into one and removes it from both ends.
QString supprimeDoublons(const QString& text, const QString& separator);

// The most characters a name or free text takes in a list, a window or a message.
inline constexpr qsizetype kLongueurAffichee = 256;
// The text as shown: whole up to kLongueurAffichee characters, else its start and "…"
// within that length, never splitting a character. Its cost does not grow with the text.
QString nomAffiche(const QString& text);

}  // namespace sotrix
