#pragma once
// The fair peer of the projection service: PROJ's own C API and nothing else. One
// transformation made from the two PROJ.4 definitions (in longitude-latitude order, as
// the service makes it) and proj_trans per point, degrees in and out for a geographic
// system, at the height of 1 m that the service gives every point (the datum shift of
// +towgs84 moves a point by a few micrometres per metre of height).

#include <QString>

#include <proj.h>

#include <memory>

namespace sotrix::bench {

class PlainProj {
public:
    PlainProj(const QString& from, const QString& to);
    explicit operator bool() const { return op_ != nullptr; }
    // Converts in place; false when PROJ gives no finite result (its mark of a failure).
    bool transform(double& x, double& y) const;

private:
    struct ContextDeleter {
        void operator()(PJ_CONTEXT* c) const noexcept { proj_context_destroy(c); }
    };
    struct PjDeleter {
        void operator()(PJ* p) const noexcept { proj_destroy(p); }
    };
    std::unique_ptr<PJ_CONTEXT, ContextDeleter> ctx_;
    std::unique_ptr<PJ, PjDeleter> op_;
};

}  // namespace sotrix::bench
