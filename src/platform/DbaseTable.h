#pragma once
// dBASE IV attribute tables (.dbf) over shapelib's DBF functions.
//
// Tables are written in the Windows-1252 code page, marked by the language-driver byte
// (LDID 87) and by a ".cpg" holding "1252" beside the table. Every value is formatted here, locale-free, and handed to
// shapelib as raw field text: numbers right-aligned with "." and fixed decimals, NULL as
// blanks. A value that does not fit its field is an error, never a row of "*".
// shapelib's DBFClose reports nothing, so its file access goes through our own hooks,
// which keep the first failure; close() raises it.

#include "DbaseCodePage.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace sotrix {

class DbaseError : public std::runtime_error {
public:
    DbaseError(const QString& message, int errorNumber = 0);
    const QString& message() const { return message_; }
    int errorNumber() const { return errorNumber_; }

private:
    QString message_;
    int errorNumber_;
};

struct DbaseField {
    QString name;      // cut to 10 characters in the file
    char type = 'C';   // 'C' text, 'N' number
    int width = 0;
    int decimals = 0;
};

// One value of a record: NULL, a text, a real or an integer.
using DbaseValue = std::variant<std::monostate, QStringView, double, std::int64_t>;

class DbaseTable {
public:
    // Creates (or truncates) the table with these fields, and its ".cpg"; lastModified
    // goes into the header. Throws DbaseError.
    static DbaseTable create(const QString& path, const std::vector<DbaseField>& fields, QDate lastModified);
    // Opens an existing table for reading, once its header passed verifieEnTeteDbase.
    // Throws DbaseError.
    static DbaseTable open(const QString& path);

    DbaseTable(DbaseTable&&) noexcept;
    DbaseTable& operator=(DbaseTable&&) noexcept;
    ~DbaseTable();  // closes, ignoring errors

    // Writing: one value per field, in field order. Throws DbaseError.
    void append(const std::vector<DbaseValue>& values);
    // Writes the header and closes the file; throws the first failure met while writing.
    void close();

    // Test seam: every write beyond this many more bytes fails as a full disk would.
    void failWritesAfter(std::int64_t bytes);

    // Reading.
    // Names are decoded with the table's code page, as its texts are.
    const std::vector<DbaseField>& fields() const { return fields_; }
    int fieldIndex(const QString& name) const;  // -1 when absent; case-insensitive
    // The records the header gives, at most those the file's size holds whole.
    std::int64_t recordCount() const;
    bool isDeleted(std::int64_t record) const;
    // The field's text, decoded, without the blanks around it.
    QString text(std::int64_t record, int field) const;
    // A number field's value; nullopt for blanks or "*" (NULL) or a text that is no number.
    std::optional<double> number(std::int64_t record, int field) const;
    bool isNull(std::int64_t record, int field) const;
    // What the table says of its code page: the ".cpg" text (the file found whatever the
    // case of its name) or "LDID/n"; empty when silent.
    QString codePage() const;

private:
    struct Handle;
    DbaseTable();
    const char* raw(std::int64_t record, int field) const;
    void check(const char* what);

    std::unique_ptr<Handle> h_;
    std::vector<DbaseField> fields_;
    std::vector<char> work_;
    DbaseDecodeur decodeur_{QString(), 87};  // a table written is in Windows-1252
    std::int64_t recordsPresent_ = -1;  // of a table opened for reading; -1 when writing
};

}  // namespace sotrix
