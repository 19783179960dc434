#include "ProjApi.h"

#include <proj.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace sotrix {
namespace {

// PROJ.4's numbers for the failures PROJ 9 can report.
constexpr int kErrUnknownProjection = -5;
constexpr int kErrInvalidCoordinate = -14;
constexpr int kErrTolerance = -20;
constexpr int kErrGridFile = -38;
constexpr int kErrUnparseable = -44;

struct PjDeleter {
    void operator()(PJ* p) const noexcept { proj_destroy(p); }
};
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

struct ContextDeleter {
    void operator()(PJ_CONTEXT* c) const noexcept { proj_context_destroy(c); }
};

struct System {
    PjPtr crs;
    bool latLong = false;
};

// A copy of a transformation for a worker thread: PROJ objects are used by one thread at
// a time, each with its own context.
struct Copy {
    std::unique_ptr<PJ_CONTEXT, ContextDeleter> ctx;
    PjPtr op;
};

struct Operation {
    PjPtr op;
    // The context reported a missing grid file while the operation was made: any
    // failure of this operation is then that file's fault.
    bool gridMissing = false;
    // Made on the first large lot; none when a copy could not be made.
    std::vector<Copy> copies;
    bool copiesTried = false;
};

// Points per worker below which a lot is not shared.
constexpr std::size_t kPointsPerWorker = 512;
constexpr unsigned kMostWorkers = 4;

// One point through an operation; false when PROJ fails or gives no finite pair.
bool transformPoint(PJ* op, bool fromLatLong, bool toLatLong, double& x, double& y, double& z) {
    PJ_COORD in = proj_coord(x, y, z, HUGE_VAL);
    if (fromLatLong) {
        in.xyzt.x = proj_todeg(x);
        in.xyzt.y = proj_todeg(y);
    }
    proj_errno_reset(op);
    const PJ_COORD out = proj_trans(op, PJ_FWD, in);
    if (proj_errno(op) != 0 || !std::isfinite(out.xyzt.x) || !std::isfinite(out.xyzt.y)) return false;
    x = toLatLong ? proj_torad(out.xyzt.x) : out.xyzt.x;
    y = toLatLong ? proj_torad(out.xyzt.y) : out.xyzt.y;
    z = out.xyzt.z;
    return true;
}

// The state of the layer: one context, the systems by handle, the transformations by
// pair of handles, the last error and the last message PROJ logged.
class Layer {
public:
    Layer() : ctx_(proj_context_create()) {
        if (!ctx_) return;
        proj_log_level(ctx_.get(), PJ_LOG_ERROR);
        proj_log_func(ctx_.get(), this, &Layer::log);
        proj_context_set_enable_network(ctx_.get(), 0);
    }
    ~Layer() {
        operations_.clear();
        systems_.clear();
    }
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    int initPlus(const QString& definition);
    int transform(int src, int dst, double& x, double& y, double& z);
    void transformLot(int src, int dst, double* x, double* y, double z, int* codes, std::size_t n);
    bool isLatLong(int handle) const;
    void free(int handle);
    int live() const { return static_cast<int>(systems_.size()); }

    int lastError = 0;

private:
    static void log(void* self, int, const char* message) {
        static_cast<Layer*>(self)->lastLog_ = message ? message : "";
    }
    // PROJ 9's error code (with the message logged with it) to PROJ.4's number.
    int toProj4(int code) const;
    int fail(int number) {
        lastError = number != 0 ? number : kErrUnparseable;
        return lastError;
    }
    bool geographic(PJ* crs) const;
    Operation* operation(int src, int dst, const System& from, const System& to);
    void makeCopies(Operation& op, unsigned count);

