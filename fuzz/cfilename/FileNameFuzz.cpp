// Input: up to three texts separated by "\n": a file spec, a base name and an
// extension. An accepted spec must keep the form of a stored spec; each setter
// either refuses with a numbered error and keeps the text, or keeps the invariant; the
// getters never throw.
#include "CFileName.h"
#include "ShapeError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace shapefile;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkInvariant(const std::string& text) {
    check(!text.empty());
    const bool posix = text[0] == '/';
    const char separator = posix ? '/' : '\\';
    if (!posix) {
        check(text.size() >= 4 && text[1] == ':');
        check((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    }
    const auto lastSep = text.rfind(separator);
    const auto lastDot = text.rfind('.');
    check(lastSep != std::string::npos && lastDot != std::string::npos && lastDot > lastSep);
}

void readAll(const CFileName& f) {
    const std::string base = f.getBaseName();
    const std::string ext = f.getExtension();
    check(base.size() <= f.getFileSpec().size() && ext.size() <= f.getFileSpec().size());
}

template <class Setter>
void trySetter(CFileName& f, Setter set) {
    const std::string before = f.getFileSpec();
    try {
        set();
    } catch (const ShapeError& e) {
        check(e.libraryCode() == 515 || e.number() == 5);
        check(f.getFileSpec() == before);
        return;
    }
    checkInvariant(f.getFileSpec());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    std::size_t from = 0;
    for (int i = 0; i < 3; ++i) {
        const auto at = i < 2 ? input.find('\n', from) : std::string_view::npos;
        parts[i] = std::string(input.substr(std::min(from, input.size()), at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) break;
        from = at + 1;
    }

    const bool windows = isValidWindowsFileSpec(parts[0]);
    const bool posix = isValidPosixFileSpec(parts[0]);
    check(!(windows && posix));

    CFileName f;
    readAll(f);
    try {
        f.setFileSpec(parts[0]);
    } catch (const ShapeError& e) {
        check(e.libraryCode() == 515 && !windows && !posix && f.getFileSpec().empty());
        // A new object still takes an extension and a base name.
        try {
            f.setExtension(parts[2]);
            f.setBaseName(parts[1]);
        } catch (const ShapeError&) {
        }
        readAll(f);
        return 0;
    }
    check(windows || posix);
    check(f.getFileSpec() == parts[0]);
    checkInvariant(f.getFileSpec());
    readAll(f);
    trySetter(f, [&] { f.setBaseName(parts[1]); });
    readAll(f);
    trySetter(f, [&] { f.setExtension(parts[2]); });
    readAll(f);
    return 0;
}
