#pragma once
// The texts of a GPX file written by the export: numbers with "." whatever the locale,
// GPX times, and names and descriptions escaped for XML 1.0.

#include <QByteArray>
#include <QDateTime>
#include <QStringView>

namespace sotrix {

// Exactly 8 decimals ("50.50000000", "-4.25000000"); a value that rounds to zero is
// "0.00000000", without a sign.
void appendCoordinate(QByteArray& out, double value);

// The shortest text of up to 15 significant digits ("123.4", "100", "0.5"), never with an
// exponent, which GPX decimals do not allow.
void appendAltitude(QByteArray& out, double value);

// "yyyy-MM-ddTHH:mm:ssZ" of a UTC date and time.
void appendGpxTime(QByteArray& out, const QDateTime& utc);

// UTF-8 of the text with &, <, >, " and ' as entity references; characters that XML 1.0
// does not allow (controls other than tab, LF and CR, U+FFFE, U+FFFF, lone surrogates)
// are left out.
void appendEscaped(QByteArray& out, QStringView text);

}  // namespace sotrix
