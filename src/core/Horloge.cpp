#include "Horloge.h"

#include "State.h"

namespace sotrix {

QDate aujourdhui() {
    const State& s = state();
    return s.horloge ? s.horloge() : QDate::currentDate();
}

}  // namespace sotrix
