// Writes proj.tsv, the coordinate systems of the delivered database, from PROJ's own
// database. Run by hand when the table is to be refreshed; the build only reads the
// committed output, so that it does not depend on the PROJ version installed.
//   genproj > data/proj.tsv
#include <proj.h>
#include <proj_experimental.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// Strings that PROJ cannot give in the form the program needs.
const std::map<int, std::string> kOverrides = {
    {4326, "+proj=longlat +datum=WGS84 +no_defs"},
    {31370,
     "+proj=lcc +lat_1=51.16666723333333 +lat_2=49.8333339 +lat_0=90 "
     "+lon_0=4.367486666666666 +x_0=150000.013 +y_0=5400088.438 +ellps=intl "
     "+towgs84=-106.869,52.2978,-103.724,0.3366,-0.457,1.8422,-1.2747 +units=m +no_defs"},
};

std::string clean(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    const std::string suffix = " +type=crs";
    if (s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0)
        s.erase(s.size() - suffix.size());
    return s;
}

}  // namespace

int main() {
    PJ_CONTEXT* ctx = proj_context_create();
    proj_log_level(ctx, PJ_LOG_NONE);
    PJ_TYPE types[] = {PJ_TYPE_GEOGRAPHIC_2D_CRS, PJ_TYPE_PROJECTED_CRS};
    PROJ_CRS_LIST_PARAMETERS* params = proj_get_crs_list_parameters_create();
    params->types = types;
    params->typesCount = 2;
    params->allow_deprecated = 0;
    int count = 0;
    PROJ_CRS_INFO** list = proj_get_crs_info_list_from_database(ctx, "EPSG", params, &count);
    std::map<int, std::pair<std::string, std::string>> rows;
    for (int i = 0; i < count; ++i) {
        const PROJ_CRS_INFO* info = list[i];
        const int code = std::atoi(info->code);
        PJ* crs = proj_create_from_database(ctx, "EPSG", info->code, PJ_CATEGORY_CRS, 0, nullptr);
        if (!crs) continue;
        std::string def;
        if (auto it = kOverrides.find(code); it != kOverrides.end()) {
            def = it->second;
        } else {
            PJ* bound = proj_crs_create_bound_crs_to_WGS84(ctx, crs, nullptr);
            const char* s = proj_as_proj_string(ctx, bound ? bound : crs, PJ_PROJ_4, nullptr);
            if (!s && bound) s = proj_as_proj_string(ctx, crs, PJ_PROJ_4, nullptr);
            def = clean(s);
            if (bound) proj_destroy(bound);
        }
        proj_destroy(crs);
        if (def.empty()) continue;
        std::string name = clean(info->name);
        rows[code] = {name, def};
    }
    proj_crs_info_list_destroy(list);
    proj_get_crs_list_parameters_destroy(params);
    proj_context_destroy(ctx);
    for (const auto& [code, row] : rows)
        std::printf("%d\t%s\t%s\n", code, row.first.c_str(), row.second.c_str());
    return 0;
}
