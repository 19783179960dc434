#include "NumericLocale.h"

#include <clocale>

namespace sotrix {

void useCNumericLocale() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace sotrix
