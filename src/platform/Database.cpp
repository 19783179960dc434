#include "Database.h"

#include "AppDir.h"
#include "DroitsFichier.h"
#include "FichierCible.h"
#include "NameCollation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>

namespace sotrix {

DbError::DbError(int code, const QString& message, const QString& sql)
    : std::runtime_error(message.toStdString()), code_(code), message_(message), sql_(sql) {}

namespace {

// Names compare in French order, in place of SQLite's ASCII-only NOCASE (NameCollation.h).
int compareNoCase(void*, int lenA, const void* a, int lenB, const void* b) {
    return compareNoms(std::string_view(static_cast<const char*>(a), size_t(lenA)),
                       std::string_view(static_cast<const char*>(b), size_t(lenB)));
}

void bindOne(Database& db, sqlite3_stmt* stmt, int index, const QVariant& v, const QString& sql) {
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, index, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
        case QMetaType::Long:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            rc = sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(v.toULongLong()));
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QDateTime: {
            const QByteArray t = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate: {
            const QByteArray t = v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK) db.fail(rc, sql);
}

// SQLite counts every allocation under a global mutex unless told not to; that must be
// said before the library starts, so once, before the first connection.
void configureSqlite() {
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    (void)configured;
}

// How long one connection waits for a lock held elsewhere before it gives up.
constexpr qint64 kBusyTimeoutMs = 5000;

// The wait shared by every connection while some SharedLockWait lives.
struct SharedWait {
    std::atomic<int> scopes{0};
    std::atomic<bool> ranOut{false};  // a connection's wait has run out in these scopes
};

SharedWait& sharedWait() {
    static SharedWait wait;
    return wait;
}

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// SQLite's busy handler: waits by growing steps until the lock is free, the timeout has
// passed, or (inside a SharedLockWait) another wait has run out.
int waitForLock(void* data, int count) {
    qint64& since = *static_cast<qint64*>(data);
    const qint64 now = steadyMs();
    if (count == 0) since = now;
    SharedWait& shared = sharedWait();
    const bool scoped = shared.scopes.load() > 0;
    if (scoped && shared.ranOut.load()) return 0;
    const qint64 left = since + kBusyTimeoutMs - now;
    if (left <= 0) {
        if (scoped) shared.ranOut.store(true);
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<qint64>(left, qint64(1) << std::min(count, 5))));
    return 1;
}

// Connections shared by the live guards, by file path.
std::map<QString, std::weak_ptr<Database>>& openDatabases() {
    static std::map<QString, std::weak_ptr<Database>> open;
    return open;
}

}  // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(Database& db, const QString& sql) : db_(&db), sql_(sql) {
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db.handle(), text.constData(), int(text.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        db.fail(rc, sql);
    }
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), sql_(std::move(other.sql_)) {}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bind(const QVariantList& params) {
    const int expected = sqlite3_bind_parameter_count(stmt_);
    if (expected != params.size())
        throw DbError(SQLITE_RANGE,
                      QStringLiteral("%1 paramètres attendus, %2 reçus").arg(expected).arg(params.size()), sql_);
    for (int i = 0; i < params.size(); ++i) bindOne(*db_, stmt_, i + 1, params[i], sql_);
}

void Statement::reset() {
    if (stmt_) {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
}

void Statement::check(int rc) const {
    if (rc != SQLITE_OK) db_->fail(rc, sql_);
}

void Statement::bindNull(int index) { check(sqlite3_bind_null(stmt_, index)); }

void Statement::bindInt(int index, qint64 value) { check(sqlite3_bind_int64(stmt_, index, value)); }

void Statement::bindDouble(int index, double value) { check(sqlite3_bind_double(stmt_, index, value)); }

void Statement::bindText(int index, const QString& value) {
    // A null QString binds "", not NULL: Null is asked for with bindNull().
    const void* text = value.isNull() ? u"" : static_cast<const void*>(value.utf16());
    check(sqlite3_bind_text16(stmt_, index, text, int(value.size() * 2), SQLITE_STATIC));
}

void Statement::bindPointer(int index, void* pointer, const char* type) {
    check(sqlite3_bind_pointer(stmt_, index, pointer, type, nullptr));
}

void Statement::execute() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW) {
        sqlite3_reset(stmt_);
        return;
    }
    const int err = sqlite3_reset(stmt_);
    db_->fail(err != SQLITE_OK ? err : rc, sql_);
}

