// Walks the input as GPX, as the import does, twice: handed on whole and in pieces of a
// few bytes. Both walks must hand the sink the same items and end the same way, so that
// no construct cut between two pieces is read otherwise.
#include "GpxReader.h"
#include "XmlStream.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

class RecordingSink final : public sotrix::GpxSink {
public:
    sotrix::Flow waypoint(const sotrix::GpxWaypoint& w) override {
        return add(QStringLiteral("w %1 %2 %3 %4 %5")
                       .arg(w.point.lon)
                       .arg(w.point.lat)
                       .arg(w.name.value_or(QStringLiteral("-")), w.description.value_or(QStringLiteral("-")),
                            w.point.date));
    }
    sotrix::Flow trackStart(const sotrix::GpxTrack& t) override {
        return add(QStringLiteral("t %1 %2").arg(t.name.value_or(QStringLiteral("-")),
                                                 t.description.value_or(QStringLiteral("-"))));
    }
    sotrix::Flow trackHeader(const sotrix::GpxTrack& t) override {
        return add(QStringLiteral("h %1 %2").arg(t.name.value_or(QStringLiteral("-")),
                                                 t.description.value_or(QStringLiteral("-"))));
    }
    sotrix::Flow trackPoint(const sotrix::GpxPoint& p) override {
        return add(QStringLiteral("p %1 %2 %3").arg(p.lon).arg(p.lat).arg(p.date));
    }
    QStringList items;

private:
    // Stops now and then, so that the early ways out are walked too.
    sotrix::Flow add(const QString& item) {
        items << item;
        return items.size() % 97 == 0 ? sotrix::Flow::Stop : sotrix::Flow::Continue;
    }
};

struct Walk {
    bool gpx = false;
    sotrix::Flow flow = sotrix::Flow::Continue;
    QStringList items;
};

Walk walk(std::string_view bytes, std::size_t chunk) {
    Walk w;
    const auto source = sotrix::XmlSource::bytes(bytes, chunk);
    w.gpx = sotrix::estRacineGpx(source);
    if (!w.gpx) return w;
    RecordingSink sink;
    w.flow = sotrix::parcourtGpx(source, 2, sink);
    w.items = sink.items;
    return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Walk whole = walk(bytes, sotrix::XmlSource::kChunk);
    const Walk pieces = walk(bytes, 1 + size % 7);
    if (whole.gpx != pieces.gpx || whole.flow != pieces.flow || whole.items != pieces.items) {
        std::fprintf(stderr, "the walk in pieces differs from the walk of the whole input\n");
        std::abort();
    }
    return 0;
}
