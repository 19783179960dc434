// Writes proj.tsv, the coordinate systems of the delivered database, from PROJ's own
// database, and proj_upgrade.tsv, what the schema upgrade changes in an older workspace.
// Run by hand when the table is to be refreshed; the build only reads the committed
// output, so that it does not depend on the PROJ version installed.
//   genproj data
// reads the folder's current proj.tsv and proj_upgrade.tsv and writes both anew.
//
// A system whose datum PROJ can shift to WGS 84 by a time-independent Helmert (three or
// seven parameters) carries it as +towgs84: the one PROJ ranks first over the system's
// area of use, among those that cover it whole, else among those that meet it, else
// among all of the datum's. A system without one keeps the string PROJ gives it.
//
// proj_upgrade.tsv holds, for every system whose string changed since a delivered table,
// each earlier factory string and the current one: code, old string, new string.
#include <proj.h>
#include <proj_experimental.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace {

// Strings that PROJ cannot give in the form the program needs.
const std::map<int, std::string> kOverrides = {
    {4326, "+proj=longlat +datum=WGS84 +no_defs"},
    {31370,
     "+proj=lcc +lat_1=51.16666723333333 +lat_2=49.8333339 +lat_0=90 "
     "+lon_0=4.367486666666666 +x_0=150000.013 +y_0=5400088.438 +ellps=intl "
     "+towgs84=-106.869,52.2978,-103.724,0.3366,-0.457,1.8422,-1.2747 +units=m +no_defs"},
};

// The Helmert methods of EPSG without time rates: geocentric translations, position
// vector and coordinate frame, in the geocentric, geographic 2D and 3D domains.
const std::set<std::string> kHelmert = {"1031", "1032", "1033", "1035", "1037", "1038", "9603", "9606", "9607"};

struct PjFree {
    void operator()(PJ* p) const { proj_destroy(p); }
};
using Pj = std::unique_ptr<PJ, PjFree>;
struct ListFree {
    void operator()(PJ_OBJ_LIST* l) const { proj_list_destroy(l); }
};
using List = std::unique_ptr<PJ_OBJ_LIST, ListFree>;
struct FactoryFree {
    void operator()(PJ_OPERATION_FACTORY_CONTEXT* f) const { proj_operation_factory_context_destroy(f); }
};
using Factory = std::unique_ptr<PJ_OPERATION_FACTORY_CONTEXT, FactoryFree>;

std::string clean(const char* text) {
    std::string s = text ? text : "";
    for (char& c : s)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    const std::string suffix = " +type=crs";
    if (s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0)
        s.erase(s.size() - suffix.size());
    return s;
}

bool helmert(PJ_CONTEXT* ctx, PJ* op) {
    if (proj_get_type(op) != PJ_TYPE_TRANSFORMATION) return false;
    const char* auth = nullptr;
    const char* code = nullptr;
    if (!proj_coordoperation_get_method_info(ctx, op, nullptr, &auth, &code) || !auth || !code) return false;
    // PROJ inverts a transformation given the other way round by negating its parameters,
    // as EPSG defines the reverse of these methods.
    const std::string authority = auth;
    double values[7];
    return (authority == "EPSG" || authority == "INVERSE(EPSG)") && kHelmert.count(code) &&
           proj_coordoperation_get_towgs84_values(ctx, op, values, 7, 0);
}

// The shift an operation makes: itself when it is a Helmert, or the one Helmert of a
// chain whose other steps only change axes or units (a system whose datum's
// transformations are given for another system of the same datum); else none.
Pj decalage(PJ_CONTEXT* ctx, PJ* op) {
    if (helmert(ctx, op)) return Pj(proj_clone(ctx, op));
    if (proj_get_type(op) != PJ_TYPE_CONCATENATED_OPERATION) return nullptr;
    Pj found;
    for (int i = 0, n = proj_concatoperation_get_step_count(ctx, op); i < n; ++i) {
        Pj step(proj_concatoperation_get_step(ctx, op, i));
        if (!step) return nullptr;
        if (proj_get_type(step.get()) == PJ_TYPE_CONVERSION) continue;
        if (found || !helmert(ctx, step.get())) return nullptr;
        found = std::move(step);
    }
    return found;
}

