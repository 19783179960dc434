#pragma once
// One absolute file path (a "file spec"), checked when it is set, whose base name and extension
// can be read and replaced separately. Two forms are accepted: the Windows form of the
// original program (drive letter, ":", a "\" path, a file name with an extension) and the
// POSIX absolute form ("/" path, a file name with an extension). The first character
// picks the form; every getter and setter works with the text's own separator.

#include <string>
#include <string_view>

namespace shapefile {

// The Windows rules: "C:\data\tracks.shp", also "C:a\b.c".
bool isValidWindowsFileSpec(std::string_view text);
// The POSIX rules: "/data/tracks.shp", also "/gvfs/smb-share:server=nas/a..b.shp".
bool isValidPosixFileSpec(std::string_view text);

class CFileName {
public:
    // Stores the text when it is a valid file spec, else raises 515 and keeps the
    // previous text.
    void setFileSpec(const std::string& fileSpec);
    const std::string& getFileSpec() const noexcept { return spec_; }

    // The characters between the last separator and the last ".".
    std::string getBaseName() const;
    // Replaces the base name; refuses "" and the reserved characters (515). The result is
    // not validated again.
    void setBaseName(const std::string& aName);
    // The characters after the last ".".
    std::string getExtension() const;
    // Replaces the extension (given without the dot); refuses "" and the reserved
    // characters (515). On a text without "." the text becomes aExt.
    void setExtension(const std::string& aExt);

    // Whether the stored text has the Windows form (not usable as a path on this system).
    bool isWindowsForm() const noexcept;

private:
    char separator() const noexcept;

    std::string spec_;
};

}  // namespace shapefile
