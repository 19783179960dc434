#pragma once
// Today's date, through the clock of state() so that tests can fix it.

#include <QDate>

namespace sotrix {

QDate aujourdhui();

}  // namespace sotrix
