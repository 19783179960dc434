#pragma once
// What the shapefile library tells the user goes through the program's Prompter.

namespace sotrix {

// "NOT IMPLEMENTED", shown by the distance of every shape but the point: a message box
// with that text, OK only, no icon.
void installShapefileMessages();

}  // namespace sotrix
