#pragma once
// The map tools: the codes of state().modeOutil, the pointers of the map and the text of
// a measured distance.

#include <QString>

namespace sotrix {

// What a press on the map does.
namespace outil {
inline constexpr int kAucun = 0;
inline constexpr int kZoomBoite = 1;
inline constexpr int kPan = 2;
inline constexpr int kSelectWaypoint = 3;
inline constexpr int kInfoWaypoint = 4;
inline constexpr int kDistance = 5;
inline constexpr int kAjoutWaypoint = 6;
inline constexpr int kSelectTrace = 31;
inline constexpr int kInfoTrace = 41;
inline constexpr int kDessinTrace = 61;
}  // namespace outil

// The pointers of MapCanvas::setPointer.
namespace pointeur {
inline constexpr int kDefaut = 0;
inline constexpr int kFleche = 1;
inline constexpr int kCroix = 2;
inline constexpr int kDeplacer = 5;
inline constexpr int kSablier = 11;
}  // namespace pointeur

// "Distance : " and d with four decimals in the user's locale, without group separators.
QString texteDistance(double d);

}  // namespace sotrix
