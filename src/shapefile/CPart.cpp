#include "CPart.h"

#include "PointBlock.h"

namespace shapefile {

namespace {
constexpr MemberSources kPartSources{"CPart::Item", "CPart::Remove"};
}

CPart::CPart() : Members<CPoint>(kPartSources) {}

// Else-if on each axis, as the extent has always been grown: a point can move Left or
// Right, not both, which matters only when a side was written by hand.
void CPart::grow(const CPoint& p) noexcept {
    if (p.x() < extent_.left())
        extent_.setLeft(p.x());
    else if (p.x() > extent_.right())
        extent_.setRight(p.x());
    if (p.y() < extent_.bottom())
        extent_.setBottom(p.y());
    else if (p.y() > extent_.top())
        extent_.setTop(p.y());
}

void CPart::add(std::shared_ptr<CPoint> aPoint) {
    if (!aPoint)
        throw ShapeError::library(LibraryError::WrongMemberClass, "CPart::Add",
                                  "CPart can only accept objects of type CPoint");
    if (count() == 0)
        extent_.make(*aPoint, *aPoint);
    else
        grow(*aPoint);
    append(std::move(aPoint));
}

void CPart::addPoints(std::span<const double> x, std::span<const double> y) {
    if (x.size() != y.size()) throw ShapeError::platform(PlatformError::InvalidCall, "CPart::AddPoints");
    if (x.empty()) return;
    detail::PointBlock block(x.size());
    reserve(members().size() + x.size());
    if (count() == 0) extent_.make(CPoint(x[0], y[0]), CPoint(x[0], y[0]));
    for (std::size_t i = 0; i < x.size(); ++i) {
        auto p = block.add(x[i], y[i]);
        grow(*p);
        append(std::move(p));
    }
}

void CPart::remove(std::int32_t index) {
    removeAt(index);
    bool first = true;
    for (const auto& p : members()) {
        if (first) {
            extent_.make(*p, *p);
            first = false;
        } else {
            grow(*p);
        }
    }
}

}  // namespace shapefile
