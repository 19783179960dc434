#include "GdalInfoReport.h"

#include "NumberText.h"

#include <algorithm>
#include <utility>

namespace sotrix {
namespace {

// Splits off the next line, whatever its ending.
std::string_view nextLine(std::string_view& rest) {
    const std::size_t end = rest.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        const std::string_view line = rest;
        rest = {};
        return line;
    }
    const std::string_view line = rest.substr(0, end);
    const std::size_t skip = rest.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    rest.remove_prefix(end + skip);
    return line;
}

// The pair between the first "(", the first "," and the first ")".
std::optional<std::pair<double, double>> corner(std::string_view line) {
    const std::size_t open = line.find('(');
    const std::size_t comma = line.find(',');
    const std::size_t close = line.find(')');
    if (open == std::string_view::npos || comma == std::string_view::npos || close == std::string_view::npos ||
        !(open < comma && comma < close))
        return std::nullopt;
    const auto x = nombreExact(line.substr(open + 1, comma - open - 1));
    const auto y = nombreExact(line.substr(comma + 1, close - comma - 1));
    if (!x || !y) return std::nullopt;
    return std::pair{*x, *y};
}

}  // namespace

std::optional<LayerExtent> lireRapportGdalinfo(std::string_view report) {
    if (report.starts_with("\xEF\xBB\xBF")) report.remove_prefix(3);
    std::string_view rest = report;
    while (!rest.empty()) {
        const std::string_view line = nextLine(rest);
        if (line.find("Lower Left") == std::string_view::npos) continue;
        const auto lowerLeft = corner(line);
        if (!lowerLeft || rest.empty()) return std::nullopt;
        const auto upperRight = corner(nextLine(rest));
        if (!upperRight) return std::nullopt;
        return LayerExtent{lowerLeft->first, lowerLeft->second, upperRight->first, upperRight->second}.normalised();
    }
    return std::nullopt;
}

bool bandesHuitBits(std::string_view report) {
    std::string_view rest = report;
    while (!rest.empty()) {
        const std::string_view line = nextLine(rest);
        if (!line.starts_with("Band ")) continue;
        const std::size_t type = line.find("Type=");
        if (type == std::string_view::npos) continue;
        const std::string_view value = line.substr(type + 5);
        if (value.substr(0, value.find_first_of(", ")) != "Byte") return false;
    }
    return true;
}

std::optional<PlageValeurs> plageValeurs(std::string_view report) {
    std::optional<PlageValeurs> plage;
    std::string_view rest = report;
    while (!rest.empty()) {
        std::string_view line = nextLine(rest);
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos || !line.substr(start).starts_with("Minimum=")) continue;
        line.remove_prefix(start + 8);
        const std::size_t comma = line.find(',');
        const std::size_t max = line.find("Maximum=");
        if (comma == std::string_view::npos || max == std::string_view::npos || max < comma) continue;
        const std::string_view maxText = line.substr(max + 8);
        const auto low = nombreExact(line.substr(0, comma));
        const auto high = nombreExact(maxText.substr(0, maxText.find(',')));
        if (!low || !high || *low > *high) continue;
        plage = plage ? PlageValeurs{std::min(plage->min, *low), std::max(plage->max, *high)} : PlageValeurs{*low, *high};
    }
    return plage;
}

}  // namespace sotrix
