// Builds the delivered workspace database from the schema and the coordinate systems:
//   mkdb schema.sql proj.tsv out.mdb
// The file is written under a temporary name and renamed, so that a failed build never
// leaves a half-made database where the program looks for it.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

bool check(sqlite3* db, int rc, const char* what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    std::cerr << "mkdb: " << what << ": " << sqlite3_errmsg(db) << '\n';
    return false;
}

bool build(const std::string& schemaPath, const std::string& projPath, const std::string& out) {
    std::ifstream schemaFile(schemaPath);
    std::ifstream projFile(projPath);
    if (!schemaFile || !projFile) {
        std::cerr << "mkdb: cannot read " << schemaPath << " or " << projPath << '\n';
        return false;
    }
    std::stringstream schema;
    schema << schemaFile.rdbuf();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(out.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::cerr << "mkdb: cannot create " << out << '\n';
        sqlite3_close(db);
        return false;
    }
    bool ok = check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin") &&
              check(db, sqlite3_exec(db, schema.str().c_str(), nullptr, nullptr, nullptr), "schema");
    sqlite3_stmt* proj = nullptr;
    sqlite3_stmt* backup = nullptr;
    ok = ok && check(db, sqlite3_prepare_v2(db, "INSERT INTO Proj (Epsg, \"Desc\", Proj4) VALUES (?, ?, ?)", -1, &proj, nullptr), "prepare") &&
         check(db, sqlite3_prepare_v2(db, "INSERT INTO projbackup (epsg, proj4) VALUES (?, ?)", -1, &backup, nullptr), "prepare");
    std::string line;
    long rows = 0;
    while (ok && std::getline(projFile, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto t1 = line.find('\t');
        const auto t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        if (t2 == std::string::npos) {
            std::cerr << "mkdb: bad line in " << projPath << ": " << line << '\n';
            ok = false;
            break;
        }
        const long code = std::stol(line.substr(0, t1));
        const std::string name = line.substr(t1 + 1, t2 - t1 - 1);
        const std::string def = line.substr(t2 + 1);
        sqlite3_reset(proj);
        sqlite3_bind_int64(proj, 1, code);
        sqlite3_bind_text(proj, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(proj, 3, def.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_reset(backup);
        sqlite3_bind_int64(backup, 1, code);
        sqlite3_bind_text(backup, 2, def.c_str(), -1, SQLITE_TRANSIENT);
        ok = check(db, sqlite3_step(proj), "insert Proj") && check(db, sqlite3_step(backup), "insert projbackup");
        ++rows;
    }
    sqlite3_finalize(proj);
    sqlite3_finalize(backup);
    ok = ok && rows > 0 && check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    ok = ok && check(db, sqlite3_exec(db, "VACUUM", nullptr, nullptr, nullptr), "vacuum");
    sqlite3_close(db);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: mkdb schema.sql proj.tsv out.mdb\n";
        return 2;
    }
    const std::filesystem::path out = argv[3];
    const std::filesystem::path tmp = out.string() + ".tmp";
    std::error_code ec;
    std::filesystem::remove(tmp, ec);
    if (!build(argv[1], argv[2], tmp.string())) {
        std::filesystem::remove(tmp, ec);
        return 1;
    }
    // The pristine database is only ever copied: read-only, so that no tool writes it.
    using std::filesystem::perms;
    std::filesystem::permissions(tmp, perms::owner_read | perms::group_read | perms::others_read, ec);
    std::filesystem::rename(tmp, out, ec);
    if (ec) {
        std::cerr << "mkdb: cannot rename to " << out << ": " << ec.message() << '\n';
        return 1;
    }
    return 0;
}
