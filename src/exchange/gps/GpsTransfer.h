#pragma once
// Transfers with the receiver through GPSBabel and the exchange file "gps.gpx" of the
// program folder. Each shows the progress window for the whole run and ends with its own
// message; the outcome is also left in state().resultatOk.

#include "GpsCommand.h"

namespace sotrix {

// How long one GPSBabel run may take before it is stopped.
struct GpsLimits {
    int nmeaTimeoutMs = kNmeaTimeoutMs;
    int receiverTimeoutMs = kReceiverTimeoutMs;  // Garmin and Magellan
};

// Receiver to workspace: the workspace is replaced by what the receiver sent, and kept
// when nothing came back.
void telechargeGps(bool waypoints, bool tracks, bool routes, const GpsLimits& limits = {});

// Workspace to receiver. An upload is never a save: the unsaved-changes flags keep their
// values.
void envoieGps(bool waypoints, bool tracks, bool selectedOnly, const GpsLimits& limits = {});

}  // namespace sotrix
