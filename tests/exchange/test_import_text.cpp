// The pieces every delimited-text import shares: the line splitter, strict numbers and
// the text-file reader (encodings, line ends, failures).
#include "DecoupeCsv.h"
#include "LecteurTexte.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>

namespace sotrix {
namespace {

// The fields of a line, "|" between them; "∅" for no field at all.
QString joined(const QStringList& fields) {
    return fields.isEmpty() ? QStringLiteral("∅") : fields.join(QLatin1Char('|'));
}

TEST(DecoupeLigneCsv, SplitsQuotedAndPlainFieldsWithEitherDelimiter) {
    struct Case {
        const char* line;
        const char* fields;
    };
    const Case cases[] = {
        {"", "∅"},
        {"a;b;c", "a|b|c"},
        {"a;b;c;", "a|b|c|"},
        {"a;;b", "a||b"},
        {"\"x;y\";z", "x;y|z"},
        {"\"x\"\"y\"", "x\"y"},
        {"\"\"\"\"", "\""},
        {"\"\";z", "|z"},
        {"\"a\";", "a"},
        {"a;", "a|"},
        {"\"a\"b;c", "a||c"},
        {" \"a\";b", " \"a\"|b"},
        {";", "|"},
        {"\"abc", "abc"},
        {"\"ab\"\"c;d", "ab\"c;d"},
        {"\"a\"\"b\";\"c\";;", "a\"b|c||"},
        {"x\"y;\"z", "x\"y|z"},
        {"  a ; b ", "  a | b "},
    };
    QStringList fields{QStringLiteral("left over")};
    for (const QChar delimiter : {QLatin1Char(';'), QLatin1Char(',')}) {
        for (const Case& c : cases) {
            QString line = QString::fromUtf8(c.line);
            QString expected = QString::fromUtf8(c.fields);
            line.replace(QLatin1Char(';'), delimiter);
            expected.replace(QLatin1Char(';'), delimiter);
            decoupeLigneCsv(line, delimiter, fields);
            EXPECT_EQ(joined(fields), expected) << c.line << " with " << char(delimiter.unicode());
        }
    }
    // The other delimiter is an ordinary character.
    decoupeLigneCsv(u"a,b;c", QLatin1Char(';'), fields);
    EXPECT_EQ(joined(fields), QStringLiteral("a,b|c"));
}

TEST(DecoupeLigneCsv, LongLinesHaveNoFieldLimit) {
    QString line;
    for (int i = 0; i < 40000; ++i) line += QStringLiteral("\"%1;\"\"\";").arg(i);
    QStringList fields;
    decoupeLigneCsv(line, QLatin1Char(';'), fields);
    ASSERT_EQ(fields.size(), 40000);
    EXPECT_EQ(fields[39999], QStringLiteral("39999;\""));
    line = QString(70000, QLatin1Char(';'));
    decoupeLigneCsv(line, QLatin1Char(';'), fields);
    EXPECT_EQ(fields.size(), 70001);
}

TEST(LireNombreStrict, ReadsWholeNumbersOnlyWhateverTheCLocale) {
    struct Case {
        const char* text;
        char mark;
        std::optional<double> value;
    };
    const std::optional<double> none;
    const Case cases[] = {
        {"4.35", '.', 4.35},        {" \t-4.35 ", '.', -4.35}, {"+12", '.', 12.0},       {"5.", '.', 5.0},
        {".5", '.', 0.5},           {"-.5e1", '.', -5.0},      {"1E-2", '.', 0.01},      {"0", '.', 0.0},
        {"4,35", ',', 4.35},        {"1e400", '.', none},      {"-1e400", '.', none},    {"1e-400", '.', 0.0},
        {"", '.', none},            {"  ", '.', none},         {"4,35", '.', none},      {"4.35", ',', none},
        {"1 2", '.', none},         {"nan", '.', none},        {"inf", '.', none},       {"-infinity", '.', none},
        {"0x1p3", '.', none},       {"1.000,5", ',', none},    {"1e", '.', none},        {"1e+", '.', none},
        {".", '.', none},           {"-", '.', none},          {"12abc", '.', none},     {"50.850000", '.', 50.85},
        {"1,5", ',', 1.5},          {"٣", '.', none},
    };
    for (const char* locale : {"C", "fr_FR.UTF-8"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale;
        for (const Case& c : cases) {
            const auto v = lireNombreStrict(QString::fromUtf8(c.text), QLatin1Char(c.mark));
            EXPECT_EQ(v.has_value(), c.value.has_value()) << c.text << " under " << locale;
            if (v && c.value) {
                EXPECT_DOUBLE_EQ(*v, *c.value) << c.text;
            }
        }
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_TRUE(std::signbit(*lireNombreStrict(u"-1e-400", QLatin1Char('.'))));
    EXPECT_EQ(lireNombreStrict(u"1.7976931348623157e308", QLatin1Char('.')), std::numeric_limits<double>::max());
}

class LecteurTexteTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("t.txt")) {
        const QString p = QDir(dir_.path()).filePath(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return p;
    }
    // Every line, as "number:text".
    static QStringList lines(LecteurTexte& r) {
        QStringList out;
        QString l;
        while (r.suivante(l)) out << QString::number(r.numero()) + QLatin1Char(':') + l;
        EXPECT_FALSE(r.echec());
        return out;
    }
    QTemporaryDir dir_;
};

TEST_F(LecteurTexteTest, DecidesTheEncodingOnceAndSplitsEveryLineEnd) {
    const QString cafe = QStringLiteral("Café");
    QByteArray utf16le("\xFF\xFE", 2), utf16be("\xFE\xFF", 2);
    for (const QChar c : QStringLiteral("Café\r\nx\ry")) {
        utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        utf16be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    }
    // Far from the start, a byte that UTF-8 cannot hold makes the whole file Windows-1252.
    QByteArray late = "Caf\xC3\xA9\n" + QByteArray(200000, 'a') + "\n\x80\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        LecteurTexte::Codage codage;
        QStringList expected;
    };
    const std::vector<Case> cases{
        {"UTF-8, LF", "Caf\xC3\xA9\nx\ny\n", LecteurTexte::Codage::Utf8, {"1:" + cafe, "2:x", "3:y"}},
        {"BOM, CR LF, no last end", "\xEF\xBB\xBF" "Caf\xC3\xA9\r\nx\r\ny", LecteurTexte::Codage::Utf8,
         {"1:" + cafe, "2:x", "3:y"}},
        {"CR only, empty lines kept", "a\r\rb\r", LecteurTexte::Codage::Utf8, {"1:a", "2:", "3:b"}},
        {"mixed ends", "a\r\n\nb\n\r\nc", LecteurTexte::Codage::Utf8, {"1:a", "2:", "3:b", "4:", "5:c"}},
        {"blank line is not empty", "a\n \n", LecteurTexte::Codage::Utf8, {"1:a", "2: "}},
        {"Windows-1252", "Caf\xE9;\x80\n", LecteurTexte::Codage::Windows1252, {"1:" + cafe + ";€"}},
        {"truncated UTF-8 at the end", "ab\xC3", LecteurTexte::Codage::Windows1252, {"1:abÃ"}},
        {"overlong form", "\xC0\xAF", LecteurTexte::Codage::Windows1252, {"1:À¯"}},
        {"encoded surrogate", "\xED\xA0\x80", LecteurTexte::Codage::Windows1252, {"1:í\u00A0€"}},
        {"UTF-16 LE", utf16le, LecteurTexte::Codage::Utf16LE, {"1:" + cafe, "2:x", "3:y"}},
        {"UTF-16 BE", utf16be, LecteurTexte::Codage::Utf16BE, {"1:" + cafe, "2:x", "3:y"}},
        {"UTF-16 LE without a mark", utf16le.mid(2), LecteurTexte::Codage::Utf16LE, {"1:" + cafe, "2:x", "3:y"}},
        {"UTF-16 BE without a mark", utf16be.mid(2), LecteurTexte::Codage::Utf16BE, {"1:" + cafe, "2:x", "3:y"}},
        {"a NUL in UTF-8 text", QByteArray("a\0b;c\nd\n", 8), LecteurTexte::Codage::Utf8,
         {QStringLiteral("1:a") + QChar(0) + QStringLiteral("b;c"), "2:d"}},
        // Valid UTF-8 lines beside one that is not: the whole file is Windows-1252.
        {"UTF-8 lines beside a Windows-1252 one", "Caf\xC3\xA9\nCaf\xE9\nx\n", LecteurTexte::Codage::Windows1252,
         {QStringLiteral("1:CafÃ©"), "2:" + cafe, "3:x"}},
        {"empty", "", LecteurTexte::Codage::Utf8, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LecteurTexte file;
        ASSERT_TRUE(file.ouvre(write(c.bytes)));
        EXPECT_EQ(file.codage(), c.codage);
        EXPECT_EQ(lines(file), c.expected);
        LecteurTexte memory;
        memory.ouvreOctets(c.bytes);
        EXPECT_EQ(lines(memory), c.expected);
    }
    LecteurTexte big;
    ASSERT_TRUE(big.ouvre(write(late)));
    EXPECT_EQ(big.codage(), LecteurTexte::Codage::Windows1252);
    const QStringList l = lines(big);
    ASSERT_EQ(l.size(), 3);
    EXPECT_EQ(l[0], QStringLiteral("1:CafÃ©"));
    EXPECT_EQ(l[1].size(), 200002);
    EXPECT_EQ(l[2], QStringLiteral("3:€"));

    // A CR LF split across two reads is still one line end.
    QByteArray across = QByteArray(64 * 1024 - 1, 'b') + "\r\nz";
    LecteurTexte split;
    split.ouvreOctets(across);
    QStringList s = lines(split);
    ASSERT_EQ(s.size(), 2);
    EXPECT_EQ(s[1], QStringLiteral("2:z"));
}

TEST_F(LecteurTexteTest, FilesThatCannotBeOpened) {
    QDir(dir_.path()).mkdir(QStringLiteral("dossier.csv"));
    LecteurTexte r;
    EXPECT_FALSE(r.ouvre(QDir(dir_.path()).filePath(QStringLiteral("dossier.csv"))));
    EXPECT_FALSE(r.ouvre(QDir(dir_.path()).filePath(QStringLiteral("absent.csv"))));
    EXPECT_EQ(premieresLignes(QDir(dir_.path()).filePath(QStringLiteral("absent.csv")), 1), std::nullopt);
    const QString p = write("Datum\r\nDatum:,WGS 84\r\nc\r\nd\r\n");
    EXPECT_EQ(premieresLignes(p, 2), (QStringList{"Datum", "Datum:,WGS 84"}));
    EXPECT_EQ(premieresLignes(p, 9)->size(), 4);
    if (::geteuid() != 0) {  // root reads whatever the permissions say
        QFile::setPermissions(p, QFileDevice::Permissions());
        EXPECT_FALSE(r.ouvre(p));
    }
}

}  // namespace
}  // namespace sotrix