    std::unique_ptr<PJ_CONTEXT, ContextDeleter> ctx_;
    std::string lastLog_;
    int nextHandle_ = 1;
    std::map<int, System> systems_;
    std::map<std::pair<int, int>, Operation> operations_;
    // The pair used last, so that a run of points skips the look-up.
    std::pair<int, int> lastPair_{0, 0};
    Operation* lastOperation_ = nullptr;
};

Layer& layer() {
    static Layer instance;
    return instance;
}

int Layer::toProj4(int code) const {
    switch (code) {
    case PROJ_ERR_INVALID_OP_ILLEGAL_ARG_VALUE:
        return lastLog_.find("Unknown projection") != std::string::npos ? kErrUnknownProjection : kErrUnparseable;
    case PROJ_ERR_INVALID_OP_WRONG_SYNTAX:
    case PROJ_ERR_INVALID_OP_MISSING_ARG:
        return kErrUnparseable;
    case PROJ_ERR_INVALID_OP_FILE_NOT_FOUND_OR_INVALID:
    case PROJ_ERR_COORD_TRANSFM_OUTSIDE_GRID:
        return kErrGridFile;
    case PROJ_ERR_COORD_TRANSFM_INVALID_COORD:
        return kErrInvalidCoordinate;
    case PROJ_ERR_COORD_TRANSFM_OUTSIDE_PROJECTION_DOMAIN:
        return kErrTolerance;
    default:
        return kErrUnparseable;
    }
}

bool Layer::geographic(PJ* crs) const {
    auto isGeographic = [](PJ_TYPE t) { return t == PJ_TYPE_GEOGRAPHIC_2D_CRS || t == PJ_TYPE_GEOGRAPHIC_3D_CRS; };
    const PJ_TYPE type = proj_get_type(crs);
    if (isGeographic(type)) return true;
    // A string with +towgs84 (or some +nadgrids) gives a bound system: its nature is that
    // of the system it wraps. Only there: the source of a projected system is its base.
    if (type != PJ_TYPE_BOUND_CRS) return false;
    PjPtr source(proj_get_source_crs(ctx_.get(), crs));
    return source && isGeographic(proj_get_type(source.get()));
}

int Layer::initPlus(const QString& definition) {
    lastError = 0;
    if (!ctx_ || nextHandle_ == INT_MAX) {
        fail(kErrUnparseable);
        return 0;
    }
    QByteArray text = definition.toUtf8();
    if (!text.contains("+type=crs")) text += " +type=crs";
    lastLog_.clear();
    PjPtr crs(proj_create(ctx_.get(), text.constData()));
    if (!crs) {
        // Read at once: a later successful call clears the context's error.
        fail(toProj4(proj_context_errno(ctx_.get())));
        return 0;
    }
    if (!proj_is_crs(crs.get())) {
        fail(kErrUnparseable);
        return 0;
    }
    const bool latLong = geographic(crs.get());
    const int handle = nextHandle_++;
    systems_.emplace(handle, System{std::move(crs), latLong});
    return handle;
}

Operation* Layer::operation(int src, int dst, const System& from, const System& to) {
    const std::pair<int, int> key{src, dst};
    if (lastOperation_ && lastPair_ == key) return lastOperation_;
    auto it = operations_.find(key);
    if (it == operations_.end()) {
        // Resetting an object's error also clears the context's.
        proj_errno_reset(from.crs.get());
        lastLog_.clear();
        PjPtr raw(proj_create_crs_to_crs_from_pj(ctx_.get(), from.crs.get(), to.crs.get(), nullptr, nullptr));
        const bool gridMissing = proj_context_errno(ctx_.get()) == PROJ_ERR_INVALID_OP_FILE_NOT_FOUND_OR_INVALID;
        if (!raw) {
            fail(gridMissing ? kErrGridFile : toProj4(proj_context_errno(ctx_.get())));
            return nullptr;
        }
        PjPtr op(proj_normalize_for_visualization(ctx_.get(), raw.get()));
        if (!op) {
            fail(gridMissing ? kErrGridFile : toProj4(proj_context_errno(ctx_.get())));
            return nullptr;
        }
        it = operations_.emplace(key, Operation{std::move(op), gridMissing, {}, false}).first;
    }
    lastPair_ = key;
    lastOperation_ = &it->second;
    return lastOperation_;
}

int Layer::transform(int src, int dst, double& x, double& y, double& z) {
    lastError = 0;
    const auto from = systems_.find(src);
    const auto to = systems_.find(dst);
    if (from == systems_.end() || to == systems_.end()) return fail(kErrUnparseable);
    Operation* op = operation(src, dst, from->second, to->second);
    if (!op) return lastError;

    lastLog_.clear();
    if (!transformPoint(op->op.get(), from->second.latLong, to->second.latLong, x, y, z))
        return fail(op->gridMissing ? kErrGridFile : toProj4(proj_errno(op->op.get())));
    return 0;
}

// Copies of the operation in contexts of their own.
void Layer::makeCopies(Operation& op, unsigned count) {
    op.copiesTried = true;
    for (unsigned i = 0; i < count; ++i) {
        Copy copy;
        copy.ctx.reset(proj_context_create());
        if (!copy.ctx) break;
        proj_log_level(copy.ctx.get(), PJ_LOG_NONE);
        proj_context_set_enable_network(copy.ctx.get(), 0);
        copy.op.reset(proj_clone(copy.ctx.get(), op.op.get()));
        if (!copy.op) break;
        op.copies.push_back(std::move(copy));
    }
}

// Every point goes through a copy of the operation on some thread; a point that fails
// there is done again here, one by one, so that its number and the layer's state are
// exactly those of pjTransform.
void Layer::transformLot(int src, int dst, double* x, double* y, double z, int* codes, std::size_t n) {
    if (n == 0) return;
    lastError = 0;
    const auto from = systems_.find(src);
    const auto to = systems_.find(dst);
    Operation* op = from == systems_.end() || to == systems_.end() ? nullptr
                                                                    : operation(src, dst, from->second, to->second);
    const unsigned wanted =
        unsigned(std::min<std::size_t>({n / kPointsPerWorker, kMostWorkers, std::thread::hardware_concurrency()}));
    if (op && wanted > 1 && !op->copiesTried) makeCopies(*op, kMostWorkers);
    const unsigned workers = op ? unsigned(std::min<std::size_t>(wanted, op->copies.size())) : 0;
    if (workers < 2) {
        for (std::size_t i = 0; i < n; ++i) {
            double zi = z;
            codes[i] = transform(src, dst, x[i], y[i], zi);
        }
        return;
    }
    const bool fromLatLong = from->second.latLong;
    const bool toLatLong = to->second.latLong;
    auto part = [&](unsigned w) {
        PJ* copy = op->copies[w].op.get();
        for (std::size_t i = n * w / workers; i < n * (w + 1) / workers; ++i) {
            double zi = z;
            codes[i] = transformPoint(copy, fromLatLong, toLatLong, x[i], y[i], zi) ? 0 : 1;
        }
    };
    {
        std::vector<std::jthread> threads;
        threads.reserve(workers - 1);
        unsigned started = 1;
        try {
            for (; started < workers; ++started) threads.emplace_back(part, started);
        } catch (const std::system_error&) {
            // The parts of the threads that could not start are done here.
        }
        for (unsigned w = started; w < workers; ++w) part(w);
        part(0);
    }
    for (std::size_t i = 0; i < n; ++i) {
        double zi = z;
        if (codes[i] != 0) codes[i] = transform(src, dst, x[i], y[i], zi);
    }
    lastError = codes[n - 1];
}

bool Layer::isLatLong(int handle) const {
    const auto it = systems_.find(handle);
    return it != systems_.end() && it->second.latLong;
}

void Layer::free(int handle) {
    if (systems_.erase(handle) == 0) return;
    for (auto it = operations_.begin(); it != operations_.end();) {
        if (it->first.first == handle || it->first.second == handle)
            it = operations_.erase(it);
        else
            ++it;
    }
    lastOperation_ = nullptr;
    lastPair_ = {0, 0};
}

}  // namespace

int pjInitPlus(const QString& definition) {
    try {
        return layer().initPlus(definition);
    } catch (...) {
        layer().lastError = kErrUnparseable;
        return 0;
    }
}

int pjTransform(int src, int dst, double& x, double& y, double& z) {
    try {
        return layer().transform(src, dst, x, y, z);
    } catch (...) {
        return layer().lastError = kErrUnparseable;
    }
}

void pjTransformLot(int src, int dst, double* x, double* y, double z, int* codes, std::size_t n) {
    try {
        layer().transformLot(src, dst, x, y, z, codes, n);
    } catch (...) {
        // Out of memory partway: no point is known to be converted.
        layer().lastError = kErrUnparseable;
        std::fill(codes, codes + n, kErrUnparseable);
    }
}

int pjIsLatLong(int handle) { return layer().isLatLong(handle) ? 1 : 0; }

int pjErrNum() { return layer().lastError; }

void pjFree(int handle) {
    try {
        layer().free(handle);
    } catch (...) {
        // Releasing never fails in a way the caller could act on.
    }
}

int pjLiveHandles() { return layer().live(); }

}  // namespace sotrix
