#pragma once
// Every user command runs inside runCommand: a failure is told to the user in French,
// the command's transaction has already rolled back (RAII), the pointer and the map tool
// are reset by the caller's cleanup, and the program goes on.

#include <functional>

namespace sotrix {

extern const char* const kMsgErreurBase;       // followed by the engine's message
extern const char* const kMsgErreurInattendue;  // followed by the error's message

// Returns true when body ran to its end. The command, its clean-up and whatever runs
// in the same SharedLockWait wait for a database locked elsewhere once in all.
bool runCommand(const std::function<void()>& body, const std::function<void()>& cleanup = {});

// Whether the workspace holds waypoints and tracks, for the commands that empty or
// replace it before they ask their question. The counters answer while they are sure;
// otherwise the lists are read again, and when the database cannot answer, both kinds
// are taken as present, so that the question is asked anyway.
struct DonneesPresentes {
    bool waypoints = false;
    bool traces = false;
};
DonneesPresentes donneesPresentes();

// A user command of any subsystem: in the main window's guard (MainView::guarded), with
// its clean-up, once the window is made; in the bare guard before.
bool runUserCommand(const std::function<void()>& body);

}  // namespace sotrix
