#include "NomsOctets.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace sotrix {
namespace {

constexpr char16_t kOctetBrut = 0xDC00;

// The byte a lone surrogate stands for, or -1 for any other character of the name.
int octetBrut(const QString& nom, qsizetype i) {
    const char16_t u = nom[i].unicode();
    if (u < kOctetBrut + 0x80 || u > kOctetBrut + 0xFF) return -1;
    if (i > 0 && QChar::isHighSurrogate(nom[i - 1].unicode())) return -1;
    return u - kOctetBrut;
}

// The length of the UTF-8 sequence that starts at i, or 0 when the bytes there are none.
qsizetype sequence(QByteArrayView b, qsizetype i) {
    const auto c = uchar(b[i]);
    const qsizetype n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    return n > 0 && i + n <= b.size() && b.sliced(i, n).isValidUtf8() ? n : 0;
}

struct DirClose {
    void operator()(DIR* d) const { ::closedir(d); }
};

}  // namespace

QString nomDepuisOctets(QByteArrayView octets) {
    QString nom;
    nom.reserve(octets.size());
    for (qsizetype i = 0; i < octets.size();) {
        const qsizetype n = sequence(octets, i);
        if (n == 0) {
            nom += QChar(char16_t(kOctetBrut + uchar(octets[i])));
            ++i;
            continue;
        }
        nom += QString::fromUtf8(octets.sliced(i, n));
        i += n;
    }
    return nom;
}

QByteArray octetsDuNom(const QString& nom) {
    QByteArray octets;
    qsizetype debut = 0;
    for (qsizetype i = 0; i < nom.size(); ++i) {
        const int b = octetBrut(nom, i);
        if (b < 0) continue;
        octets += QStringView(nom).sliced(debut, i - debut).toUtf8();
        octets += char(b);
        debut = i + 1;
    }
    return octets + QStringView(nom).sliced(debut).toUtf8();
}

bool aOctetsBruts(const QString& nom) {
    for (qsizetype i = 0; i < nom.size(); ++i)
        if (octetBrut(nom, i) >= 0) return true;
    return false;
}

QString cheminAffiche(const QString& nom) {
    QString affiche = nom;
    for (qsizetype i = 0; i < affiche.size(); ++i)
        if (const int b = octetBrut(nom, i); b >= 0) affiche[i] = b >= 0xA0 ? QChar(char16_t(b)) : QChar::ReplacementCharacter;
    return affiche;
}

std::optional<EntreesDossier> lireDossier(const QString& dossier) {
    const QByteArray chemin = octetsDuNom(dossier);
    std::unique_ptr<DIR, DirClose> dir(::opendir(chemin.constData()));
    if (!dir) return std::nullopt;
    const QByteArray prefixe = chemin.endsWith('/') ? chemin : chemin + '/';
    EntreesDossier entrees;
    errno = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        const QByteArrayView name(e->d_name);
        if (name == "." || name == "..") continue;
        const QByteArray plein = prefixe + QByteArray(e->d_name);
        struct stat lien {}, cible {};
        const bool dossierLien = ::lstat(plein.constData(), &lien) == 0 && S_ISDIR(lien.st_mode);
        const bool dossierCible = ::stat(plein.constData(), &cible) == 0 && S_ISDIR(cible.st_mode);
        if (dossierLien)
            entrees.dossiers << nomDepuisOctets(name);
        else if (!dossierCible)
            entrees.fichiers << nomDepuisOctets(name);
        errno = 0;
    }
    if (errno != 0) return std::nullopt;
    return entrees;
}

bool fichierExisteOctets(const QString& nom) {
    struct stat st {};
    return !nom.isEmpty() && ::stat(octetsDuNom(nom).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<QStringList> fichiersGdal(const QStringList& noms, QTemporaryFile& optfile) {
    if (std::none_of(noms.begin(), noms.end(), aOctetsBruts)) return noms;
    QByteArray lignes;
    for (const QString& nom : noms) {
        QByteArray octets = octetsDuNom(nom);
        if (octets.contains('\n') || octets.contains('\r')) return std::nullopt;
        octets.replace('\\', "\\\\").replace('"', "\\\"");
        lignes += '"' + octets + "\"\n";
    }
    if (!optfile.open() || optfile.write(lignes) != lignes.size() || !optfile.flush()) return std::nullopt;
    return QStringList{QStringLiteral("--optfile"), optfile.fileName()};
}

}  // namespace sotrix