enum class Couverture { Entiere, Partielle, Aucune };

// The first Helmert of PROJ's ranking from the datum of geodetic to WGS 84, over the area
// of use of crs when given a coverage, among the authority's operations (nullptr: those
// PROJ itself prefers for the systems).
Pj premierHelmert(PJ_CONTEXT* ctx, PJ* geodetic, PJ* wgs84, PJ* crs, const char* authority, Couverture couverture) {
    Factory factory(proj_create_operation_factory_context(ctx, authority));
    proj_operation_factory_context_set_grid_availability_use(ctx, factory.get(), PROJ_GRID_AVAILABILITY_IGNORED);
    proj_operation_factory_context_set_allow_ballpark_transformations(ctx, factory.get(), 0);
    double west = 0, south = 0, east = 0, north = 0;
    if (couverture != Couverture::Aucune) {
        if (!proj_get_area_of_use(ctx, crs, &west, &south, &east, &north, nullptr)) return nullptr;
        proj_operation_factory_context_set_area_of_interest(ctx, factory.get(), west, south, east, north);
        proj_operation_factory_context_set_spatial_criterion(
            ctx, factory.get(),
            couverture == Couverture::Entiere ? PROJ_SPATIAL_CRITERION_STRICT_CONTAINMENT
                                              : PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    } else {
        proj_operation_factory_context_set_crs_extent_use(ctx, factory.get(), PJ_CRS_EXTENT_NONE);
        proj_operation_factory_context_set_spatial_criterion(ctx, factory.get(),
                                                             PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
    }
    List ops(proj_create_operations(ctx, geodetic, wgs84, factory.get()));
    const int count = ops ? proj_list_get_count(ops.get()) : 0;
    for (int i = 0; i < count; ++i) {
        Pj op(proj_list_get(ctx, ops.get(), i));
        if (Pj shift = op ? decalage(ctx, op.get()) : nullptr) return shift;
    }
    return nullptr;
}

struct Compte {
    int decales = 0;                         // given a Helmert here
    int autreAutorite = 0;                   // of those, by an authority PROJ does not prefer
    int sansDecalage = 0;                    // without datum information, and no Helmert
    std::map<Couverture, int> parCouverture;  // by the coverage that found it
};

// Whether a string says how its datum lies to WGS 84, as the settings dialog asks.
bool datumConnu(const std::string& def) {
    return def.find("+datum=") != std::string::npos || def.find("+towgs84=") != std::string::npos;
}

// The string PROJ gives a system alone; with the shift found when that one says nothing
// of its datum.
std::string definition(PJ_CONTEXT* ctx, PJ* crs, PJ* wgs84, Compte& compte) {
    Pj alone(proj_crs_create_bound_crs_to_WGS84(ctx, crs, nullptr));
    const char* text = proj_as_proj_string(ctx, alone ? alone.get() : crs, PJ_PROJ_4, nullptr);
    if (!text && alone) text = proj_as_proj_string(ctx, crs, PJ_PROJ_4, nullptr);
    const std::string def = clean(text);
    if (def.empty() || datumConnu(def)) return def;
    Pj geodetic(proj_crs_get_geodetic_crs(ctx, crs));
    if (!geodetic) return def;
    // The operations of the authorities PROJ prefers first; those of any other after.
    for (const char* authority : {static_cast<const char*>(nullptr), "any"})
        for (Couverture c : {Couverture::Entiere, Couverture::Partielle, Couverture::Aucune}) {
            Pj op = premierHelmert(ctx, geodetic.get(), wgs84, crs, authority, c);
            if (!op) continue;
            Pj bound(proj_crs_create_bound_crs(ctx, crs, wgs84, op.get()));
            const char* s = bound ? proj_as_proj_string(ctx, bound.get(), PJ_PROJ_4, nullptr) : nullptr;
            if (!s) continue;
            ++compte.decales;
            ++compte.parCouverture[c];
            if (authority) ++compte.autreAutorite;
            return clean(s);
        }
    ++compte.sansDecalage;
    return def;
}

struct Row {
    std::string name;
    std::string def;
};

std::map<int, Row> systems(Compte& compte) {
    PJ_CONTEXT* ctx = proj_context_create();
    proj_log_level(ctx, PJ_LOG_NONE);
    Pj wgs84(proj_create_from_database(ctx, "EPSG", "4326", PJ_CATEGORY_CRS, 0, nullptr));
    PJ_TYPE types[] = {PJ_TYPE_GEOGRAPHIC_2D_CRS, PJ_TYPE_PROJECTED_CRS};
    PROJ_CRS_LIST_PARAMETERS* params = proj_get_crs_list_parameters_create();
    params->types = types;
    params->typesCount = 2;
    params->allow_deprecated = 0;
    int count = 0;
    PROJ_CRS_INFO** list = proj_get_crs_info_list_from_database(ctx, "EPSG", params, &count);
    std::map<int, Row> rows;
    for (int i = 0; i < count; ++i) {
        const PROJ_CRS_INFO* info = list[i];
        const int code = std::atoi(info->code);
        Pj crs(proj_create_from_database(ctx, "EPSG", info->code, PJ_CATEGORY_CRS, 0, nullptr));
        if (!crs || rows.count(code)) continue;
        const auto it = kOverrides.find(code);
        const std::string def = it != kOverrides.end() ? it->second : definition(ctx, crs.get(), wgs84.get(), compte);
        if (def.empty()) continue;
        rows[code] = {clean(info->name), def};
    }
    proj_crs_info_list_destroy(list);
    proj_get_crs_list_parameters_destroy(params);
    wgs84.reset();
    proj_context_destroy(ctx);
    return rows;
}

// Reads the tab-separated lines of a file: code, then two texts.
std::map<std::pair<int, std::string>, std::string> lire(const std::filesystem::path& path, bool byOld) {
    std::map<std::pair<int, std::string>, std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto t1 = line.find('\t');
        const auto t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) continue;
        const int code = std::atoi(line.substr(0, t1).c_str());
        const std::string second = line.substr(t1 + 1, t2 - t1 - 1);
        const std::string third = line.substr(t2 + 1);
        // proj.tsv: code, name, string; proj_upgrade.tsv: code, old string, new string.
        if (byOld)
            out[{code, second}] = third;
        else
            out[{code, std::string()}] = third;
    }
    return out;
}

