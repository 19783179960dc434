#include "GpxReader.h"

#include "GpxPass.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sotrix {

namespace {

struct Item {
    enum class Kind : std::uint8_t { Waypoint, TrackStart, Point };
    Kind kind = Kind::Point;
    int track = 0;
    GpxWaypoint waypoint;  // a point's values in waypoint.point
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
    bool trackStart(int index) override {
        Item& item = block_.emplace_back();
        item.kind = Item::Kind::TrackStart;
        item.track = index;
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

// Hands one pass's items to the sink; ReadFailure when the pass found the file unreadable.
Flow drain(Lane& lane, GpxSink& sink, const std::vector<GpxTrack>* tracks) {
    Block block;
    while (lane.conduit.pop(block)) {
        for (const Item& item : block) {
            Flow flow;
            switch (item.kind) {
            case Item::Kind::Waypoint:
                flow = sink.waypoint(item.waypoint);
                break;
            case Item::Kind::TrackStart:
                // The waypoints' pass read the same file to its end: it knows every track.
                if (!tracks || std::size_t(item.track) >= tracks->size()) return Flow::ReadFailure;
                flow = sink.trackStart((*tracks)[std::size_t(item.track)]);
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
    const GpxKind kinds[] = {GpxKind::Waypoints, GpxKind::Tracks, GpxKind::Routes};
    for (std::size_t i = 0; i < lanes.lanes.size(); ++i) {
        lanes.lanes[i] = std::make_unique<Lane>(kinds[i], decalageHeures);
        lanes.lanes[i]->start(source);
    }
    Lane& waypoints = *lanes.lanes[0];
    if (const Flow flow = drain(waypoints, sink, nullptr); flow != Flow::Continue) return flow;
    waypoints.thread.join();
    if (const Flow flow = drain(*lanes.lanes[1], sink, &waypoints.pass.tracks()); flow != Flow::Continue) return flow;
    return drain(*lanes.lanes[2], sink, &waypoints.pass.routes());
}

}  // namespace sotrix
