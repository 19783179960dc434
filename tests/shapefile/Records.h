#pragma once
// Shapes as plain records, written and read both by our library and by shapelib, so
// that the two can be compared record by record and byte by byte.

#include "ShapeTestSupport.h"

#include <random>

namespace shapefile::test {

struct Record {
    bool null = false;
    std::vector<std::int32_t> starts;  // part starts (PolyLine, Polygon)
    std::vector<std::pair<double, double>> xy;
    bool operator==(const Record&) const = default;
};

struct PairContents {
    std::int32_t type = 0;
    std::int32_t count = 0;
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    std::vector<Record> records;
};

std::shared_ptr<IShape> toShape(std::int32_t type, const Record& r);
Record fromShape(const IShape& s);

void writeOurs(const std::string& shpPath, std::int32_t type, const std::vector<Record>& records);
PairContents readOurs(const std::string& shpPath);
void writeShapelib(const std::string& shpPath, std::int32_t type, const std::vector<Record>& records);
PairContents readShapelib(const std::string& shpPath);

// Random records of a type: about one in ten null, 1 to 4 parts of 1 to 20 points.
std::vector<Record> randomRecords(std::int32_t type, int n, std::mt19937_64& rng);

// Xmin, Ymin, Xmax, Ymax of the vertices of the non-null records (all 0 without any).
std::vector<double> vertexBox(const std::vector<Record>& records);

}  // namespace shapefile::test
