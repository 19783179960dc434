#include "ShapeTestSupport.h"

#include "ByteOrder.h"

#include <QProcess>
#include <QStringList>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace shapefile::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "shptestXXXXXX").lexically_normal().string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

Bytes readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Bytes b(s.size());
    std::memcpy(b.data(), s.data(), s.size());
    return b;
}

void writeBytes(const std::filesystem::path& p, const Bytes& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

CFileName fileName(const std::string& spec) {
    CFileName f;
    f.setFileSpec(spec);
    return f;
}

std::shared_ptr<CPoint> point(double x, double y) { return std::make_shared<CPoint>(x, y); }

std::shared_ptr<CPart> part(std::initializer_list<std::pair<double, double>> xy) {
    auto p = std::make_shared<CPart>();
    for (const auto& [x, y] : xy) p->add(point(x, y));
    return p;
}

std::shared_ptr<CMultiPoint> multiPoint(std::initializer_list<std::pair<double, double>> xy) {
    auto m = std::make_shared<CMultiPoint>();
    for (const auto& [x, y] : xy) m->add(point(x, y));
    return m;
}

void putBE32(Bytes& b, std::int32_t v) {
    b.resize(b.size() + 4);
    detail::storeBE32(b.data() + b.size() - 4, v);
}
void putLE32(Bytes& b, std::int32_t v) {
    b.resize(b.size() + 4);
    detail::storeLE32(b.data() + b.size() - 4, v);
}
void putLEDouble(Bytes& b, double v) {
    b.resize(b.size() + 8);
    detail::storeLEDouble(b.data() + b.size() - 8, v);
}
void setBE32(Bytes& b, std::size_t at, std::int32_t v) { detail::storeBE32(b.data() + at, v); }
void setLE32(Bytes& b, std::size_t at, std::int32_t v) { detail::storeLE32(b.data() + at, v); }

Bytes header(std::int32_t lengthWords, std::int32_t shapeType, double xmin, double ymin, double xmax, double ymax) {
    Bytes b;
    putBE32(b, 9994);
    for (int i = 0; i < 5; ++i) putBE32(b, 0);
    putBE32(b, lengthWords);
    putLE32(b, 1000);
    putLE32(b, shapeType);
    for (double v : {xmin, ymin, xmax, ymax, 0.0, 0.0, 0.0, 0.0}) putLEDouble(b, v);
    return b;
}

Pair makePair(std::int32_t fileType, const std::vector<Bytes>& contents, std::vector<double> box) {
    Bytes records;
    Bytes entries;
    std::int32_t number = 0;
    for (const Bytes& c : contents) {
        putBE32(entries, std::int32_t((100 + records.size()) / 2));
        putBE32(entries, std::int32_t(c.size() / 2));
        putBE32(records, ++number);
        putBE32(records, std::int32_t(c.size() / 2));
        records.insert(records.end(), c.begin(), c.end());
    }
    Pair p;
    p.shp = header(std::int32_t((100 + records.size()) / 2), fileType, box[0], box[1], box[2], box[3]);
    p.shp.insert(p.shp.end(), records.begin(), records.end());
    p.shx = header(std::int32_t((100 + entries.size()) / 2), fileType);
    p.shx.insert(p.shx.end(), entries.begin(), entries.end());
    return p;
}

Bytes pointContents(double x, double y) {
    Bytes b;
    putLE32(b, 1);
    putLEDouble(b, x);
    putLEDouble(b, y);
    return b;
}

Bytes nullContents() {
    Bytes b;
    putLE32(b, 0);
    return b;
}

Bytes polyContents(std::int32_t type, const std::vector<std::int32_t>& starts,
                   const std::vector<std::pair<double, double>>& points) {
    Bytes b;
    putLE32(b, type);
    for (int i = 0; i < 4; ++i) putLEDouble(b, 0.0);
    putLE32(b, std::int32_t(starts.size()));
    putLE32(b, std::int32_t(points.size()));
    for (auto s : starts) putLE32(b, s);
    for (const auto& [x, y] : points) {
        putLEDouble(b, x);
        putLEDouble(b, y);
    }
    return b;
}

Bytes multiPointContents(const std::vector<std::pair<double, double>>& points) {
    Bytes b;
    putLE32(b, 8);
    for (int i = 0; i < 4; ++i) putLEDouble(b, 0.0);
    putLE32(b, std::int32_t(points.size()));
    for (const auto& [x, y] : points) {
        putLEDouble(b, x);
        putLEDouble(b, y);
    }
    return b;
}

Run runProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args) list << QString::fromStdString(a);
    QProcess p;
    p.start(QString::fromStdString(program), list);
    Run r;
    if (!p.waitForStarted(30000) || !p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

int codeOf(const ShapeError& e) { return e.libraryCode() ? e.libraryCode() : e.number(); }

}  // namespace shapefile::test
