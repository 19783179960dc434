#include "LecteurTexte.h"

#include "DbaseTable.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cstdint>

namespace sotrix {

namespace {

constexpr qint64 kMorceau = 64 * 1024;
constexpr qint64 kEntete = 4096;  // the bytes that tell UTF-16 without a byte-order mark

// UTF-8 validity over a text given in pieces: a sequence may straddle two pieces.
// Overlong forms, surrogates and values past U+10FFFF are invalid.
class ValideUtf8 {
public:
    void ajoute(const QByteArray& bytes) {
        for (const char c : bytes) {
            if (!ok_) return;
            const auto b = std::uint8_t(c);
            if (restants_ > 0) {
                if (b < bas_ || b > haut_) {
                    ok_ = false;
                    return;
                }
                bas_ = 0x80;
                haut_ = 0xBF;
                --restants_;
            } else if (b >= 0x80) {
                debute(b);
            }
        }
    }
    bool valide() const { return ok_ && restants_ == 0; }

private:
    void debute(std::uint8_t b) {
        bas_ = 0x80;
        haut_ = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            restants_ = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            restants_ = 2;
            if (b == 0xE0) bas_ = 0xA0;
            if (b == 0xED) haut_ = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            restants_ = 3;
            if (b == 0xF0) bas_ = 0x90;
            if (b == 0xF4) haut_ = 0x8F;
        } else {
            ok_ = false;
        }
    }

    int restants_ = 0;
    std::uint8_t bas_ = 0x80, haut_ = 0xBF;
    bool ok_ = true;
};

// UTF-16 without a byte-order mark: in the first lines, most characters are a byte of text
// and a NUL (ASCII and Latin-1 in two bytes), and the NUL's place in the pair tells the
// byte order. Text in one-byte encodings has no such NULs.
std::optional<LecteurTexte::Codage> utf16SansMarque(const QByteArray& entete) {
    const qsizetype paires = entete.size() / 2;
    qsizetype le = 0, be = 0;
    for (qsizetype i = 0; i < paires; ++i) {
        const bool nulPremier = entete[2 * i] == '\0', nulSecond = entete[2 * i + 1] == '\0';
        if (nulSecond && !nulPremier) ++le;
        if (nulPremier && !nulSecond) ++be;
    }
    if (le * 2 > paires) return LecteurTexte::Codage::Utf16LE;
    if (be * 2 > paires) return LecteurTexte::Codage::Utf16BE;
    return std::nullopt;
}

}  // namespace

LecteurTexte::LecteurTexte() = default;
LecteurTexte::~LecteurTexte() = default;

bool LecteurTexte::ouvre(const QString& path) {
    if (QFileInfo(path).isDir()) return false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) return false;
    source_ = std::move(file);
    return demarre();
}

void LecteurTexte::ouvreOctets(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    source_ = std::move(buffer);
    demarre();
}

bool LecteurTexte::demarre() {
    const QByteArray debut = source_->peek(kEntete);
    if (debut.startsWith("\xFF\xFE")) {
        codage_ = Codage::Utf16LE;
    } else if (debut.startsWith("\xFE\xFF")) {
        codage_ = Codage::Utf16BE;
    } else if (const auto utf16 = utf16SansMarque(debut)) {
        codage_ = *utf16;
    } else {
        ValideUtf8 utf8;
        for (;;) {
            const QByteArray morceau = source_->read(kMorceau);
            if (morceau.isEmpty()) break;
            utf8.ajoute(morceau);
        }
        // A failed read of a file ends like its end; its size tells them apart.
        if (!source_->atEnd() || !source_->seek(0)) return false;
        codage_ = utf8.valide() ? Codage::Utf8 : Codage::Windows1252;
    }
    // The decoders drop the byte-order mark at the start.
    switch (codage_) {
    case Codage::Utf8: decodeur_.emplace(QStringDecoder::Utf8); break;
    case Codage::Utf16LE: decodeur_.emplace(QStringDecoder::Utf16LE); break;
    case Codage::Utf16BE: decodeur_.emplace(QStringDecoder::Utf16BE); break;
    case Codage::Windows1252: decodeur_.reset(); break;
    }
    return true;
}

bool LecteurTexte::remplit() {
    if (fin_ || echec_) return false;
    const QByteArray morceau = source_->read(kMorceau);
    if (morceau.isEmpty()) {
        fin_ = true;
        echec_ = !source_->atEnd();
        return false;
    }
    texte_.remove(0, debut_);
    cherche_ -= debut_;
    debut_ = 0;
    texte_ += decodeur_ ? QString((*decodeur_)(morceau)) : decodeWindows1252(morceau);
    return true;
}

bool LecteurTexte::suivante(QString& ligne) {
    if (!source_ || echec_) return false;
    for (;;) {
        const QChar* d = texte_.constData();
        const qsizetype n = texte_.size();
        qsizetype i = cherche_;
        while (i < n && d[i] != QLatin1Char('\n') && d[i] != QLatin1Char('\r')) ++i;
        cherche_ = i;
        // A CR at the end of the text read so far may be the first half of CR LF.
        if (i < n && !(d[i] == QLatin1Char('\r') && i + 1 == n && !fin_)) {
            ligne = texte_.mid(debut_, i - debut_);
            debut_ = i + 1;
            if (d[i] == QLatin1Char('\r') && debut_ < n && d[debut_] == QLatin1Char('\n')) ++debut_;
            cherche_ = debut_;
            ++numero_;
            return true;
        }
        if (borne_ >= 0 && cherche_ - debut_ > borne_) {
            echec_ = true;
            return false;
        }
        if (!remplit()) {
            if (echec_) return false;
            if (debut_ >= texte_.size()) return false;
            if (cherche_ < texte_.size()) continue;  // the CR kept back ends the last line
            ligne = texte_.mid(debut_);
            debut_ = cherche_ = texte_.size();
            ++numero_;
            return true;
        }
    }
}

std::optional<QStringList> premieresLignes(const QString& path, int n) {
    LecteurTexte lecteur;
    if (!lecteur.ouvre(path)) return std::nullopt;
    lecteur.borneLignes(kPremiereLigneMax);
    QStringList lignes;
    QString ligne;
    while (lignes.size() < n && lecteur.suivante(ligne)) lignes << ligne;
    if (lecteur.echec()) return std::nullopt;
    return lignes;
}

}  // namespace sotrix