bool Statement::step() {
    if (!stmt_) return false;  // an empty statement (only a comment or blanks)
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    const int err = sqlite3_reset(stmt_);
    db_->fail(err != SQLITE_OK ? err : rc, sql_);
}

qint64 Statement::run(const QVariantList& params) {
    reset();
    if (stmt_) bind(params);
    while (step()) {
    }
    return sqlite3_changes64(db_->handle());
}

int Statement::columnCount() const { return stmt_ ? sqlite3_column_count(stmt_) : 0; }

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

int Statement::columnIndex(const QString& name) const {
    const int n = columnCount();
    for (int i = 0; i < n; ++i)
        if (columnName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

qint64 Statement::intValue(int column) const { return sqlite3_column_int64(stmt_, column); }

QByteArrayView Statement::utf8Value(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(stmt_, column)) : QByteArrayView();
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    default:
        return QVariant();
    }
}

double Statement::doubleValue(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_FLOAT:
    case SQLITE_INTEGER:
        return sqlite3_column_double(stmt_, column);
    case SQLITE_NULL:
        return 0;
    default:
        return value(column).toDouble();  // text and blobs convert as Qt does
    }
}

// ---------------------------------------------------------------- Cursor

bool Cursor::next() { return st_.step(); }

int Cursor::index(const QString& name) const {
    const int i = st_.columnIndex(name);
    if (i < 0) throw DbError(SQLITE_ERROR, QStringLiteral("colonne inconnue : %1").arg(name), st_.sql_);
    return i;
}

bool Cursor::isNull(const QString& name) const { return st_.isNull(index(name)); }

QVariant Cursor::value(const QString& name) const { return st_.value(index(name)); }

// ---------------------------------------------------------------- Database

Database::Database(const QString& path) : path_(path) {
    configureSqlite();
    const QByteArray file = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(file.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw DbError(rc, msg + QStringLiteral(" (%1)").arg(path));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, waitForLock, &busySince_);
    // SQLite's own page cache keeps the sorter of a large CREATE INDEX in runs small enough
    // for these helper threads to sort side by side.
    sqlite3_exec(db_, "PRAGMA threads = 4", nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db_, "NOCASE", SQLITE_UTF8, nullptr, compareNoCase, nullptr);
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::fail(int rc, const QString& sql) const {
    QString msg = QString::fromUtf8(sqlite3_errmsg(db_));
    if (msg.isEmpty() || msg == QLatin1String("not an error")) msg = QString::fromUtf8(sqlite3_errstr(rc));
    throw DbError(rc, msg, sql);
}

qint64 Database::exec(const QString& sql, const QVariantList& params) {
    Statement st(*this, sql);
    return st.run(params);
}

void Database::execScript(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, text.constData(), nullptr, nullptr, &error);
    if (rc == SQLITE_OK) return;
    const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
    sqlite3_free(error);
    throw DbError(rc, message, sql);
}

Cursor Database::query(const QString& sql, const QVariantList& params) {
    Statement st(*this, sql);
    st.bind(params);
    return Cursor(std::move(st));
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    Cursor c = query(sql, params);
    return c.next() ? c.value(0) : QVariant();
}

qint64 Database::insert(const QString& table, const std::vector<std::pair<QString, QVariant>>& values) {
    QString sql = QStringLiteral("insert into \"%1\" ").arg(QString(table).replace('"', QLatin1String("\"\"")));
    if (values.empty()) {
        sql += QLatin1String("default values");
        exec(sql);
    } else {
        QStringList cols, marks;
        QVariantList params;
        for (const auto& [col, val] : values) {
            cols << QLatin1Char('"') + QString(col).replace('"', QLatin1String("\"\"")) + QLatin1Char('"');
            marks << QStringLiteral("?");
            params << val;
        }
        sql += QLatin1Char('(') + cols.join(QLatin1String(", ")) + QLatin1String(") values (") +
               marks.join(QLatin1String(", ")) + QLatin1Char(')');
        exec(sql, params);
    }
    return lastInsertId();
}

qint64 Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

bool Database::columnExists(const QString& table, const QString& column) noexcept {
    try {
        return scalar(QStringLiteral("select 1 from pragma_table_info(?) where name = ? collate nocase"),
                      {table, column})
            .isValid();
    } catch (...) {
        return false;
    }
}