bool ecrit(const std::filesystem::path& path, const std::string& text) {
    const std::filesystem::path tmp = path.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: genproj <data folder>\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const auto previous = lire(folder / "proj.tsv", false);
    const auto upgrades = lire(folder / "proj_upgrade.tsv", true);
    if (previous.empty()) {
        std::cerr << "genproj: cannot read " << (folder / "proj.tsv") << '\n';
        return 1;
    }

    Compte compte;
    const std::map<int, Row> rows = systems(compte);

    // Every earlier factory string leads to today's; one that is today's is dropped.
    std::map<std::pair<int, std::string>, std::string> next;
    for (const auto& [key, def] : previous)
        if (const auto it = rows.find(key.first); it != rows.end() && it->second.def != def)
            next[{key.first, def}] = it->second.def;
    for (const auto& [key, newer] : upgrades)
        if (const auto it = rows.find(key.first); it != rows.end() && it->second.def != key.second)
            next[key] = it->second.def;

    std::string table, upgrade;
    for (const auto& [code, row] : rows) table += std::to_string(code) + '\t' + row.name + '\t' + row.def + '\n';
    for (const auto& [key, def] : next) upgrade += std::to_string(key.first) + '\t' + key.second + '\t' + def + '\n';
    if (!ecrit(folder / "proj.tsv", table) || !ecrit(folder / "proj_upgrade.tsv", upgrade)) {
        std::cerr << "genproj: cannot write into " << folder << '\n';
        return 1;
    }
    std::cerr << rows.size() << " systems, " << compte.decales << " given a Helmert shift ("
              << compte.parCouverture[Couverture::Entiere] << " covering their area, "
              << compte.parCouverture[Couverture::Partielle] << " meeting it, "
              << compte.parCouverture[Couverture::Aucune] << " elsewhere; " << compte.autreAutorite
              << " by another authority), " << compte.sansDecalage
              << " without datum information and none; " << next.size()
              << " upgrade rows\n";
    return 0;
}
