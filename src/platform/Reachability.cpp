#include "Reachability.h"

#include <QNetworkInformation>

namespace sotrix {

bool SystemReachability::connected() {
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend()) return true;
    auto* info = QNetworkInformation::instance();
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

}  // namespace sotrix
