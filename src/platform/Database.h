#pragma once
// The workspace database: a thin RAII layer over SQLite's C API.
// Every value goes in as a bound parameter; Null stays distinct from "".

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace sotrix {

class DbError : public std::runtime_error {
public:
    DbError(int code, const QString& message, const QString& sql = {});
    int code() const { return code_; }
    const QString& message() const { return message_; }
    const QString& sql() const { return sql_; }

private:
    int code_;
    QString message_;
    QString sql_;
};

class Database;

// A prepared statement. For bulk work prepare once and call run() per row, or, on a hot
// path, bind typed values by position (from 1) and call execute().
class Statement {
public:
    Statement(Database& db, const QString& sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    ~Statement();

    void bind(const QVariantList& params);
    // Resets, binds and runs to completion; returns the rows changed.
    qint64 run(const QVariantList& params = {});
    // Typed bindings; text is bound without a copy and must outlive the next execute().
    void bindNull(int index);
    void bindInt(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& value);
    // A pointer for an extension of ours that knows its type (sqlite3_bind_pointer).
    void bindPointer(int index, void* pointer, const char* type);
    // Runs the bound statement to completion and resets it, keeping its bindings.
    void execute();
    // Steps once; true while a row is available.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    int columnIndex(const QString& name) const;  // -1 when absent; case-insensitive
    QVariant value(int column) const;             // null QVariant for NULL
    bool isNull(int column) const;
    // Typed reads of the current row, without a QVariant; Null reads as 0 or as "". The
    // UTF-8 text stays valid until the next step.
    qint64 intValue(int column) const;
    QByteArrayView utf8Value(int column) const;
    // The same number as value().toDouble(), for text too.
    double doubleValue(int column) const;

private:
    friend class Cursor;
    void check(int rc) const;
    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString sql_;
};

// Rows of a query: call next() before reading the first one.
class Cursor {
public:
    explicit Cursor(Statement&& st) : st_(std::move(st)) {}
    bool next();
    bool isNull(const QString& name) const;
    QVariant value(const QString& name) const;  // throws DbError for an unknown column
    QVariant value(int column) const { return st_.value(column); }
    int columnCount() const { return st_.columnCount(); }
    QString columnName(int column) const { return st_.columnName(column); }
    int columnIndex(const QString& name) const { return st_.columnIndex(name); }

private:
    int index(const QString& name) const;
    Statement st_;
};

class Database {
public:
    // Opens an existing file read-write; never creates one. Throws DbError. The connection
    // has no mutexes of its own: one thread at a time may use it.
    explicit Database(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }

    qint64 exec(const QString& sql, const QVariantList& params = {});
    // Runs every statement of a script without parameters, in order.
    void execScript(const QString& sql);
    Cursor query(const QString& sql, const QVariantList& params = {});
    Statement prepare(const QString& sql) { return Statement(*this, sql); }
    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // Inserts one row (unset columns take their defaults) and returns its key.
    qint64 insert(const QString& table, const std::vector<std::pair<QString, QVariant>>& values);
    bool columnExists(const QString& table, const QString& column) noexcept;
    bool tableExists(const QString& table) noexcept;
    qint64 lastInsertId() const;

    [[noreturn]] void fail(int rc, const QString& sql = {}) const;

private:
    friend class Transaction;
    QString path_;
    sqlite3* db_ = nullptr;
    int txDepth_ = 0;
    qint64 busySince_ = 0;  // when the current wait for a lock began (steady clock, ms)
};

// While one lives, the connections of the process wait for a lock that another program
// holds once in all: once one connection's wait has run out, later waits give up at
// once, so that a command, its readers on other threads and its clean-up are not kept
// waiting one after the other. Scopes nest; the last one to end lets waits start afresh.
class SharedLockWait {
public:
    SharedLockWait();
    ~SharedLockWait();
    SharedLockWait(const SharedLockWait&) = delete;
    SharedLockWait& operator=(const SharedLockWait&) = delete;
};

// One write command: BEGIN IMMEDIATE (a SAVEPOINT when nested); rolled back by the
// destructor unless commit() was reached.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    int level_;
    bool done_ = false;
};

// Holds the workspace database open for one operation. The first guard opens the file,
// nested guards share the connection, the last one closes it.
class DbGuard {
public:
    DbGuard();                             // the program's "sotrix.mdb" (kNomBd)
    explicit DbGuard(const QString& path);
    Database& operator*() const { return *db_; }
    Database* operator->() const { return db_.get(); }
    Database& db() const { return *db_; }
    // True while some guard holds the file at path open.
    static bool isOpen(const QString& path);

private:
    std::shared_ptr<Database> db_;
};

// Path of the workspace database in the program folder.
QString databasePath();

// Copies the database into a compact file (tempPath) and puts it in place of the original
// with an atomic rename; the new file has the original's mode. When path is a symbolic
// link, the file it leads to is replaced, through a copy of tempPath's name beside it, and
// the link stays. No connection to the file may be open. Throws DbError; on failure the
// original is untouched and neither the copy nor its journal remains.
void compactDatabase(const QString& path, const QString& tempPath);

}  // namespace sotrix
