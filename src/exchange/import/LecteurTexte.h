#pragma once
// Text files read line by line (delimited CSV, G7ToWin, the first lines that File > Open
// and the field-mapping dialog look at). The encoding is decided once per file: a UTF-8
// byte-order mark is dropped and a UTF-16 one selects UTF-16; so do NUL bytes at every
// other place of the first lines (UTF-16 without a mark, little- or big-endian);
// otherwise the file is UTF-8 when all of it is valid UTF-8 (our exports, GDAL,
// GPSBabel), else Windows-1252 (Windows programs). Lines end at CR LF, LF or CR; the last
// one needs no end.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <memory>
#include <optional>

class QIODevice;

namespace sotrix {

class LecteurTexte {
public:
    enum class Codage { Utf8, Utf16LE, Utf16BE, Windows1252 };

    LecteurTexte();
    ~LecteurTexte();

    // Opens the file and decides its encoding (a first pass over the whole file). False
    // for a missing file, a folder or a file that cannot be read.
    bool ouvre(const QString& path);
    // The same over bytes in memory.
    void ouvreOctets(const QByteArray& bytes);

    // The next line, without its end; false at the end of the text, or on a read failure
    // (then echec()).
    bool suivante(QString& ligne);
    // From now on, a line longer than n characters is a read failure, found before more
    // than about n characters are held.
    void borneLignes(qsizetype n) { borne_ = n; }
    // The number of the line last given, from 1.
    qint64 numero() const { return numero_; }
    bool echec() const { return echec_; }
    Codage codage() const { return codage_; }

private:
    bool demarre();
    // Appends the next piece of the file to the text; false when nothing more came.
    bool remplit();

    std::unique_ptr<QIODevice> source_;
    Codage codage_ = Codage::Utf8;
    std::optional<QStringDecoder> decodeur_;
    QString texte_;
    qsizetype debut_ = 0;    // start of the next line in texte_
    qsizetype cherche_ = 0;  // where the search for its end goes on
    qint64 numero_ = 0;
    qsizetype borne_ = -1;  // no bound
    bool fin_ = false;
    bool echec_ = false;
};

// The longest first line worth looking at: a header or a line to recognize a file by.
inline constexpr qsizetype kPremiereLigneMax = 1024 * 1024;

// The first n lines of a file (fewer when it has fewer); nullopt when the file cannot be
// opened or read, or when one of them is longer than kPremiereLigneMax characters.
std::optional<QStringList> premieresLignes(const QString& path, int n);

}  // namespace sotrix
