#pragma once
// The code page of a dBASE table's names and texts: the one a ".cpg" beside the table
// names, else the one the language-driver byte of its header gives, else a guess.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

namespace sotrix {

// Windows-1252: Latin-1 plus the 32 characters of 0x80..0x9F; "?" for anything else.
QByteArray encodeWindows1252(QStringView text);
// The same into out, at most max bytes (one a character); the bytes written.
int encodeWindows1252(QStringView text, char* out, int max);
QString decodeWindows1252(const QByteArray& bytes);

// Decodes the bytes of one table.
class DbaseDecodeur {
public:
    // cpg: the text of the table's ".cpg", "" when there is none; ldid: the language
    // driver of its header, 0 when silent.
    DbaseDecodeur(const QString& cpg, int ldid);
    QString operator()(const QByteArray& bytes) const;

private:
    enum class Codec { Windows1252, Latin1, Utf8, Iconv, Guess };
    struct FermeIconv {
        void operator()(void* cd) const;
    };
    // Takes the code page of that name; false when none of ours nor iconv knows it.
    bool choisit(const QString& codePage);

    Codec codec_ = Codec::Guess;
    std::unique_ptr<void, FermeIconv> iconv_;  // the code page of Codec::Iconv
};

}  // namespace sotrix
