#include "InfoReport.h"

#include "AppDir.h"
#include "Execution.h"
#include "FichierTravail.h"
#include "NomsOctets.h"
#include "ReferenceFiles.h"
#include "State.h"

#include <QTemporaryFile>

#include <algorithm>

namespace sotrix {
namespace {

constexpr qint64 kMorceau = 1 << 20;
constexpr char kBom[] = "\xEF\xBB\xBF";

bool estBlanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The length of the end of b that begins a UTF-8 character not complete in b (0 to 3).
qsizetype finIncomplete(QByteArrayView b) {
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, b.size()); ++k) {
        const auto c = uchar(b[b.size() - k]);
        if ((c & 0xC0) == 0x80) continue;
        const int longueur = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return longueur > k ? k : 0;
    }
    return 0;
}

// What is learnt of a text as it streams past: its first kBorneRapport bytes, its size,
// its lines and whether it is all blank.
class Apercu {
public:
    void ajoute(QByteArrayView b) {
        if (b.empty()) return;
        if (debut_.size() < kBorneRapport) debut_.append(b.first(std::min(b.size(), kBorneRapport - debut_.size())));
        taille_ += b.size();
        finsDeLigne_ += std::count(b.begin(), b.end(), '\n');
        dernier_ = b.back();
        blanc_ = blanc_ && std::all_of(b.begin(), b.end(), estBlanc);
    }
    qint64 taille() const { return taille_; }
    bool blanc() const { return blanc_; }
    bool finitLigne() const { return dernier_ == '\n'; }
    qint64 lignes() const { return finsDeLigne_ + (taille_ > 0 && !finitLigne() ? 1 : 0); }

    // The whole text within the bounds; past them, its lines within both (a line longer
    // than the bound of bytes cut at a character), "…" and the note.
    QByteArray montre() && {
        if (taille_ <= kBorneRapport && lignes() <= kLignesMax) return std::move(debut_);
        qsizetype fin = 0;
        for (qint64 n = 0; n < kLignesMax; ++n) {
            const qsizetype ligne = debut_.indexOf('\n', fin);
            if (ligne < 0) break;
            fin = ligne + 1;
        }
        debut_.truncate(fin > 0 ? fin : debut_.size() - finIncomplete(debut_));
        if (!debut_.endsWith('\n')) debut_ += '\n';
        return debut_ + "…\n" +
               QStringLiteral("Le rapport complet compte %1 lignes ; « Sauvegarder » l'enregistre en entier.")
                   .arg(lignes())
                   .toUtf8();
    }

private:
    QByteArray debut_;
    qint64 taille_ = 0;
    qint64 finsDeLigne_ = 0;
    char dernier_ = 0;
    bool blanc_ = true;
};

// A file read once from its start: whether it begins with a byte-order mark, whether it
// is UTF-8, and its text as it stands.
struct Examen {
    bool bom = false;
    bool utf8 = true;
    Apercu apercu;
};

std::optional<Examen> examine(QFile& f) {
    if (!f.seek(0)) return std::nullopt;
    Examen e;
    QByteArray reste;  // a character cut by the end of the last piece
    for (;;) {
        QByteArray morceau = f.read(kMorceau);
        if (morceau.isEmpty()) break;
        if (e.apercu.taille() == 0) e.bom = morceau.startsWith(kBom);
        e.apercu.ajoute(morceau);
        if (!e.utf8) continue;
        if (!reste.isEmpty()) morceau.prepend(reste);
        const qsizetype complet = morceau.size() - finIncomplete(morceau);
        e.utf8 = QByteArrayView(morceau).first(complet).isValidUtf8();
        reste = morceau.sliced(complet);
    }
    if (f.error() != QFileDevice::NoError) return std::nullopt;
    e.utf8 = e.utf8 && reste.isEmpty();
    return e;
}

