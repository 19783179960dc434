#pragma once
// What the editing commands share: the prompt for a free name, and the two coordinate
// systems that turn map coordinates into GPS coordinates.

#include "EditQueries.h"

#include <QString>

#include <memory>
#include <optional>

namespace sotrix {

class ProjSystems;

struct DemandeNom {
    const char* prompt;  // UTF-8
    const char* titre;
    TableNom table;
    const char* debutRefus;  // the refusal message starts with this, then the name
};

inline constexpr DemandeNom kNomWaypoint{"Nom du nouveau waypoint :", "Ajouter un nouveau waypoint",
                                         TableNom::Points, "Le waypoint '"};
inline constexpr DemandeNom kNomTrace{"Nom de la nouvelle trace :", "Ajouter une nouvelle trace", TableNom::Trace,
                                      "La trace '"};
inline constexpr DemandeNom kNomWaypointMoyen{"Nom du waypoint moyen :", "Créer un Waypoint moyen",
                                              TableNom::Points, "Le waypoint '"};
inline constexpr DemandeNom kNomFusion{"Nom de la trace :", "Fusionner les traces sélectionnées :", TableNom::Trace,
                                       "La trace '"};

// Asks for a name until a free one is typed (taken as typed, blanks included); a name in
// use is refused with a warning and asked for again. nullopt on Cancel or an empty name.
std::optional<QString> demandeNom(const DemandeNom& d);

// The GPS system (set up first) and the map system of the settings; null after the user
// has been told why not. The handles are freed with the object.
std::unique_ptr<ProjSystems> systemesCarteGps();

// Converts a map point to GPS coordinates; on failure state().derniereErreurProj holds
// the reason (never empty). The outcome is also kept in state().resultatOk.
bool carteVersGps(ProjSystems& systems, double x, double y, double& lon, double& lat);

}  // namespace sotrix
