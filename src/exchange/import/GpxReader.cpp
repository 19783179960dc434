#include "GpxReader.h"

#include "GpxPass.h"
#include "XmlEncoding.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sotrix {

namespace {

struct Item {
    enum class Kind : std::uint8_t { Waypoint, TrackStart, TrackHeader, Point };
    Kind kind = Kind::Point;
    int track = 0;
    GpxWaypoint waypoint;  // a point's values in waypoint.point, a header's in name and description
};

using Block = std::vector<Item>;

// Blocks of items from one pass to the reader, at most kBlocks ahead of it.
class Conduit {
public:
    static constexpr std::size_t kItems = 512;
    static constexpr std::size_t kBlocks = 8;

    // False once the reader gave up: the pass then stops.
    bool push(Block&& block) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return blocks_.size() < kBlocks || cancelled_; });
        if (cancelled_) return false;
        blocks_.push_back(std::move(block));
        cv_.notify_all();
        return true;
    }

    void finish(XmlLoad result) {
        std::lock_guard lock(mutex_);
        result_ = result;
        done_ = true;
        cv_.notify_all();
    }

    // The next block; false when the pass has ended and every block was taken.
    bool pop(Block& block) {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return !blocks_.empty() || done_; });
        if (blocks_.empty()) return false;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        cv_.notify_all();
        return true;
    }

    XmlLoad result() {
        std::lock_guard lock(mutex_);
        return result_;
    }

    void cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Block> blocks_;
    bool done_ = false;
    bool cancelled_ = false;
    XmlLoad result_ = XmlLoad::Ok;
};

class ConduitOutput final : public GpxPassOutput {
public:
    explicit ConduitOutput(Conduit& conduit) : conduit_(conduit) { block_.reserve(Conduit::kItems); }

    bool waypoint(GpxWaypoint&& waypoint) override {
        Item& item = block_.emplace_back();
        item.kind = Item::Kind::Waypoint;
        item.waypoint = std::move(waypoint);
        return afterItem();
    }
    bool trackStart(int index, GpxTrack&& header) override {
        Item& item = block_.emplace_back();
        item.kind = Item::Kind::TrackStart;
        item.track = index;
        item.waypoint.name = std::move(header.name);
        item.waypoint.description = std::move(header.description);
        return afterItem();
    }
    bool trackHeader(GpxTrack&& header) override {
        Item& item = block_.emplace_back();
        item.kind = Item::Kind::TrackHeader;
        item.waypoint.name = std::move(header.name);
        item.waypoint.description = std::move(header.description);
        return afterItem();
    }
    bool trackPoint(GpxPoint&& point) override {
        Item& item = block_.emplace_back();
        item.waypoint.point = std::move(point);
        return afterItem();
    }

    bool flush() {
        if (block_.empty()) return true;
        Block full = std::move(block_);
        block_ = Block();
        block_.reserve(Conduit::kItems);
        return conduit_.push(std::move(full));
    }

private:
    bool afterItem() { return block_.size() < Conduit::kItems || flush(); }

    Conduit& conduit_;
    Block block_;
};

// One kind's pass, on a thread of its own.
struct Lane {
    Lane(GpxKind kind, int decalage) : output(conduit), pass(kind, decalage, output, stream) {}

    void start(const XmlSource& source) {
        thread = std::thread([this, &source] {
            XmlLoad result = XmlLoad::Malformed;
            try {
                result = stream.parse(source, pass);
                if (!stream.stopped()) output.flush();
            } catch (...) {  // out of memory or threads: the file cannot be read
                result = XmlLoad::Malformed;
            }
            conduit.finish(result);
        });
    }

    Conduit conduit;
    ConduitOutput output;
    XmlStream stream;
    GpxPass pass;
    std::thread thread;
};

// Stops and waits for every pass, however the walk ends.
struct Lanes {
    std::array<std::unique_ptr<Lane>, 3> lanes;
    ~Lanes() {
        for (auto& lane : lanes)
            if (lane) lane->conduit.cancel();
        for (auto& lane : lanes)
            if (lane && lane->thread.joinable()) lane->thread.join();
    }
};

GpxTrack headerOf(const Item& item) { return GpxTrack{item.waypoint.name, item.waypoint.description}; }

