// Times our shapefile writer and reader against shapelib on the same seeded data, in one
// run, and prints the times (median of five writes, of fifteen reads) and the ratios ours
// / shapelib:
//   points     1,000,000 point records (X 20,000-300,000, Y 20,000-250,000)
//   polyline   one record of 1,000,000 vertices
//   polylines  10,000 records of 100 vertices
// Writing is making each record's shape from the coordinate arrays, adding it, releasing
// it, and closing the pair at the end, for both: shapelib's objects are made with
// SHPCreateSimpleObject, ours as the export makes them (points as values, a part's points
// in one block with addPoints); the making of our shapes alone is also shown. Reading opens the pair, reads every record and
// sums X + Y (the sums must agree); the shapes are released as they are read, the two
// readers taking turns to go first. Every timing runs in a fresh child process.
//
// bench_shapefile [work folder] [points] [polyline] [polylines]
//   the work folder defaults to a new temporary folder, removed at the end; rows named
//   run alone, all of them when none is named.
#include "Median.h"
#include "Shapefile.h"

#include <shapefil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

using namespace shapefile;

namespace {

using sotrix::bench::median;

// The machine may be shared: the median of several rounds.
constexpr int kRounds = 5;
constexpr int kReadRounds = 15;

struct Data {
    std::int32_t type;
    std::vector<std::int32_t> recordSizes;  // vertices per record
    std::vector<double> x, y;
};

struct ShpCloser {
    void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct ObjectDestroyer {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "bench_shapefile: %s\n", why.c_str());
    std::exit(1);
}

Data makeData(std::int32_t type, int records, int verticesPerRecord, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> xs(20000.0, 300000.0), ys(20000.0, 250000.0);
    Data d{type, std::vector<std::int32_t>(std::size_t(records), verticesPerRecord), {}, {}};
    const std::size_t n = std::size_t(records) * std::size_t(verticesPerRecord);
    d.x.resize(n);
    d.y.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        d.x[i] = xs(rng);
        d.y[i] = ys(rng);
    }
    return d;
}

double timed(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What a timed run hands back: the seconds it measured, the processor time it took over
// them (what a busy machine disturbs least) and a sum of coordinates.
struct Outcome {
    double seconds = 0;
    double sum = 0;
    double cpuSeconds = 0;
};

double cpuNow() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `work` in a child process, so that every timing starts from the same fresh memory:
// what one library freed is never reused by the other, and each pays for the memory it
// touches, as a program doing one export or one import would.
Outcome inChild(const std::function<Outcome()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) fail("pipe failed");
    const pid_t child = ::fork();
    if (child < 0) fail("fork failed");
    if (child == 0) {
        ::close(fds[0]);
        Outcome out;
        try {
            out = work();
        } catch (const ShapeError& e) {
            std::fprintf(stderr, "bench_shapefile: %s: %s\n", e.source().c_str(), e.description().c_str());
            ::_exit(1);
        }
        const bool sent = ::write(fds[1], &out, sizeof out) == ssize_t(sizeof out);
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    Outcome in;
    const bool received = ::read(fds[0], &in, sizeof in) == ssize_t(sizeof in);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("a timed run failed");
    return in;
}

// Makes each record's shape as the export engine does, one at a time, and hands it to
// `use`: points as values, polylines of one part whose points are made in one block.
template <class Use>
void forEachShape(const Data& d, Use&& use) {
    std::size_t k = 0;
    for (const std::int32_t n : d.recordSizes) {
        if (d.type == 1) {
            use(CPoint(d.x[k], d.y[k]));
            ++k;
            continue;
        }
        auto part = std::make_shared<CPart>();
        part->addPoints(std::span(d.x).subspan(k, std::size_t(n)), std::span(d.y).subspan(k, std::size_t(n)));
        k += std::size_t(n);
        CPolyLine line;
        line.add(std::move(part));
        use(line);
    }
}

double makeOurs(const Data& d) {
    double sum = 0;
    forEachShape(d, [&](const IShape& shape) { sum += shape.left(); });
    return sum;
}

void writeOurs(const std::string& path, const Data& d) {
    CFileName name;
    name.setFileSpec(path);
    CShapeFile file;
    file.setFileSpec(name, CShapeFile::Status::CreateIt, d.type);
    forEachShape(d, [&](const IShape& shape) { file.add(shape); });
    file.close();
}

double readOurs(const std::string& path) {
    CFileName name;
    name.setFileSpec(path);
    CShapeFile file;
    file.setFileSpec(name, CShapeFile::Status::Open);
    double sum = 0;
    for (std::int32_t i = 1; i <= file.count(); ++i) {
        if (file.fileType() == 1) {
            const auto p = file.readPoint(i);
            sum += p->x() + p->y();
            continue;
        }
        const auto line = file.readPolyLine(i);
        for (const auto& part : *line)
            for (const auto& p : *part) sum += p->x() + p->y();
    }
    file.close();
    return sum;
}

void writeShapelib(const std::string& path, const Data& d) {
    std::unique_ptr<SHPInfo, ShpCloser> h(SHPCreate(path.c_str(), d.type));
    if (!h) fail("SHPCreate failed");
    std::size_t k = 0;
    for (const std::int32_t n : d.recordSizes) {
        std::unique_ptr<SHPObject, ObjectDestroyer> o(
            SHPCreateSimpleObject(d.type, n, d.x.data() + k, d.y.data() + k, nullptr));
        SHPWriteObject(h.get(), -1, o.get());
        k += std::size_t(n);
    }
}

double readShapelib(const std::string& path) {
    std::unique_ptr<SHPInfo, ShpCloser> h(SHPOpen(path.c_str(), "rb"));
    if (!h) fail("SHPOpen failed");
    int count = 0;
    SHPGetInfo(h.get(), &count, nullptr, nullptr, nullptr);
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<SHPObject, ObjectDestroyer> o(SHPReadObject(h.get(), i));
        for (int k = 0; k < o->nVertices; ++k) sum += o->padfX[k] + o->padfY[k];
    }
    return sum;
}

