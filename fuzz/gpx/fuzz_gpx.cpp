// Parses the input as a document and walks it as GPX, as the import does before it
// stores anything.
#include "GpxReader.h"
#include "Xml.h"

#include <cstddef>
#include <cstdint>

namespace {

class NullSink final : public sotrix::GpxSink {
public:
    sotrix::Flow waypoint(const sotrix::GpxWaypoint&) override { return next(); }
    sotrix::Flow trackStart(const sotrix::GpxTrack&) override { return next(); }
    sotrix::Flow trackPoint(const sotrix::GpxPoint&) override { return next(); }

private:
    // Stops now and then, so that the early ways out are walked too.
    sotrix::Flow next() { return ++count_ % 97 == 0 ? sotrix::Flow::Stop : sotrix::Flow::Continue; }
    unsigned count_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sotrix::XmlDocument doc;
    if (doc.loadBytes(reinterpret_cast<const char*>(data), size) != sotrix::XmlLoad::Ok) return 0;
    if (!sotrix::estRacineGpx(doc.root())) return 0;
    NullSink sink;
    sotrix::parcourtGpx(doc.root(), 2, sink);
    return 0;
}
