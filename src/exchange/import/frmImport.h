#pragma once
// The field-mapping dialog "Importation fichier": between File > Open and the import
// engine for shapefiles and delimited CSV files, the user says which field or column
// holds the names, which columns the coordinates, the file's decimal separator and its
// coordinate system. "Ouvrir" stores these choices in the shared state and runs the
// import; every way out gives the main window back. What the dialog decides without a
// widget (the lists, the automatic choices, the checks) are plain functions.

#include "HandModal.h"
#include "ImportEngine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sotrix {

// Positions in the dialog's lists; -1 for no selection. projection: 0 "GPS", 1 "Affichage".
struct ChoixImport {
    int nom = -1;
    int x = -1;
    int y = -1;
    int projection = 1;
};

// The choices the dialog makes by itself. Name: the first item reading "NOM", "NAME" or
// "LABEL" in upper case. X: the first coordinate item reading "X" (then "Affichage") or
// "LON", "LONG", "LONGITUDE" (then "GPS"); Y likewise with "Y", "LAT", "LATITUDE", after
// X, so that its projection wins.
ChoixImport choixAutomatiques(const QStringList& noms, const QStringList& coordonnees);

// The refusal of "Ouvrir" for these choices, in the order the checks run; nothing when
// they are complete.
std::optional<QString> refusChoix(int typeFichier, const ChoixImport& choix, const QString& sepDecimal);

// "Une erreur est survenue lors de l'importation du shapefile."
QString texteEchecShapefile();

// The field names of the attribute table beside a shapefile, in file order; or the text
// telling why they cannot be had (no table, an unreadable one, two names equal ignoring
// case).
std::variant<QStringList, QString> champsAttributs(const QString& shpPath);

class frmImport final : public HandModalDialog {
    Q_OBJECT
public:
    using Importeur = std::function<ImportOutcome(bool fromGps)>;
    // Called once as the dialog goes: whether "Ouvrir" ran the import.
    using Fin = std::function<void(bool importLance)>;

    explicit frmImport(Importeur importeur = importeFichier, Fin fin = {});

    // Fills the lists for state().nomFichier and state().typeFichier and makes the
    // automatic choices. False when the load failed: its message was shown, the main
    // window was given back and the dialog is going (it must not be shown).
    bool Form_Load();
    // Checks the choices; when they are complete, stores them, runs the import, clears
    // both unsaved-changes flags, zooms, redraws and closes.
    void ouvrir_dbf_Click();
    void annuler_dbf_Click();

protected:
    void closeFromControlBox() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void termine(bool importLance);

    Importeur importeur_;
    Fin fin_;
    QComboBox* Combo_nom_;
    QComboBox* Combo_x_;
    QComboBox* Combo_y_;
    QComboBox* Combo_projection_;
    QLineEdit* txtSep_;
    QLabel* Label3_6_;
    QLabel* Label3_9_;
    QLabel* Label3_7_;
    QLabel* Label3_0_;
    QLabel* Label3_1_;
    QPushButton* ouvrir_dbf_;
    QPushButton* annuler_dbf_;
};

// File > Open's way into the dialog for a shapefile (typeFichier 1) or a delimited CSV
// file (4, 5): sets nomFichier, typeFichier and, for CSV, sepChamps; loads the dialog and
// shows it over the main window without waiting. False when the load failed (already
// told to the user; nothing was imported). fin, when given, is called as the dialog goes,
// with whether the import ran.
bool ouvreFrmImport(const QString& path, int typeFichier, frmImport::Fin fin = {},
                    frmImport::Importeur importeur = importeFichier);

}  // namespace sotrix
