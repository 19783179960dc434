#include "ExportEngine.h"

#include "CsvWriter.h"
#include "Database.h"
#include "Divers.h"
#include "ExportFailure.h"
#include "FileMessages.h"
#include "GpxWriter.h"
#include "Prompter.h"
#include "ShapefileSetWriter.h"
#include "State.h"
#include "TypeFichier.h"

namespace sotrix {

namespace {

const QString kErreurEnregistrement = QStringLiteral("Une erreur est survenue lors de l'enregistrement : ");

// The file failure, and the files that the new export had already replaced.
QString msgEchecExport(const ExportFileError& e) {
    QString text = msgEchecFichier(e.path());
    if (!e.replaced().isEmpty())
        text += QStringLiteral("\nFichiers déjà remplacés par le nouvel enregistrement :\n") + e.replaced().join(u'\n');
    return text;
}

// The most side files one warning names; the folder holds the rest.
constexpr qsizetype kRestesNommes = 20;

// The side files of the old content that stayed, one a line, each bounded.
QString msgFichiersRestes(const QStringList& restes) {
    QString text = QStringLiteral("Les fichiers suivants décrivent l'ancien contenu et n'ont pas pu être supprimés ; "
                                  "un SIG peut les utiliser et masquer des objets :");
    for (const QString& f : restes.mid(0, kRestesNommes)) text += QLatin1Char('\n') + nomAffiche(f);
    if (restes.size() > kRestesNommes) text += QStringLiteral("\n…");
    return text;
}

}  // namespace

void exporteFichier(bool waypoints, bool tracks, bool tracksAsLines, bool tracksAsPoints, bool selectedOnly) {
    exporteFichier(ExportContext{}, waypoints, tracks, tracksAsLines, tracksAsPoints, selectedOnly);
}

void exporteFichier(const ExportContext& context, bool waypoints, bool tracks, bool tracksAsLines,
                    bool tracksAsPoints, bool selectedOnly) {
    State& s = state();
    s.resultatOk = true;
    const int type = s.typeFichier;
    if (type != typefichier::kEnregistrerShapefile && type != typefichier::kEnregistrerGpx && type != typefichier::kEnregistrerCsv) {
        s.resultatOk = false;
        prompter().message(kErreurEnregistrement + QStringLiteral("type de fichier inconnu."), Icon::Exclamation);
        return;
    }
    QStringList restes;
    try {
        DbGuard db;
        if (type == typefichier::kEnregistrerShapefile) {
            ShapefileSetExport options;
            options.waypoints = waypoints;
            options.tracks = tracks;
            options.tracksAsLines = tracksAsLines;
            options.tracksAsPoints = tracksAsPoints;
            options.selectedOnly = selectedOnly;
            options.mapCoordinates = s.projExport == 1;
            options.lastModified = context.now().date();
            options.onDbaseCreated = context.onDbaseCreated;
            options.onShapeFileCreated = context.onShapeFileCreated;
            options.beforeRename = context.beforeRename;
            restes = ecritShapefiles(*db, s.nomFichier, options);
        } else if (type == typefichier::kEnregistrerGpx) {
            GpxExport options;
            options.waypoints = waypoints;
            options.tracks = tracks;
            options.selectedOnly = selectedOnly;
            options.decalageHours = s.paramDecalage;
            options.now = context.now();
            options.beforeRename = context.beforeRename;
            options.kind = context.kind;
            ecritGpx(*db, s.nomFichier, options);
        } else {
            CsvExport options;
            options.waypoints = waypoints;
            options.tracks = tracks;
            options.selectedOnly = selectedOnly;
            options.mapCoordinates = s.projExport == 1;
            options.decimalSeparator = s.sepDecimal;
            options.beforeRename = context.beforeRename;
            ecritCsv(*db, s.nomFichier, options);
        }
    } catch (const ExportFileError& e) {
        s.resultatOk = false;
        prompter().message(msgEchecExport(e), Icon::Exclamation);
        return;
    } catch (const DbError& e) {
        s.resultatOk = false;
        prompter().message(kErreurEnregistrement + e.message(), Icon::Exclamation);
        return;
    } catch (const std::exception& e) {
        s.resultatOk = false;
        prompter().message(kErreurEnregistrement + QString::fromUtf8(e.what()), Icon::Exclamation);
        return;
    }
    // Only what was written whole counts as saved: a selection, or tracks left out of a
    // shapefile set, leave their flag set.
    if (waypoints && !selectedOnly) s.modifWaypoints = false;
    if (tracks && !selectedOnly && (type != typefichier::kEnregistrerShapefile || tracksAsLines || tracksAsPoints)) s.modifTraces = false;
    if (!restes.isEmpty()) prompter().message(msgFichiersRestes(restes), Icon::Exclamation);
}

}  // namespace sotrix
