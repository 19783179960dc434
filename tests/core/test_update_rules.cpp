// The pure parts of the update check: versions, addresses and the version document.
#include "UpdateCheck.h"
#include "Version.h"

#include <gtest/gtest.h>

namespace sotrix {
namespace {

TEST(UpdateRules, VersionsAreReadAndComparedPartByPart) {
    struct Case {
        const char* text;
        bool valid;
        bool newer;
    };
    const Case cases[] = {
        {"2.6", true, false},      {"2.6.11", true, false},  {"2.6.11.5", true, false}, {"2.6.10", true, false},
        {"2.5.99", true, false},   {"1.99.99", true, false}, {"2.6.12", true, true},    {"2.7", true, true},
        {"3.0.0", true, true},     {" 2.7 ", true, true},    {"2.6.12.0", true, true},  {"3", false, false},
        {"a.b", false, false},     {"2..1", false, false},   {"", false, false},        {"2.6.", false, false},
        {".6.11", false, false},   {"2.x.1", false, false},  {"2.6.1a", false, false},  {"-3.0", false, false},
        {"2.6.11.5.1", false, false},
    };
    for (const Case& c : cases) {
        const auto v = litVersion(QString::fromLatin1(c.text));
        EXPECT_EQ(v.has_value(), c.valid) << c.text;
        if (v) {
            EXPECT_EQ(plusRecente(*v), c.newer) << c.text;
        }
    }
    const auto own = litVersion(texteVersion().mid(8));
    ASSERT_TRUE(own);
    EXPECT_EQ(own->major, kVersionMajor);
    EXPECT_EQ(own->minor, kVersionMinor);
    EXPECT_EQ(own->revision, kVersionRevision);
    EXPECT_FALSE(plusRecente(*own));
}

TEST(UpdateRules, DocumentAddressIsBuiltAndUnsafeOnesRefused) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1:8080/maj", "http://127.0.0.1:8080/maj/sotrix.xml"},
        {"http://127.0.0.1:8080/maj/", "http://127.0.0.1:8080/maj/sotrix.xml"},
        {"127.0.0.1:8080/maj", "http://127.0.0.1:8080/maj/sotrix.xml"},
        {"https://h.invalid", "https://h.invalid/sotrix.xml"},
        {"http://h.invalid:40000/", "http://h.invalid:40000/sotrix.xml"},
        {"ftp://h.invalid/maj/", nullptr},
        {"file:///etc/", nullptr},
        {"http:///maj/", nullptr},
        {"http://h.invalid:0/", nullptr},
        {"http://h.invalid:65536/", nullptr},
        {"http://h.invalid:abc/", nullptr},
        {"http://h invalid/", nullptr},
    };
    for (const auto& [base, expected] : cases) {
        const auto url = adresseDocument(QString::fromLatin1(base));
        if (!expected) {
            EXPECT_FALSE(url) << base;
            continue;
        }
        ASSERT_TRUE(url) << base;
        EXPECT_EQ(url->toString(), QString::fromLatin1(expected));
    }
}

TEST(UpdateRules, DocumentIsReadAfterHeadersAndRefusedWhenIncomplete) {
    const auto doc = litDocument(
        "HTTP/1.0 200 OK\r\nServer: x\r\n\r\n<?xml version=\"1.0\"?><sotrix><autre/><version>\n 2.7 </version>"
        "<url> http://a.invalid/d </url></sotrix>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->version, QStringLiteral("2.7"));
    EXPECT_EQ(doc->url, QStringLiteral("http://a.invalid/d"));
    // Whole without a final line break.
    EXPECT_TRUE(litDocument("<?xml version=\"1.0\"?><sotrix><version>1.0</version><url>u</url></sotrix>"));
    for (const char* bad : {"", "<sotrix><version>1.0</version><url>u</url></sotrix>",
                            "<?xml version=\"1.0\"?><sotrix><version>1.0</version><url>u</url>",
                            "<?xml version=\"1.0\"?><sotrix><url>u</url></sotrix>",
                            "<?xml version=\"1.0\"?><sotrix><version>1.0</version></sotrix>",
                            "<?xml version=\"1.0\"?><autre><version>1.0</version><url>u</url></autre>"})
        EXPECT_FALSE(litDocument(bad)) << bad;
}

}  // namespace
}  // namespace sotrix
