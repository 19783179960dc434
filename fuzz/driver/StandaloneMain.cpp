// Runs a fuzz target without libFuzzer: every file of the given folders (or files) is
// fed as it is, then mutated copies of them (bit flips, byte changes, cuts, splices,
// repeated blocks) are fed for --runs=N rounds with a fixed seed, so that a CI run is
// repeatable. A crash or sanitizer report ends the process with an error.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

void run(const Bytes& b) { LLVMFuzzerTestOneInput(b.empty() ? nullptr : b.data(), b.size()); }

Bytes readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes mutate(const std::vector<Bytes>& seeds, std::mt19937_64& rng) {
    Bytes b = seeds[rng() % seeds.size()];
    const int steps = 1 + int(rng() % 8);
    for (int s = 0; s < steps; ++s) {
        const size_t n = b.size();
        switch (rng() % 7) {
        case 0:
            if (n) b[rng() % n] ^= uint8_t(1u << (rng() % 8));
            break;
        case 1:
            if (n) b[rng() % n] = uint8_t(rng());
            break;
        case 2:
            if (n) b.resize(rng() % n);
            break;
        case 3: {
            static const uint8_t interesting[] = {0, 1, 0x7f, 0x80, 0xff, '<', '>', '"', '&', ';', '\n'};
            if (n) b[rng() % n] = interesting[rng() % sizeof interesting];
            break;
        }
        case 4: {  // a 32-bit value overwritten with an extreme
            static const uint32_t extremes[] = {0, 1, 0x7fffffff, 0x80000000, 0xffffffff, 0x10000};
            if (n >= 4) {
                const uint32_t v = extremes[rng() % 6];
                std::memcpy(&b[rng() % (n - 3)], &v, 4);
            }
            break;
        }
        case 5: {  // splice a piece of another seed
            const Bytes& o = seeds[rng() % seeds.size()];
            if (!o.empty()) {
                const size_t from = rng() % o.size();
                const size_t len = 1 + rng() % (o.size() - from);
                const size_t at = n ? rng() % n : 0;
                b.insert(b.begin() + long(at), o.begin() + long(from), o.begin() + long(from + len));
            }
            break;
        }
        case 6:  // duplicate a block
            if (n > 1 && n < (1u << 20)) {
                const size_t from = rng() % n;
                const size_t len = 1 + rng() % std::min<size_t>(n - from, 256);
                Bytes piece(b.begin() + long(from), b.begin() + long(from + len));
                b.insert(b.begin() + long(from), piece.begin(), piece.end());
            }
            break;
        }
    }
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    long runs = 1000;
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0) {
            runs = std::strtol(arg.c_str() + 7, nullptr, 10);
            continue;
        }
        const std::filesystem::path p(arg);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) seeds.push_back(readFile(e.path()));
        } else if (std::filesystem::is_regular_file(p)) {
            seeds.push_back(readFile(p));
        }
    }
    if (seeds.empty()) seeds.push_back({});
    for (const Bytes& s : seeds) run(s);
    std::mt19937_64 rng(12345);
    for (long i = 0; i < runs; ++i) run(mutate(seeds, rng));
    std::printf("fuzz: %zu seeds, %ld mutated inputs, no failure\n", seeds.size(), runs);
    return 0;
}
