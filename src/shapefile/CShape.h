#pragma once
// CShape holds one rectangle and shows its sides, read-only. CNullShape has no members.
// Neither implements IShape; nothing in the program creates them.

#include "CRect.h"

namespace shapefile {

class CShape {
public:
    double top() const { return rect_.top(); }
    double bottom() const { return rect_.bottom(); }
    double left() const { return rect_.left(); }
    double right() const { return rect_.right(); }

private:
    CRect rect_;
};

class CNullShape {};

}  // namespace shapefile
