#include "Records.h"

#include <shapefil.h>

#include <algorithm>
#include <limits>

namespace shapefile::test {

std::shared_ptr<IShape> toShape(std::int32_t type, const Record& r) {
    std::shared_ptr<IShape> shape;
    switch (type) {
    case 1: {
        auto p = r.xy.empty() ? std::make_shared<CPoint>() : std::make_shared<CPoint>(r.xy[0].first, r.xy[0].second);
        shape = p;
        break;
    }
    case 3:
    case 5: {
        std::shared_ptr<IShape> s;
        const auto fill = [&](auto shapePtr) {
            for (std::size_t i = 0; i < r.starts.size(); ++i) {
                auto part = std::make_shared<CPart>();
                const std::size_t end = i + 1 < r.starts.size() ? std::size_t(r.starts[i + 1]) : r.xy.size();
                for (std::size_t k = std::size_t(r.starts[i]); k < end; ++k)
                    part->add(std::make_shared<CPoint>(r.xy[k].first, r.xy[k].second));
                shapePtr->add(part);
            }
            return shapePtr;
        };
        shape = type == 3 ? std::shared_ptr<IShape>(fill(std::make_shared<CPolyLine>()))
                          : std::shared_ptr<IShape>(fill(std::make_shared<CPolygon>()));
        break;
    }
    case 8: {
        auto m = std::make_shared<CMultiPoint>();
        for (const auto& [x, y] : r.xy) m->add(std::make_shared<CPoint>(x, y));
        shape = m;
        break;
    }
    default: return nullptr;
    }
    shape->makeNull(r.null);
    return shape;
}

Record fromShape(const IShape& s) {
    Record r;
    r.null = s.isNull();
    if (r.null) return r;
    const auto takeParts = [&](const auto& shape) {
        for (const auto& part : shape) {
            r.starts.push_back(std::int32_t(r.xy.size()));
            for (const auto& p : *part) r.xy.emplace_back(p->x(), p->y());
        }
    };
    switch (s.shapeClass()) {
    case ShapeClass::Point: {
        const auto& p = static_cast<const CPoint&>(s);
        r.xy.emplace_back(p.x(), p.y());
        break;
    }
    case ShapeClass::PolyLine: takeParts(static_cast<const CPolyLine&>(s)); break;
    case ShapeClass::Polygon: takeParts(static_cast<const CPolygon&>(s)); break;
    case ShapeClass::MultiPoint:
        for (const auto& p : static_cast<const CMultiPoint&>(s)) r.xy.emplace_back(p->x(), p->y());
        break;
    case ShapeClass::Rect: break;
    }
    return r;
}

void writeOurs(const std::string& shpPath, std::int32_t type, const std::vector<Record>& records) {
    CShapeFile f;
    f.setFileSpec(fileName(shpPath), CShapeFile::Status::CreateIt, type);
    for (const auto& r : records) f.add(*toShape(type, r));
    f.close();
}

PairContents readOurs(const std::string& shpPath) {
    CShapeFile f;
    f.setFileSpec(fileName(shpPath), CShapeFile::Status::Open);
    PairContents c{f.fileType(), f.count(), f.left(), f.bottom(), f.right(), f.top(), {}};
    for (std::int32_t i = 1; i <= f.count(); ++i) {
        const auto shape = f.item(i);
        if (!shape) throw std::runtime_error("record " + std::to_string(i) + " read as nothing");
        c.records.push_back(fromShape(*shape));
    }
    return c;
}

namespace {

struct ShpCloser {
    void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct ObjectDestroyer {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};
using ShpHandle = std::unique_ptr<SHPInfo, ShpCloser>;
using ShpObject = std::unique_ptr<SHPObject, ObjectDestroyer>;

}  // namespace

void writeShapelib(const std::string& shpPath, std::int32_t type, const std::vector<Record>& records) {
    ShpHandle h(SHPCreate(shpPath.c_str(), type));
    if (!h) throw std::runtime_error("SHPCreate failed");
    for (const auto& r : records) {
        std::vector<double> xs, ys;
        for (const auto& [x, y] : r.xy) {
            xs.push_back(x);
            ys.push_back(y);
        }
        ShpObject o(r.null ? SHPCreateSimpleObject(SHPT_NULL, 0, nullptr, nullptr, nullptr)
                           : SHPCreateObject(type, -1, int(r.starts.size()), r.starts.empty() ? nullptr : r.starts.data(),
                                             nullptr, int(xs.size()), xs.data(), ys.data(), nullptr, nullptr));
        if (SHPWriteObject(h.get(), -1, o.get()) < 0) throw std::runtime_error("SHPWriteObject failed");
    }
}

PairContents readShapelib(const std::string& shpPath) {
    ShpHandle h(SHPOpen(shpPath.c_str(), "rb"));
    if (!h) throw std::runtime_error("SHPOpen failed on " + shpPath);
    int n = 0, type = 0;
    double minB[4], maxB[4];
    SHPGetInfo(h.get(), &n, &type, minB, maxB);
    PairContents c{type, n, minB[0], minB[1], maxB[0], maxB[1], {}};
    for (int i = 0; i < n; ++i) {
        ShpObject o(SHPReadObject(h.get(), i));
        if (!o) throw std::runtime_error("SHPReadObject failed on record " + std::to_string(i));
        Record r;
        r.null = o->nSHPType == SHPT_NULL;
        if (!r.null) {
            if (type == 3 || type == 5)
                for (int k = 0; k < o->nParts; ++k) r.starts.push_back(o->panPartStart[k]);
            for (int k = 0; k < o->nVertices; ++k) r.xy.emplace_back(o->padfX[k], o->padfY[k]);
        }
        c.records.push_back(std::move(r));
    }
    return c;
}

std::vector<Record> randomRecords(std::int32_t type, int n, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> coord(-1e6, 1e6);
    std::uniform_int_distribution<int> parts(1, 4), points(1, 20), tenth(0, 9);
    std::vector<Record> out;
    for (int i = 0; i < n; ++i) {
        Record r;
        if (tenth(rng) == 0) {
            r.null = true;
        } else if (type == 1) {
            r.xy.emplace_back(coord(rng), coord(rng));
        } else if (type == 8) {
            for (int k = points(rng); k > 0; --k) r.xy.emplace_back(coord(rng), coord(rng));
        } else {
            for (int p = parts(rng); p > 0; --p) {
                r.starts.push_back(std::int32_t(r.xy.size()));
                for (int k = points(rng); k > 0; --k) r.xy.emplace_back(coord(rng), coord(rng));
            }
        }
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<double> vertexBox(const std::vector<Record>& records) {
    double xmin = std::numeric_limits<double>::max(), ymin = xmin, xmax = -xmin, ymax = -xmin;
    bool any = false;
    for (const auto& r : records) {
        if (r.null) continue;
        for (const auto& [x, y] : r.xy) {
            xmin = std::min(xmin, x);
            xmax = std::max(xmax, x);
            ymin = std::min(ymin, y);
            ymax = std::max(ymax, y);
            any = true;
        }
    }
    return any ? std::vector<double>{xmin, ymin, xmax, ymax} : std::vector<double>{0, 0, 0, 0};
}

}  // namespace shapefile::test
