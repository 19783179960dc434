#include "ImportLot.h"

#include <sqlite3.h>


namespace sotrix {

namespace {

// The columns, in the order of the declaration below.
enum Colonne { Id, Nom, Lon, Lat, X, Y, Altitude, Date, Description, Trace, NumTrace, Lot };

struct Cursor : sqlite3_vtab_cursor {
    const std::vector<LignePoint>* rows = nullptr;
    std::size_t index = 0;
};

// The batch outlives the statement that reads it: its texts need no copy.
void resultText(sqlite3_context* ctx, const QString& text) {
    sqlite3_result_text16(ctx, text.isNull() ? u"" : static_cast<const void*>(text.utf16()), int(text.size() * 2),
                          SQLITE_STATIC);
}

void resultText(sqlite3_context* ctx, const std::optional<QString>& text) {
    if (text)
        resultText(ctx, *text);
    else
        sqlite3_result_null(ctx);
}

int connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**) {
    const int rc = sqlite3_declare_vtab(db,
                                        "CREATE TABLE x(id, nom, lon, lat, x, y, altitude, date, description, "
                                        "trace, num_trace, lot HIDDEN)");
    if (rc != SQLITE_OK) return rc;
    *table = new sqlite3_vtab{};
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab* table) {
    delete table;
    return SQLITE_OK;
}

// Only lot_import(?) is allowed: the batch is the equality constraint on "lot".
int bestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == Lot && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1;
            return SQLITE_OK;
        }
    }
    return SQLITE_CONSTRAINT;
}

int open(sqlite3_vtab*, sqlite3_vtab_cursor** cursor) {
    *cursor = new Cursor{};
    return SQLITE_OK;
}

int close(sqlite3_vtab_cursor* cursor) {
    delete static_cast<Cursor*>(cursor);
    return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv) {
    auto* cursor = static_cast<Cursor*>(base);
    cursor->rows = argc > 0 ? static_cast<const std::vector<LignePoint>*>(sqlite3_value_pointer(argv[0], kTypeLotImport))
                            : nullptr;
    cursor->index = 0;
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* base) {
    ++static_cast<Cursor*>(base)->index;
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* base) {
    const auto* cursor = static_cast<Cursor*>(base);
    return !cursor->rows || cursor->index >= cursor->rows->size();
}

int column(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int col) {
    const auto* cursor = static_cast<Cursor*>(base);
    const LignePoint& p = (*cursor->rows)[cursor->index];
    switch (col) {
    case Id:
        sqlite3_result_int64(ctx, p.id);
        break;
    case Nom:
        resultText(ctx, p.nom);
        break;
    case Lon:
        sqlite3_result_double(ctx, p.lon);
        break;
    case Lat:
        sqlite3_result_double(ctx, p.lat);
        break;
    case X:
        sqlite3_result_double(ctx, p.x);
        break;
    case Y:
        sqlite3_result_double(ctx, p.y);
        break;
    case Altitude:
        if (p.altitude)
            sqlite3_result_double(ctx, *p.altitude);
        else
            sqlite3_result_null(ctx);
        break;
    case Date:
        if (p.date.vide())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_text(ctx, p.date.utf8().data(), int(p.date.utf8().size()), SQLITE_STATIC);
        break;
    case Description:
        resultText(ctx, p.description);
        break;
    case Trace:
        sqlite3_result_int64(ctx, p.trace);
        break;
    case NumTrace:
        if (p.trace == 0)
            sqlite3_result_null(ctx);
        else
            sqlite3_result_int64(ctx, p.numTrace);
        break;
    default:
        sqlite3_result_null(ctx);
        break;
    }
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
    *id = sqlite3_int64(static_cast<Cursor*>(base)->index);
    return SQLITE_OK;
}

// Eponymous only (no xCreate): it exists as a function, never as a stored table.
sqlite3_module makeModule() {
    sqlite3_module m{};
    m.xConnect = connect;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnect;
    m.xOpen = open;
    m.xClose = close;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    return m;
}

const sqlite3_module kModule = makeModule();

}  // namespace

void declareLotImport(Database& db) {
    const int rc = sqlite3_create_module(db.handle(), "lot_import", &kModule, nullptr);
    if (rc != SQLITE_OK) db.fail(rc);
}

}  // namespace sotrix
