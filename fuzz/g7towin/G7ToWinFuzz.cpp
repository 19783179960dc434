// Input: the bytes of a G7ToWin export. No track point may come before a track, every
// date must be a well-formed one, and skipped lines come after the header, in order.
#include "G7ToWinImport.h"
#include "LecteurTexte.h"

#include <QByteArray>
#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class CheckingSink final : public sotrix::LectureSink {
public:
    sotrix::Flow waypoint(const sotrix::WaypointLu& w) override {
        checkDate(w.date);
        return sotrix::Flow::Continue;
    }
    sotrix::Flow trackStart(const sotrix::TraceLue&) override {
        track_ = true;
        points_ = 0;
        return sotrix::Flow::Continue;
    }
    sotrix::Flow trackPoint(const sotrix::PointLu& p) override {
        if (!track_) std::abort();
        checkDate(p.date);
        // The store numbers the points; one stop now and then walks the early way out.
        return ++points_ % 1000 == 0 ? sotrix::Flow::Stop : sotrix::Flow::Continue;
    }
    void skipped(qint64 ligne) override {
        if (ligne <= last_) std::abort();
        last_ = ligne;
    }

private:
    static void checkDate(const QString& date) {
        static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
        if (!date.isEmpty() && !form.match(date).hasMatch()) std::abort();
    }
    bool track_ = false;
    qint64 points_ = 0;
    qint64 last_ = 4;  // the four header lines are never read
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sotrix::LecteurTexte lignes;
    lignes.ouvreOctets(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    CheckingSink sink;
    sotrix::parcourtG7ToWin(lignes, size > 0 ? int(data[0] % 48) - 24 : 2, sink);
    return 0;
}
