#include "ShapefileMessages.h"

#include "ShapeError.h"
#include "State.h"

namespace sotrix {

void installShapefileMessages() {
    shapefile::setNotImplementedHook([](std::string_view text) {
        prompter().message(QString::fromUtf8(text.data(), qsizetype(text.size())), Icon::None, Buttons::Ok);
    });
}

}  // namespace sotrix
