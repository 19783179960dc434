#include "GpxReader.h"

#include "GpxPass.h"
#include "XmlEncoding.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sotrix {

namespace {

// Where a text of a point lies in its block's texts.
struct Texte {
    std::size_t debut = 0, longueur = 0;
    bool present = false;
};

struct Item {
    enum class Kind : std::uint8_t { Waypoint, TrackStart, TrackHeader, Point };
    enum Champ { Lat, Lon, Ele, Time, DateText, Name, Description, kChamps };
    Kind kind = Kind::Point;
    int track = 0;
    GpxTrack header;                     // of a TrackStart or TrackHeader
    std::array<Texte, kChamps> textes;  // of a point
};

// Items, and the texts of their points one after the other.
struct Block {
    std::vector<Item> items;
    std::string texts;
};

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

    // Set once the reader gave up, for the pass to stop even when it hands nothing on.
    const std::atomic<bool>& cancelled() const { return cancelled_; }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Block> blocks_;
    bool done_ = false;
    std::atomic<bool> cancelled_ = false;
    XmlLoad result_ = XmlLoad::Ok;
};

class ConduitOutput final : public GpxPassOutput {
public:
    static constexpr std::size_t kTexts = 64 * 1024;

    explicit ConduitOutput(Conduit& conduit) : conduit_(conduit) { reserve(); }

    bool waypoint(const GpxPointTexts& texts) override { return ajoute(Item::Kind::Waypoint, texts); }
    bool trackStart(int index, GpxTrack&& header) override {
        Item& item = block_.items.emplace_back();
        item.kind = Item::Kind::TrackStart;
        item.track = index;
        item.header = std::move(header);
        return afterItem();
    }
    bool trackHeader(GpxTrack&& header) override {
        Item& item = block_.items.emplace_back();
        item.kind = Item::Kind::TrackHeader;
        item.header = std::move(header);
        return afterItem();
    }
    bool trackPoint(const GpxPointTexts& texts) override { return ajoute(Item::Kind::Point, texts); }

    bool flush() {
        if (block_.items.empty()) return true;
        Block full = std::exchange(block_, Block());
        reserve();
        return conduit_.push(std::move(full));
    }

private:
    void reserve() {
        block_.items.reserve(Conduit::kItems);
        block_.texts.reserve(kTexts);
    }

    bool ajoute(Item::Kind kind, const GpxPointTexts& t) {
        Item& item = block_.items.emplace_back();
        item.kind = kind;
        auto put = [this, &item](Item::Champ champ, std::string_view text) {
            item.textes[champ] = {block_.texts.size(), text.size(), true};
            block_.texts.append(text);
        };
        put(Item::Lat, t.lat);
        put(Item::Lon, t.lon);
        for (const auto& [champ, text] : {std::pair{Item::Ele, &t.ele}, std::pair{Item::Time, &t.time},
                                          std::pair{Item::DateText, &t.dateText}, std::pair{Item::Name, &t.name},
                                          std::pair{Item::Description, &t.description}})
            if (*text) put(champ, **text);
        return afterItem();
    }

    // A block is handed on when it holds its items, or texts enough.
    bool afterItem() {
        return (block_.items.size() < Conduit::kItems && block_.texts.size() < kTexts) || flush();
    }

    Conduit& conduit_;
    Block block_;
};

// One kind's pass, on a thread of its own.
struct Lane {
    Lane(GpxKind kind, int decalage) : decalage(decalage), output(conduit), pass(kind, output, stream) {
        stream.stopWhen(conduit.cancelled());
    }

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

