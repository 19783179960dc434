#pragma once
// Numbers in files, SQL and command lines always use "." whatever the user's locale.

namespace sotrix {

// Called right after the application object is made (which sets the C locale from the
// environment): puts LC_NUMERIC back to "C".
void useCNumericLocale();

}  // namespace sotrix
