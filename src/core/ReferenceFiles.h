#pragma once
// The working files of the reference layer, all in the program folder.

namespace sotrix {

inline constexpr char kFichierMapfile[] = "sotrix.map";     // the layer, for MapServer
inline constexpr char kFichierConfMapserver[] = "sotrix.conf";  // MapServer's configuration
inline constexpr char kFichierImageRef[] = "sotrix.jpg";    // the rendered picture
inline constexpr char kFichierInfo[] = "info.txt";          // a gdalinfo report

}  // namespace sotrix
