#pragma once
// Every user command runs inside runCommand: a failure is told to the user in French,
// the command's transaction has already rolled back (RAII), the pointer and the map tool
// are reset by the caller's cleanup, and the program goes on.

#include <functional>

namespace sotrix {

extern const char* const kMsgErreurBase;       // followed by the engine's message
extern const char* const kMsgErreurInattendue;  // followed by the error's message

// Returns true when body ran to its end.
bool runCommand(const std::function<void()>& body, const std::function<void()>& cleanup = {});

// A user command of any subsystem: in the main window's guard (MainView::guarded), with
// its clean-up, once the window is made; in the bare guard before.
bool runUserCommand(const std::function<void()>& body);

}  // namespace sotrix
