// Input: one byte choosing ";" or ",", then a line. The splitter must cut a line without
// quotes exactly where a plain split does; then the same bytes go through the CSV walker
// as a file, with the name and coordinate columns taken from the next bytes.
#include "CsvImport.h"
#include "DecoupeCsv.h"
#include "LecteurTexte.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class NullSink final : public sotrix::LectureSink {
public:
    sotrix::Flow waypoint(const sotrix::WaypointLu&) override { return next(); }
    sotrix::Flow trackStart(const sotrix::TraceLue&) override { std::abort(); }  // CSV makes no track
    sotrix::Flow trackPoint(const sotrix::PointLu&) override { std::abort(); }
    void skipped(qint64 ligne) override {
        if (ligne <= last_) std::abort();  // skipped lines come in file order, after the header
        last_ = ligne;
    }

private:
    sotrix::Flow next() { return ++count_ % 97 == 0 ? sotrix::Flow::Stop : sotrix::Flow::Continue; }
    unsigned count_ = 0;
    qint64 last_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const QChar delimiteur = data[0] % 2 ? QLatin1Char(',') : QLatin1Char(';');
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    QString ligne = QString::fromUtf8(bytes);
    ligne.remove(QLatin1Char('\r'));
    ligne.remove(QLatin1Char('\n'));
    QStringList champs;
    sotrix::decoupeLigneCsv(ligne, delimiteur, champs);
    if (!ligne.contains(QLatin1Char('"'))) {
        const QStringList attendus = ligne.isEmpty() ? QStringList() : ligne.split(delimiteur);
        if (champs != attendus) std::abort();
    }

    sotrix::ChoixCsv choix;
    choix.delimiteur = delimiteur;
    choix.colonneNom = size > 1 ? data[1] % 16 : 0;
    choix.colonneX = size > 2 ? data[2] % 16 : 1;
    choix.colonneY = size > 3 ? data[3] % 16 : 2;
    choix.sepDecimalFichier = size > 4 && data[4] % 2 ? QStringLiteral(",") : QStringLiteral(".");
    sotrix::LecteurTexte lignes;
    lignes.ouvreOctets(bytes);
    NullSink sink;
    sotrix::parcourtCsv(lignes, choix, sink);
    return 0;
}
