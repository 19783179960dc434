#pragma once
// The values of state().typeFichier: the 1-based position of the filter chosen in the
// last Open or Save dialog. The GPS transfers set the GPX value of both.

namespace sotrix::typefichier {

// File > Open.
inline constexpr int kOuvrirShapefile = 1;
inline constexpr int kOuvrirGpx = 2;
inline constexpr int kOuvrirG7ToWin = 3;
inline constexpr int kOuvrirCsvPointVirgule = 4;  // this and every higher value: delimited CSV
inline constexpr int kOuvrirCsvVirgule = 5;

// File > Save.
inline constexpr int kEnregistrerShapefile = 1;
inline constexpr int kEnregistrerGpx = 2;
inline constexpr int kEnregistrerCsv = 3;

}  // namespace sotrix::typefichier
