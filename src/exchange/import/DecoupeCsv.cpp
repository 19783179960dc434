#include "DecoupeCsv.h"

#include <charconv>
#include <string>
#include <system_error>

namespace sotrix {

namespace {

constexpr QChar kGuillemet = QLatin1Char('"');

bool estChiffre(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool estBlanc(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

}  // namespace

void decoupeLigneCsv(QStringView ligne, QChar delimiteur, QStringList& champs) {
    champs.clear();
    const qsizetype n = ligne.size();
    qsizetype i = 0;
    while (i < n) {
        if (ligne[i] != kGuillemet) {
            const qsizetype fin = ligne.indexOf(delimiteur, i);
            if (fin < 0) {
                champs << ligne.mid(i).toString();
                return;
            }
            champs << ligne.mid(i, fin - i).toString();
            i = fin + 1;
            if (i == n) champs << QString();  // a delimiter at the end opens one more field
            continue;
        }
        // Quoted: up to the first quote that is not the first of a pair.
        QString champ;
        qsizetype j = i + 1;
        for (;;) {
            const qsizetype q = ligne.indexOf(kGuillemet, j);
            if (q < 0) {  // never closed: the rest of the line
                champ += ligne.mid(j);
                champs << champ;
                return;
            }
            champ += ligne.mid(j, q - j);
            if (q + 1 < n && ligne[q + 1] == kGuillemet) {
                champ += kGuillemet;
                j = q + 2;
                continue;
            }
            champs << champ;
            i = q + 2;  // the closing quote and the one character after it
            break;
        }
    }
}

std::optional<double> lireNombreStrict(QStringView texte, QChar marque) {
    qsizetype debut = 0, fin = texte.size();
    while (debut < fin && estBlanc(texte[debut])) ++debut;
    while (fin > debut && estBlanc(texte[fin - 1])) --fin;

    // Copied as ASCII with "." for the mark, checking the shape on the way; the decimal
    // exponent of the first significant digit tells an overflow from an underflow.
    std::string nombre;
    nombre.reserve(std::size_t(fin - debut));
    qsizetype i = debut;
    bool negatif = false;
    if (i < fin && (texte[i] == QLatin1Char('-') || texte[i] == QLatin1Char('+'))) negatif = texte[i++] == QLatin1Char('-');
    if (negatif) nombre += '-';
    long long grandeur = 0;
    bool significatif = false;
    qsizetype chiffres = 0;
    for (; i < fin && estChiffre(texte[i]); ++i, ++chiffres) {
        if (significatif || texte[i] != QLatin1Char('0')) {
            if (significatif) ++grandeur;
            significatif = true;
        }
        nombre += char(texte[i].unicode());
    }
    if (i < fin && texte[i] == marque) {
        nombre += '.';
        long long position = 0;
        for (++i; i < fin && estChiffre(texte[i]); ++i, ++chiffres) {
            ++position;
            if (!significatif && texte[i] != QLatin1Char('0')) {
                significatif = true;
                grandeur = -position;
            }
            nombre += char(texte[i].unicode());
        }
    }
    if (chiffres == 0) return std::nullopt;
    if (i < fin && (texte[i] == QLatin1Char('e') || texte[i] == QLatin1Char('E'))) {
        nombre += 'e';
        ++i;
        bool expNegatif = false;
        if (i < fin && (texte[i] == QLatin1Char('-') || texte[i] == QLatin1Char('+'))) {
            expNegatif = texte[i] == QLatin1Char('-');
            if (expNegatif) nombre += '-';
            ++i;
        }
        if (i == fin || !estChiffre(texte[i])) return std::nullopt;
        long long exposant = 0;
        for (; i < fin && estChiffre(texte[i]); ++i) {
            if (exposant < 100000000) exposant = exposant * 10 + (texte[i].unicode() - '0');
            nombre += char(texte[i].unicode());
        }
        grandeur += expNegatif ? -exposant : exposant;
    }
    if (i != fin) return std::nullopt;

    double valeur = 0;
    const auto [fin2, ec] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), valeur);
    if (ec == std::errc::result_out_of_range) {
        if (!significatif || grandeur < 0) return negatif ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || fin2 != nombre.data() + nombre.size()) return std::nullopt;
    return valeur;
}

}  // namespace sotrix
