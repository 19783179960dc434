#pragma once
// The delimited-CSV reader of the import engine (typeFichier 4 and above): every data
// line is one waypoint, its name and coordinates in the columns chosen in the
// field-mapping dialog.

#include "ImportReader.h"
#include "LecteurTexte.h"
#include "LectureSink.h"

#include <QChar>
#include <QString>

namespace sotrix {

struct ChoixCsv {
    QChar delimiteur = QLatin1Char(';');
    int colonneNom = 0;  // 0-based positions
    int colonneX = 0;
    int colonneY = 0;
    QString sepDecimalFichier = QStringLiteral(".");  // turned into sepDecimal; "" turns nothing
    QString sepDecimal = QStringLiteral(".");         // the mark the numbers are read with
};

// The field delimiter of a CSV type of File > Open: "," for 5, ";" for the others.
QChar delimiteurCsv(int typeFichier);

// The choices left in the shared state by the dialog (sepChamps, or the type's delimiter
// when it is unset); nothing when a column is missing.
std::optional<ChoixCsv> choixCsvCourants();

// Walks the lines after the header. An empty line is passed over; a line too short for
// the chosen columns, or whose X or Y is not a number, is skipped (sink.skipped). The
// name column trimmed empty gives no name. ReadFailure when the text stops being
// readable; Stop as soon as the sink stops.
Flow parcourtCsv(LecteurTexte& lignes, const ChoixCsv& choix, LectureSink& sink);

class CsvImport final : public ImportReader {
public:
    bool ouvre(const QString& path) override;
    Flow lit(PointStore& store, bool fromGps) override;
    LignesIgnorees lignesIgnorees() const override { return ignorees_; }

private:
    LecteurTexte lignes_;
    ChoixCsv choix_;
    LignesIgnorees ignorees_;
};

}  // namespace sotrix