// Copies f's text to dest in UTF-8 without its byte-order mark, read as UTF-8 when it is,
// else in the local 8-bit encoding. A character cut by the end of a piece is read with the
// next, so that the pieces read as the whole text would.
bool verse(QFile& f, const Examen& e, QIODevice& dest, Apercu& ecrit) {
    if (!f.seek(e.bom ? 3 : 0)) return false;
    QByteArray reste;
    for (bool fini = false; !fini;) {
        QByteArray morceau = f.read(kMorceau);
        fini = morceau.isEmpty();
        if (!e.utf8) {
            morceau.prepend(reste);
            const qsizetype complet = fini ? morceau.size() : morceau.size() - finIncomplete(morceau);
            reste = morceau.sliced(complet);
            morceau = QString::fromLocal8Bit(QByteArrayView(morceau).first(complet)).toUtf8();
        }
        if (dest.write(morceau) != morceau.size()) return false;
        ecrit.ajoute(morceau);
    }
    return f.error() == QFileDevice::NoError;
}

// The report whole in a new file next to "info.txt": its converted text, then the errors.
std::unique_ptr<QFile> copie(QFile& info, const Examen& sortie, QFile* erreurs, Apercu& ecrit) {
    auto out = std::make_unique<QTemporaryFile>(appPath(QStringLiteral(".info.txt-XXXXXX")));
    if (!out->open() || !verse(info, sortie, *out, ecrit)) return nullptr;
    if (erreurs) {
        const auto e = examine(*erreurs);
        if (!e) return nullptr;
        if (e->apercu.taille() > (e->bom ? 3 : 0)) {
            if (ecrit.taille() > 0) {
                const QByteArray separation = ecrit.finitLigne() ? "\n" : "\n\n";
                if (out->write(separation) != separation.size()) return nullptr;
                ecrit.ajoute(separation);
            }
            if (!verse(*erreurs, *e, *out, ecrit)) return nullptr;
        }
    }
    if (!out->flush()) return nullptr;
    return out;
}

}  // namespace

CommandeInfo commandeInfo(const QStringList& file, bool vectoriel, bool resume) {
    if (!vectoriel) return {QStringLiteral("gdalinfo"), QStringList{QStringLiteral("-nogcp"), QStringLiteral("-nomd")} + file};
    QStringList args{QStringLiteral("-al")};
    if (resume) args << QStringLiteral("-so");
    return {QStringLiteral("ogrinfo"), args + file};
}

std::optional<RapportInfo> rapportInfo(const QString& file, bool vectoriel, bool resume, int timeoutMs) {
    const QString nom = appPath(QString::fromLatin1(kFichierInfo));
    // The tool's output must not go through what stands at the name.
    if (!libereFichierTravail(nom)) return std::nullopt;
    QTemporaryFile erreurs;
    if (!erreurs.open()) return std::nullopt;
    erreurs.close();
    // A name that is not UTF-8 reaches the tool byte for byte through a file of arguments.
    QTemporaryFile optfile;
    const auto fichier = fichiersGdal({file}, optfile);
    if (!fichier) return std::nullopt;
    const CommandeInfo c = commandeInfo(*fichier, vectoriel, resume);
    const RunResult run = executeEtAttend(c.program, c.arguments, timeoutMs, nom, erreurs.fileName());
    if (!run.finished()) return std::nullopt;
    auto info = std::make_unique<QFile>(nom);
    if (!info->open(QIODevice::ReadOnly)) return std::nullopt;
    auto sortie = examine(*info);
    if (!sortie) return std::nullopt;

    RapportInfo r;
    Apercu apercu;
    const bool echec = run.crashed || run.exitCode != 0;
    if (echec && !erreurs.open()) return std::nullopt;
    if (sortie->utf8 && !sortie->bom && !echec) {
        // "info.txt" is the report: kept open, it stays readable once its name is deleted.
        r.entier = std::move(info);
        apercu = std::move(sortie->apercu);
    } else {
        r.entier = copie(*info, *sortie, echec ? &erreurs : nullptr, apercu);
        if (!r.entier) return std::nullopt;
    }
    if (apercu.blanc()) return std::nullopt;
    if (state().paramSupInt) QFile::remove(nom);
    r.lignes = apercu.lignes();
    r.apercu = std::move(apercu).montre();
    return r;
}

bool copieRapport(QFile& entier, QIODevice& dest) {
    if (!entier.seek(0)) return false;
    for (;;) {
        const QByteArray morceau = entier.read(kMorceau);
        if (morceau.isEmpty()) return entier.error() == QFileDevice::NoError;
        if (dest.write(morceau) != morceau.size()) return false;
    }
}

}  // namespace sotrix