bool Database::tableExists(const QString& table) noexcept {
    try {
        return scalar(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ? collate nocase"),
                      {table})
            .isValid();
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Database& db) : db_(db), level_(db.txDepth_) {
    db_.exec(level_ == 0 ? QStringLiteral("begin immediate") : QStringLiteral("savepoint sp%1").arg(level_));
    ++db_.txDepth_;
}

void Transaction::commit() {
    if (done_) return;
    db_.exec(level_ == 0 ? QStringLiteral("commit") : QStringLiteral("release sp%1").arg(level_));
    done_ = true;
    --db_.txDepth_;
}

Transaction::~Transaction() {
    if (done_) return;
    --db_.txDepth_;
    // A failed rollback has nothing better to do: SQLite rolls back on close anyway.
    if (level_ == 0) {
        sqlite3_exec(db_.handle(), "rollback", nullptr, nullptr, nullptr);
    } else {
        const QByteArray sql = QStringLiteral("rollback to sp%1; release sp%1").arg(level_).toUtf8();
        sqlite3_exec(db_.handle(), sql.constData(), nullptr, nullptr, nullptr);
    }
}

// ---------------------------------------------------------------- SharedLockWait

SharedLockWait::SharedLockWait() { ++sharedWait().scopes; }

SharedLockWait::~SharedLockWait() {
    SharedWait& shared = sharedWait();
    if (--shared.scopes == 0) shared.ranOut.store(false);
}

// ---------------------------------------------------------------- DbGuard

QString databasePath() { return appPath(QString::fromLatin1(kNomBd)); }

DbGuard::DbGuard() : DbGuard(databasePath()) {}

DbGuard::DbGuard(const QString& path) {
    auto& open = openDatabases();
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto it = open.find(key); it != open.end()) db_ = it->second.lock();
    if (!db_) {
        db_ = std::make_shared<Database>(path);
        open[key] = db_;
    }
}

bool DbGuard::isOpen(const QString& path) {
    auto& open = openDatabases();
    auto it = open.find(QFileInfo(path).absoluteFilePath());
    return it != open.end() && !it->second.expired();
}

// ---------------------------------------------------------------- compaction

namespace {

// The file a compaction replaces: path itself, or the file its symbolic links lead to.
QString fichierRemplace(const QString& path) {
    const std::optional<QString> cible = fichierCible(path);
    if (!cible) throw DbError(SQLITE_CANTOPEN, QStringLiteral("lien sans cible : %1").arg(path));
    return *cible;
}

// Removes the copy and its journal, or whatever stands at their names but a folder (a
// link is not followed): they are the program's own.
void retireCopie(const QStringList& fichiers) {
    for (const QString& f : fichiers) {
        const QByteArray nom = QFile::encodeName(f);
        struct stat st {};
        if (::lstat(nom.constData(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(nom.constData());
    }
}

}  // namespace

void compactDatabase(const QString& path, const QString& tempPath) {
    if (DbGuard::isOpen(path))
        throw DbError(SQLITE_BUSY, QStringLiteral("la base de données est encore ouverte"), {});
    // Through a symbolic link the target is compacted and replaced, and the link stays;
    // the copy is made beside the target so that the rename stays on its file system.
    const QString cible = fichierRemplace(path);
    const QString temp =
        cible == path ? tempPath : QFileInfo(cible).dir().filePath(QFileInfo(tempPath).fileName());
    const QStringList copie{temp, temp + QStringLiteral("-journal")};
    const QByteArray cibleC = QFile::encodeName(cible);
    const QByteArray tmp = QFile::encodeName(temp);
    struct stat st {};
    if (::stat(cibleC.constData(), &st) != 0)
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("impossible de lire %1").arg(cible));
    retireCopie(copie);  // what a killed compaction left
    try {
        // The copy has the rights of the file it replaces (DroitsFichier.h) before it
        // holds a byte: SQLite fills the empty file made here, and gives its journal the
        // same mode and owner.
        const int vide = ::open(tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (vide < 0) throw DbError(SQLITE_CANTOPEN, QStringLiteral("impossible de créer %1").arg(temp));
        transmetDroits(cible, st, vide);
        ::close(vide);
        {
            Database db(path);
            db.exec(QStringLiteral("vacuum into ?"), {temp});
        }
        const int fd = ::open(tmp.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            if (fd >= 0) ::close(fd);
            throw DbError(SQLITE_IOERR, QStringLiteral("impossible d'écrire %1").arg(temp));
        }
        ::close(fd);
        if (std::rename(tmp.constData(), cibleC.constData()) != 0)
            throw DbError(SQLITE_IOERR, QStringLiteral("impossible de remplacer %1").arg(cible));
    } catch (...) {
        retireCopie(copie);
        throw;
    }
}

}  // namespace sotrix