    int decalage;  // hours added to the dates read
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

// The texts of a point item.
GpxPointTexts textsOf(const Block& block, const Item& item) {
    auto text = [&](Item::Champ champ) -> std::optional<std::string_view> {
        const Texte& t = item.textes[champ];
        if (!t.present) return std::nullopt;
        return std::string_view(block.texts).substr(t.debut, t.longueur);
    };
    GpxPointTexts t;
    t.lat = *text(Item::Lat);
    t.lon = *text(Item::Lon);
    t.ele = text(Item::Ele);
    t.time = text(Item::Time);
    t.dateText = text(Item::DateText);
    t.name = text(Item::Name);
    t.description = text(Item::Description);
    return t;
}

// Hands one pass's items to the sink; ReadFailure when the pass found the file unreadable.
// Headers come with their tracks, or from the table that the waypoints' pass made. A point
// whose "lat" or "lon" does not read is passed over.
Flow drain(Lane& lane, GpxSink& sink, const std::vector<GpxTrack>* headers) {
    Block block;
    GpxWaypoint waypoint;
    GpxPoint point;
    while (lane.conduit.pop(block)) {
        for (const Item& item : block.items) {
            Flow flow = Flow::Continue;
            switch (item.kind) {
            case Item::Kind::Waypoint: {
                const GpxPointTexts t = textsOf(block, item);
                if (!lirePoint(t, lane.decalage, waypoint.point)) break;
                waypoint.name = t.name ? std::optional(texteGpx(*t.name)) : std::nullopt;
                waypoint.description = t.description ? std::optional(texteGpx(*t.description)) : std::nullopt;
                flow = sink.waypoint(waypoint);
                break;
            }
            case Item::Kind::TrackStart:
                if (!headers) {
                    flow = sink.trackStart(item.header);
                } else {
                    // The waypoints' pass read the same file to its end: it knows every track.
                    if (std::size_t(item.track) >= headers->size()) return Flow::ReadFailure;
                    flow = sink.trackStart((*headers)[std::size_t(item.track)]);
                }
                break;
            case Item::Kind::TrackHeader:
                flow = sink.trackHeader(item.header);
                break;
            default:
                if (lirePoint(textsOf(block, item), lane.decalage, point)) flow = sink.trackPoint(point);
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

// What a scan of the bytes of a UTF-8 file tells of the order of its elements, without
// parsing it: the waypoints come before the tracks unless a "<wpt" or ":wpt" follows the
// first "<trk" or ":trk", even in a comment or a text; there are no tracks or no routes
// when no "<trk" or ":trk", or "<rte" or ":rte", is anywhere. A file in another
// encoding, or one that cannot be read, is taken to hold anything in any order.
struct Layout {
    bool waypointsFirst = false;
    bool tracks = true;
    bool routes = true;
};

Layout scanLayout(const XmlSource& source) {
    const std::size_t pieceSize = 1 << 20;
    const XmlSource big =
        source.isFile() ? XmlSource::file(source.path(), pieceSize) : XmlSource::bytes(source.data(), pieceSize);
    XmlSourceReader reader(big);
    if (!reader.open()) return {};
    Layout found{true, false, false};
    std::string seam;  // the last bytes of a piece and the first of the next: a name cut between them
    bool first = true;
    bool last = false;
    while (!last) {
        std::string_view piece;
        if (!reader.next(piece, last)) return {};
        if (first) {
            const auto encoding = detectXmlEncoding(piece);
            if (!encoding || !encoding->from.empty()) return {};
            first = false;
        }
        seam.append(piece.substr(0, 3));
        for (const std::string_view text : {std::string_view(seam), piece}) {
            if (found.waypointsFirst && found.tracks && findElementName(text, "wpt", 0) != std::string_view::npos)
                found.waypointsFirst = false;
            if (!found.tracks && findElementName(text, "trk", 0) != std::string_view::npos) {
                found.tracks = true;
                // A waypoint after the first track in this same text.
                const std::size_t track = findElementName(text, "trk", 0);
                if (findElementName(text, "wpt", track + 3) != std::string_view::npos) found.waypointsFirst = false;
            }
            if (!found.routes && findElementName(text, "rte", 0) != std::string_view::npos) found.routes = true;
        }
        seam.assign(piece.substr(piece.size() > 3 ? piece.size() - 3 : 0));
    }
    return found;
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
    const Layout layout = scanLayout(source);
    Lanes lanes;
    auto start = [&](std::size_t i, GpxKind kind) {
        lanes.lanes[i] = std::make_unique<Lane>(kind, decalageHeures);
        lanes.lanes[i]->start(source);
    };
    start(0, layout.waypointsFirst ? GpxKind::WaypointsAndTracks : GpxKind::Waypoints);
    if (!layout.waypointsFirst && layout.tracks) start(1, GpxKind::Tracks);
    if (layout.routes) start(2, GpxKind::Routes);

    Lane& first = *lanes.lanes[0];
    if (const Flow flow = drain(first, sink, nullptr); flow != Flow::Continue) return flow;
    first.thread.join();
    // The tracks then the routes, each from its own pass with its headers from the first.
    for (std::size_t i : {1, 2}) {
        if (i == 1 && layout.waypointsFirst) continue;
        const auto& headers = i == 1 ? first.pass.tracks() : first.pass.routes();
        if (lanes.lanes[i]) {
            if (const Flow flow = drain(*lanes.lanes[i], sink, &headers); flow != Flow::Continue) return flow;
        } else if (!headers.empty()) {  // the scan saw no such element: the file changed since
            return Flow::ReadFailure;
        }
    }
    return Flow::Continue;
}

}  // namespace sotrix
