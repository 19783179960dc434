#pragma once
// Cutting one line of delimited text into its fields, and the strict reading of the
// numbers found in such fields.

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace sotrix {

// Splits one line (without its end) on the delimiter into champs, which is cleared
// first. An empty line gives no field. A field that begins with a double quote runs to
// the closing quote, each doubled quote inside giving one; exactly one character after
// the closing quote is dropped (the delimiter in a well-formed line), and a quoted field
// that ends the line adds no empty field after it. A quote that is never closed runs to
// the end of the line. An unquoted field runs to the next delimiter; a line ending with
// the delimiter ends with an empty field. Nothing is trimmed, and a quote inside an
// unquoted field is an ordinary character.
void decoupeLigneCsv(QStringView ligne, QChar delimiteur, QStringList& champs);

// A number written [sign] digits [mark [digits]] or [sign] mark digits, then optionally
// e or E, [sign] and digits, with blanks and tabs allowed around it and nothing else.
// The mark is the decimal separator of the text ("." or ","). Nothing for any other text
// ("", "1 2", "nan", "inf", "0x1p3", a grouping separator) or a value too large for a
// double; a value too small for one reads as 0.
std::optional<double> lireNombreStrict(QStringView texte, QChar marque);

}  // namespace sotrix