// Hands one pass's items to the sink; ReadFailure when the pass found the file unreadable.
// Headers come with their tracks, or from the table that the waypoints' pass made.
Flow drain(Lane& lane, GpxSink& sink, const std::vector<GpxTrack>* headers) {
    Block block;
    while (lane.conduit.pop(block)) {
        for (const Item& item : block) {
            Flow flow;
            switch (item.kind) {
            case Item::Kind::Waypoint:
                flow = sink.waypoint(item.waypoint);
                break;
            case Item::Kind::TrackStart:
                if (!headers) {
                    flow = sink.trackStart(headerOf(item));
                } else {
                    // The waypoints' pass read the same file to its end: it knows every track.
                    if (std::size_t(item.track) >= headers->size()) return Flow::ReadFailure;
                    flow = sink.trackStart((*headers)[std::size_t(item.track)]);
                }
                break;
            case Item::Kind::TrackHeader:
                flow = sink.trackHeader(headerOf(item));
                break;
            default:
                flow = sink.trackPoint(item.waypoint.point);
                break;
            }
            if (flow != Flow::Continue) return flow;
        }
    }
    return lane.conduit.result() == XmlLoad::Ok ? Flow::Continue : Flow::ReadFailure;
}

// The position of the first "<name" or ":name" in window at or after from, or npos.
std::size_t findElementName(std::string_view window, std::string_view name, std::size_t from) {
    for (std::size_t p = window.find(name, std::max<std::size_t>(from, 1)); p != std::string_view::npos;
         p = window.find(name, p + 1))
        if (window[p - 1] == '<' || window[p - 1] == ':') return p;
    return std::string_view::npos;
}

// Whether no "wpt" element can follow the first "trk" element, from the bytes of a UTF-8
// file: any "<wpt" or ":wpt" after the first "<trk" or ":trk", even in a comment or a
// text, says no, as does a file in another encoding or one that cannot be read.
bool waypointsBeforeTracks(const XmlSource& source) {
    const std::size_t piece = 1 << 20;
    const XmlSource big = source.isFile() ? XmlSource::file(source.path(), piece) : XmlSource::bytes(source.data(), piece);
    XmlSourceReader reader(big);
    if (!reader.open()) return false;
    constexpr std::size_t kKept = 3;  // a name cut at the end of a piece is found in the next
    std::string window;
    bool first = true;
    bool trackSeen = false;
    bool last = false;
    while (!last) {
        std::string_view piece;
        if (!reader.next(piece, last)) return false;
        if (first) {
            const auto encoding = detectXmlEncoding(piece);
            if (!encoding || !encoding->from.empty()) return false;
            first = false;
        }
        window.erase(0, window.size() > kKept ? window.size() - kKept : 0);
        window.append(piece);
        std::size_t from = 0;
        if (!trackSeen) {
            const std::size_t track = findElementName(window, "trk", 0);
            if (track == std::string_view::npos) continue;
            trackSeen = true;
            from = track + 3;
        }
        if (findElementName(window, "wpt", from) != std::string_view::npos) return false;
    }
    return true;
}

// Reads up to the root's start tag.
class RootName final : public XmlHandler {
public:
    explicit RootName(XmlStream& stream) : stream_(stream) {}
    void startElement(const char* name, const char**, int) override {
        name_ = name;
        stream_.stop();
    }
    void endElement(const char*) override {}
    bool wantsText() const override { return false; }
    void text(std::string_view) override {}
    const std::string& name() const { return name_; }

private:
    XmlStream& stream_;
    std::string name_;
};

}  // namespace

bool estRacineGpx(const XmlSource& source) {
    XmlStream stream;
    RootName root(stream);
    if (stream.parse(source, root) != XmlLoad::Ok || !stream.stopped()) return false;
    return XmlNames(std::string_view(root.name())).matches(root.name().c_str(), "gpx");
}

Flow parcourtGpx(const XmlSource& source, int decalageHeures, GpxSink& sink) {
    Lanes lanes;
    const bool inOrder = waypointsBeforeTracks(source);
    const GpxKind kinds[] = {inOrder ? GpxKind::WaypointsAndTracks : GpxKind::Waypoints, GpxKind::Tracks,
                             GpxKind::Routes};
    for (std::size_t i = 0; i < lanes.lanes.size(); ++i) {
        if (inOrder && kinds[i] == GpxKind::Tracks) continue;
        lanes.lanes[i] = std::make_unique<Lane>(kinds[i], decalageHeures);
        lanes.lanes[i]->start(source);
    }
    Lane& first = *lanes.lanes[0];
    if (const Flow flow = drain(first, sink, nullptr); flow != Flow::Continue) return flow;
    first.thread.join();
    if (!inOrder)
        if (const Flow flow = drain(*lanes.lanes[1], sink, &first.pass.tracks()); flow != Flow::Continue) return flow;
    return drain(*lanes.lanes[2], sink, &first.pass.routes());
}

}  // namespace sotrix
