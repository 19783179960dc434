// File specs: the Windows form and the POSIX form, base name and extension.
#include "ShapeTestSupport.h"

using namespace shapefile;
using namespace shapefile::test;

TEST(FileName, WindowsFormRules) {
    for (const char* ok : {"C:\\data\\tracks.shp", "c:\\data\\tracks.shp", "C:a\\b.c", "C:\\a.b\\c.d",
                           "C:\\data\\.shp", "C:\\."})
        EXPECT_TRUE(isValidWindowsFileSpec(ok)) << ok;
    for (const char* bad : {"", "1:\\x.y", "\\\\srv\\x.y", "data\\x.y", "C", "C:", "C:\\data", "C:\\a\\\\b.c",
                            "C:\\x\\..\\y.z", "C:\\a:b.c", "C:\\a.b\\c", "C:\\a/b.c", "C:\\a?.c", "C:\\a*.c",
                            "C:\\a|.c", "C:\\a\".c", "C:\\a<.c", "C:\\a>.c"})
        EXPECT_FALSE(isValidWindowsFileSpec(bad)) << bad;
}

TEST(FileName, PosixFormRules) {
    // Any absolute path Linux accepts, naming a file with an extension.
    for (const char* ok : {"/data/tracks.shp", "/home/u/.cache/x.shp", "/data/.shp", "/a.b/c.d",
                           "/données/traces été.shp", "/run/user/1000/gvfs/smb-share:server=nas,share=gps/x.shp",
                           "/a..b/c.shp", "/d/a..b.shp", "/a/x..shp", "/a/../b.shp", "/a:b.shp", "/a\\b.shp",
                           "/a?.shp", "/a*.shp", "/a|b.shp", "/a<b.shp", "/a>b.shp", "/a\"b.shp"})
        EXPECT_TRUE(isValidPosixFileSpec(ok)) << ok;
    for (const char* bad : {"", "data/x.shp", "./x.shp", "//srv/x.shp", "/a//b.shp", "/a/b.shp/", "/data", "/a.b/c",
                            "C:/x.shp"})
        EXPECT_FALSE(isValidPosixFileSpec(bad)) << bad;
    EXPECT_FALSE(isValidPosixFileSpec(std::string_view("/a\0b.shp", 8)));
}

TEST(FileName, SetFileSpecPicksTheFormAndKeepsTextOnRefusal) {
    CFileName f;
    EXPECT_EQ(f.getFileSpec(), "");
    EXPECT_EQ(f.getBaseName(), "");
    EXPECT_EQ(f.getExtension(), "");
    f.setFileSpec("C:\\a.b\\c.d");
    EXPECT_EQ(f.getBaseName(), "c");
    EXPECT_EQ(f.getExtension(), "d");
    for (const char* bad : {"", "x", "1:\\x.y", "C:/x.shp", "/a//b.shp", "data/x.shp"}) {
        EXPECT_SHAPE_ERROR(f.setFileSpec(bad), LibraryError::InvalidFileSpec, "C_FileName::SetFileSpec");
        EXPECT_EQ(f.getFileSpec(), "C:\\a.b\\c.d");
    }
    EXPECT_SHAPE_ERROR(f.setFileSpec(""), LibraryError::InvalidFileSpec, "C_FileName::SetFileSpec",
                       "The FileSpec is invalid");
    EXPECT_EQ(errorOf([&] { f.setFileSpec(""); }).number(), -2147220989);
    f.setFileSpec("/données/traces été.shp");
    EXPECT_EQ(f.getFileSpec(), "/données/traces été.shp");
    EXPECT_EQ(f.getBaseName(), "traces été");
    f.setFileSpec("C:\\data\\.shp");
    EXPECT_EQ(f.getBaseName(), "");
    EXPECT_EQ(f.getExtension(), "shp");
}

TEST(FileName, BaseNameAndExtensionUseTheTextsOwnSeparator) {
    CFileName w = fileName("C:\\data\\tracks.shp");
    EXPECT_EQ(w.getBaseName(), "tracks");
    w.setExtension("shx");
    EXPECT_EQ(w.getFileSpec(), "C:\\data\\tracks.shx");
    w.setBaseName("routes");
    EXPECT_EQ(w.getFileSpec(), "C:\\data\\routes.shx");
    w.setBaseName("a.b");
    EXPECT_EQ(w.getFileSpec(), "C:\\data\\a.b.shx");
    w.setBaseName("..x");  // not validated again
    EXPECT_EQ(w.getFileSpec(), "C:\\data\\..x.shx");

    CFileName p = fileName("/home/u/.cache/x.shp");
    EXPECT_EQ(p.getBaseName(), "x");
    p.setBaseName("routes");
    p.setExtension("dbf");
    EXPECT_EQ(p.getFileSpec(), "/home/u/.cache/routes.dbf");
    EXPECT_EQ(p.getExtension(), "dbf");

    CFileName fresh;
    fresh.setExtension("shp");
    EXPECT_EQ(fresh.getFileSpec(), "shp");
    EXPECT_EQ(fresh.getBaseName(), "");
    EXPECT_SHAPE_ERROR(fresh.setBaseName("x"), PlatformError::InvalidCall, "C_FileName::SetBaseName");
    EXPECT_EQ(fresh.getFileSpec(), "shp");
}

TEST(FileName, SettersRefuseEmptyAndReservedCharacters) {
    CFileName f = fileName("/data/tracks.shp");
    for (const char* bad : {"", "a?", "a\"", "a*", "a|", "a/b", "a>", "a<", "a:", "a\\b"}) {
        EXPECT_SHAPE_ERROR(f.setBaseName(bad), LibraryError::InvalidFileSpec, "C_FileName::SetBaseName");
        EXPECT_SHAPE_ERROR(f.setExtension(bad), LibraryError::InvalidFileSpec, "C_FileName::SetExtension");
    }
    EXPECT_SHAPE_ERROR(f.setExtension(std::string("a\0b", 3)), LibraryError::InvalidFileSpec,
                       "C_FileName::SetExtension");
    EXPECT_EQ(f.getFileSpec(), "/data/tracks.shp");
    f.setExtension("tar.gz");
    EXPECT_EQ(f.getFileSpec(), "/data/tracks.tar.gz");
}