std::uintmax_t fileSize(const std::string& p) { return std::filesystem::file_size(p); }

Outcome timedRead(double (*read)(const std::string&), const std::string& path) {
    return inChild([&] {
        Outcome r;
        const double cpu = cpuNow();
        r.seconds = timed([&] { r.sum = read(path); });
        r.cpuSeconds = cpuNow() - cpu;
        return r;
    });
}

void run(const char* label, const Data& d, const std::filesystem::path& dir) {
    const std::string ours = (dir / (std::string(label) + "_ours.shp")).string();
    const std::string theirs = (dir / (std::string(label) + "_shapelib.shp")).string();
    std::vector<double> ourShapes, ourWrite, libWrite, ourRead, libRead, readRatios, ourCpu, libCpu;
    for (int round = 0; round < kRounds; ++round) {
        ourShapes.push_back(inChild([&] {
                                Outcome r;
                                r.seconds = timed([&] { r.sum = makeOurs(d); });
                                return r;
                            }).seconds);
        ourWrite.push_back(inChild([&] { return Outcome{timed([&] { writeOurs(ours, d); }), 0}; }).seconds);
        libWrite.push_back(inChild([&] { return Outcome{timed([&] { writeShapelib(theirs, d); }), 0}; }).seconds);
    }
    // Reads are short: more pairs, each pair taking turns to go first.
    for (int round = 0; round < kReadRounds; ++round) {
        Outcome o, l;
        if (round % 2 == 0) {
            o = timedRead(readOurs, ours);
            l = timedRead(readShapelib, theirs);
        } else {
            l = timedRead(readShapelib, theirs);
            o = timedRead(readOurs, ours);
        }
        if (o.sum != l.sum) fail(std::string(label) + ": the sums differ");
        ourRead.push_back(o.seconds);
        libRead.push_back(l.seconds);
        readRatios.push_back(o.seconds / l.seconds);
        ourCpu.push_back(o.cpuSeconds);
        libCpu.push_back(l.cpuSeconds);
    }
    const std::string ourShx = ours.substr(0, ours.size() - 3) + "shx";
    const std::string libShx = theirs.substr(0, theirs.size() - 3) + "shx";
    if (fileSize(ours) != fileSize(theirs) || fileSize(ourShx) != fileSize(libShx))
        fail(std::string(label) + ": the file sizes differ");
    const double m = median(ourShapes), w = median(ourWrite), lw = median(libWrite), r = median(ourRead),
                 lr = median(libRead);
    std::sort(readRatios.begin(), readRatios.end());
    std::printf("%-10s .shp %11ju bytes, .shx %10ju bytes\n", label, fileSize(ours), fileSize(ourShx));
    std::printf("  write  ours %8.3f s   shapelib %8.3f s   ratio %5.2f   (making the shapes alone: %.3f s)\n", w,
                lw, w / lw, m);
    std::printf("  read   ours %8.3f s   shapelib %8.3f s   ratio %5.2f   (pair by pair: min %.2f  median %.2f  "
                "max %.2f)\n",
                r, lr, r / lr, readRatios.front(), median(readRatios), readRatios.back());
    std::printf("         processor time: ours %8.3f s   shapelib %8.3f s   ratio %5.2f\n", median(ourCpu),
                median(libCpu), median(ourCpu) / median(libCpu));
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path dir;
    bool temporary = false;
    std::vector<std::string> rows;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "points" || arg == "polyline" || arg == "polylines")
            rows.push_back(arg);
        else
            dir = std::filesystem::absolute(arg).lexically_normal();
    }
    if (!dir.empty()) {
        std::filesystem::create_directories(dir);
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "benchshpXXXXXX").string();
        if (!::mkdtemp(pattern.data())) fail("cannot make a temporary folder");
        dir = pattern;
        temporary = true;
    }
    const auto wanted = [&](const char* label) {
        return rows.empty() || std::find(rows.begin(), rows.end(), label) != rows.end();
    };
    // The data is made whatever rows run, so that each row's data stays the same.
    std::mt19937_64 rng(42);
    const Data points = makeData(1, 1000000, 1, rng), polyline = makeData(3, 1, 1000000, rng),
               polylines = makeData(3, 10000, 100, rng);
    if (wanted("points")) run("points", points, dir);
    if (wanted("polyline")) run("polyline", polyline, dir);
    if (wanted("polylines")) run("polylines", polylines, dir);
    if (temporary) std::filesystem::remove_all(dir);
    return 0;
}
