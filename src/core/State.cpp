#include "State.h"

namespace sotrix {

namespace {
State& instance() {
    static State s;
    return s;
}
}  // namespace

State& state() { return instance(); }

void resetState() {
    instance() = State{};
    resetAppDir();
}

Prompter& prompter() {
    State& s = state();
    if (!s.prompter) s.prompter = std::make_shared<QtPrompter>();
    return *s.prompter;
}

}  // namespace sotrix
