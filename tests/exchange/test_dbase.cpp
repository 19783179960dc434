// The dBASE IV layer: bytes as dBASE and GDAL expect them, our reader's code-page rules,
// values that do not fit and a full disk.

#include "DbaseTable.h"
#include "test_export_fixture.h"

#include <shapefil.h>

#include <iconv.h>

#include <cerrno>
#include <limits>

namespace sotrix::test {
namespace {

class DbaseTableTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(DbaseTableTest, WritesTheDbaseIvLayoutInAnyLocaleAndReadsItBack) {
    CommaLocale comma;
    ASSERT_TRUE(comma.ok);
    const QString file = path(QStringLiteral("w.dbf"));
    const QString nom = QStringLiteral("Łódź €Œ"), text = QString(300, QLatin1Char('x'));
    {
        DbaseTable t = DbaseTable::create(file,
                                          {{QStringLiteral("Nom"), 'C', 10, 0},
                                           {QStringLiteral("Lon"), 'N', 20, 8},
                                           {QStringLiteral("Description"), 'C', 254, 0}},
                                          QDate(2024, 5, 1));
        t.append({QStringView(nom), -4.25, QStringView(text)});
        t.append({DbaseValue(), DbaseValue(), DbaseValue()});
        t.close();
    }
    const QByteArray b = readBytes(file);
    ASSERT_EQ(b.size(), 129 + 2 * 285 + 1);
    EXPECT_EQ(b.left(12).toHex(), QByteArray("037c0501020000008100" "1d01"));  // 2024-05-01, 2 rows, 129, 285
    EXPECT_EQ(quint8(b[29]), 0x57);                                           // LDID 87: Windows-1252
    EXPECT_EQ(b.mid(96, 12), QByteArray("Descriptio\0C", 12));
    EXPECT_EQ(b.mid(129, 31), QByteArray(" ?\xf3" "d? \x80\x8c   " "         -4.25000000"));  // Ł, ź: "?"
    EXPECT_EQ(b.mid(160, 254), QByteArray(254, 'x'));
    EXPECT_EQ(b.mid(129 + 285, 285), QByteArray(285, ' '));  // NULLs are blanks
    EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);

    EXPECT_EQ(readBytes(path(QStringLiteral("w.cpg"))), "1252");  // for readers that take LDID 87 for Latin-1

    DbaseTable r = DbaseTable::open(file);
    EXPECT_EQ(r.codePage(), QStringLiteral("1252"));
    EXPECT_EQ(r.text(0, 0), QStringLiteral("?ód? €Œ"));
    EXPECT_EQ(r.number(0, 1), -4.25);
    EXPECT_TRUE(r.isNull(1, 1) && r.isNull(1, 0));
    EXPECT_EQ(r.fieldIndex(QStringLiteral("DESCRIPTIO")), 2);
}

TEST_F(DbaseTableTest, CodePageComesFromTheCpgElseAGuess) {
    const QByteArray utf8 = QStringLiteral("Été").toUtf8(), cp1252 = encodeWindows1252(u"Été");
    for (const char* cp : {"UTF-8", ""}) {  // a .cpg naming UTF-8, and one naming nothing
        const QString file = path(QStringLiteral("t%1.dbf").arg(*cp ? 1 : 0));
        DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), cp);
        ASSERT_NE(h, nullptr);
        DBFAddField(h, "Nom", FTString, 20, 0);
        DBFAddField(h, "N", FTDouble, 5, 0);
        DBFWriteStringAttribute(h, 0, 0, utf8.constData());
        DBFWriteStringAttribute(h, 1, 0, cp1252.constData());
        DBFWriteAttributeDirectly(h, 1, 1, const_cast<char*>("*****"));  // another writer's overflow
        DBFClose(h);
        DbaseTable t = DbaseTable::open(file);
        EXPECT_EQ(t.text(0, 0), QStringLiteral("Été")) << cp;
        EXPECT_EQ(t.text(1, 0), *cp ? QString::fromUtf8(cp1252) : QStringLiteral("Été")) << cp;
        EXPECT_EQ(t.number(1, 1), std::nullopt);
    }
}

TEST_F(DbaseTableTest, RefusesWhatDoesNotFitAndReportsAFullDisk) {
    DbaseTable t = DbaseTable::create(path(QStringLiteral("n.dbf")),
                                      {{QStringLiteral("Trace"), 'N', 11, 0}, {QStringLiteral("Alt"), 'N', 20, 8}},
                                      QDate(2024, 1, 1));
    t.append({std::int64_t(99999999999), 99999999999.0});
    EXPECT_THROW(t.append({std::int64_t(123456789012), 0.0}), DbaseError);
    EXPECT_THROW(t.append({std::int64_t(1), 1e12}), DbaseError);  // 22 characters
    EXPECT_THROW(t.append({std::int64_t(1), std::numeric_limits<double>::infinity()}), DbaseError);
    EXPECT_THROW(t.append({QStringView(u"x"), 1.0}), DbaseError);
    t.close();
    EXPECT_EQ(readBytes(path(QStringLiteral("n.dbf"))).mid(98, 31), QByteArray("99999999999" "99999999999.00000000"));

    DbaseTable full = DbaseTable::create(path(QStringLiteral("full.dbf")), {{QStringLiteral("T"), 'C', 254, 0}},
                                         QDate(2024, 1, 1));
    full.failWritesAfter(1000);
    try {
        for (int i = 0; i < 10; ++i) full.append({QStringView(u"x")});
        full.close();
        ADD_FAILURE() << "no failure reported";
    } catch (const DbaseError& e) {
        EXPECT_EQ(e.errorNumber(), ENOSPC);
    }
    EXPECT_THROW(DbaseTable::create(path(QStringLiteral("missing/x.dbf")), {}, QDate(2024, 1, 1)), DbaseError);
    EXPECT_THROW(DbaseTable::open(path(QStringLiteral("absent.dbf"))), DbaseError);
}

TEST_F(DbaseTableTest, HeadersThatPromiseMoreThanTheFileAreRefused) {
    const QString good = path(QStringLiteral("good.dbf"));
    {
        DbaseTable t = DbaseTable::create(good, {{QStringLiteral("Nom"), 'C', 10, 0}, {QStringLiteral("N"), 'N', 5, 0}},
                                          QDate(2024, 1, 1));
        t.append({QStringView(u"a"), std::int64_t(1)});
        t.append({QStringView(u"b"), std::int64_t(2)});
        t.close();
    }
    const QByteArray bytes = readBytes(good);  // header 97, records of 16
    const auto le16 = [](QByteArray b, int at, int v) {
        b[at] = char(v & 0xFF);
        b[at + 1] = char(v >> 8);
        return b;
    };
    struct Case {
        const char* what;
        QByteArray bytes;
        bool readable;
    };
    QByteArray moreRecords = bytes;
    moreRecords[4] = 3;
    QByteArray hugeCount = bytes;
    hugeCount[7] = char(0x7F);
    QByteArray noFields = le16(le16(bytes.left(32) + "\x0D", 8, 33), 10, 1);
    noFields[4] = 0;
    const std::vector<Case> cases{
        {"as written", bytes, true},
        {"no record, no field", noFields, true},
        {"one byte of header", le16(bytes, 8, 32), false},
        {"header past the end", le16(bytes, 8, bytes.size() + 1), false},
        {"fields wider than the record", le16(bytes, 10, 15), false},
        {"record length of nothing", le16(bytes, 10, 0), false},
        {"more records than bytes", moreRecords, false},
        {"a count past two billion", hugeCount, false},
        {"cut within a record", bytes.left(97 + 16 + 8), false},
        {"cut within the header", bytes.left(40), false},
        {"empty", QByteArray(), false},
    };
    for (const Case& c : cases) {
        const QString file = path(QStringLiteral("case.dbf"));
        writeBytes(file, c.bytes);
        if (c.readable) {
            EXPECT_NO_THROW(DbaseTable::open(file)) << c.what;
        } else {
            EXPECT_THROW(DbaseTable::open(file), DbaseError) << c.what;
        }
    }
    EXPECT_EQ(DbaseTable::open(good).recordCount(), 2);
}

TEST_F(DbaseTableTest, CodePageFilesInAnyCaseAndOtherCodePages) {
    const QByteArray latin9 = "\xA4uro", cp850 = "Caf\x82";  // "€uro", "Café"
    struct Case {
        const char* cpg;  // nullptr: no .cpg
        const char* cpgName;
        int ldid;
        QByteArray bytes;
        const char* text;
    };
    const Case cases[] = {
        {"ISO-8859-15", "t.CPG", 0, latin9, "€uro"},
        {"CP850\r\n", "t.Cpg", 0, cp850, "Café"},
        {"pas-un-nom", "t.cpg", 87, "Caf\xE9", "Café"},   // unknown: the language driver
        {"pas-un-nom", "t.cpg", 0, "Caf\xC3\xA9", "Café"},  // unknown, no driver: a guess
        {"utf8", "T.CPG", 87, "Caf\xC3\xA9", "Café"},
        {nullptr, nullptr, 3, "Caf\xE9", "Café"},
    };
    for (const Case& c : cases) {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        const QString file = path(QStringLiteral("t.dbf"));
        DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), "");
        ASSERT_NE(h, nullptr);
        DBFAddField(h, "Nom", FTString, 20, 0);
        DBFAddField(h, "V", FTDouble, 8, 2);
        DBFWriteStringAttribute(h, 0, 0, c.bytes.constData());
        DBFWriteAttributeDirectly(h, 0, 1, const_cast<char*>("********"));
        DBFClose(h);
        QByteArray b = readBytes(file);
        b[29] = char(c.ldid);
        writeBytes(file, b);
        QFile::remove(path(QStringLiteral("t.cpg")));
        if (c.cpg) writeBytes(path(QString::fromLatin1(c.cpgName)), c.cpg);
        const DbaseTable t = DbaseTable::open(file);
        EXPECT_EQ(t.text(0, 0), QString::fromUtf8(c.text)) << (c.cpg ? c.cpg : "LDID");
        EXPECT_TRUE(t.isNull(0, 1));  // "*" in a floating field
    }
}

// Text in the code page iconv knows by that name.
QByteArray encoded(const char* codePage, const QString& text) {
    iconv_t cd = iconv_open(codePage, "UTF-8");
    EXPECT_NE(cd, iconv_t(-1)) << codePage;
    if (cd == iconv_t(-1)) return {};
    QByteArray in = text.toUtf8(), out(in.size() * 4, '\0');
    char* i = in.data();
    char* o = out.data();
    std::size_t inLeft = std::size_t(in.size()), outLeft = std::size_t(out.size());
    EXPECT_NE(iconv(cd, &i, &inLeft, &o, &outLeft), std::size_t(-1)) << codePage;
    iconv_close(cd);
    out.truncate(o - out.data());
    return out;
}

// The language driver of a table without a .cpg names the code page of its field names
// and texts, as GDAL reads them; a .cpg still comes first, and a silent or unknown driver
// leaves a guess.
TEST_F(DbaseTableTest, LanguageDriverNamesTheCodePage) {
    const QString latin = QStringLiteral("Désignati"), cyrillic = QStringLiteral("Имя"), greek = QStringLiteral("Όνομα"),
                  turkish = QStringLiteral("Şehir"), central = QStringLiteral("Název");
    const struct {
        int ldid;
        const char* cpg;  // nullptr: no .cpg
        const char* encoding;  // of the bytes written
        QString name, value;
    } cases[] = {
        {0x01, nullptr, "CP437", latin, QStringLiteral("été")},
        {0x02, nullptr, "CP850", latin, QStringLiteral("Éléments")},
        {0x03, nullptr, "CP1252", latin, QStringLiteral("œuvre")},
        {0x57, nullptr, "CP1252", latin, QStringLiteral("été")},
        {0x64, nullptr, "CP852", central, QStringLiteral("Łódź")},
        {0x65, nullptr, "CP866", cyrillic, QStringLiteral("Москва")},
        {0x66, nullptr, "CP865", QStringLiteral("Sø"), QStringLiteral("Ærø")},
        {0x67, nullptr, "CP861", QStringLiteral("Þór"), QStringLiteral("Ísland")},
        {0x6A, nullptr, "CP737", greek, QStringLiteral("Αθήνα")},
        {0x6B, nullptr, "CP857", turkish, QStringLiteral("İzmir")},
        {0x26, nullptr, "CP866", cyrillic, QStringLiteral("Киев")},
        {0xC8, nullptr, "CP1250", central, QStringLiteral("Łódź")},
        {0xC9, nullptr, "CP1251", cyrillic, QStringLiteral("Москва")},
        {0xCA, nullptr, "CP1254", turkish, QStringLiteral("İzmir")},
        {0xCB, nullptr, "CP1253", greek, QStringLiteral("Αθήνα")},
        {0x4D, nullptr, "CP936", QStringLiteral("名称"), QStringLiteral("北京")},
        {0x4E, nullptr, "CP949", QStringLiteral("이름"), QStringLiteral("서울")},
        {0x4F, nullptr, "CP950", QStringLiteral("名稱"), QStringLiteral("臺北")},
        {0x50, nullptr, "CP874", QStringLiteral("ชื่อ"), QStringLiteral("ไทย")},
        {0x7B, nullptr, "CP932", QStringLiteral("名前"), QStringLiteral("東京")},
        {0x7C, nullptr, "CP874", QStringLiteral("ชื่อ"), QStringLiteral("ไทย")},
        {0x02, "1252", "CP1252", latin, QStringLiteral("été")},
        {0x00, nullptr, "UTF-8", latin, QStringLiteral("été")},
        {0x30, nullptr, "UTF-8", latin, QStringLiteral("été")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("LDID %1, %2").arg(c.ldid).arg(QLatin1String(c.encoding)).toStdString());
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        const QString file = path(QStringLiteral("l.dbf"));
        DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), QByteArray("LDID/") + QByteArray::number(c.ldid));
        ASSERT_NE(h, nullptr);
        const QByteArray name = encoded(c.encoding, c.name);
        ASSERT_LE(name.size(), 10);
        DBFAddField(h, name.constData(), FTString, 20, 0);
        DBFWriteStringAttribute(h, 0, 0, encoded(c.encoding, c.value).constData());
        DBFClose(h);
        ASSERT_EQ(quint8(readBytes(file)[29]), c.ldid);
        if (c.cpg) writeBytes(path(QStringLiteral("l.cpg")), c.cpg);

        const DbaseTable t = DbaseTable::open(file);
        ASSERT_EQ(t.fields().size(), 1u);
        EXPECT_EQ(t.fields()[0].name, c.name);
        EXPECT_EQ(t.text(0, 0), c.value);
        const ProgramRun gdal = runProgram(QStringLiteral("ogrinfo"), {QStringLiteral("-ro"), QStringLiteral("-al"), file});
        ASSERT_EQ(gdal.exitCode, 0) << gdal.err.toStdString();
        EXPECT_TRUE(gdal.out.contains(QStringLiteral("  ") + t.fields()[0].name + QStringLiteral(" (String) = ") + t.text(0, 0)))
            << gdal.out.toStdString();
    }
}

// A header claiming more records than the file holds is refused at the open; a table that
// opens never reads past its records.
TEST_F(DbaseTableTest, RecordCountIsBoundedByTheFileSize) {
    const QString file = path(QStringLiteral("c.dbf"));
    {
        DbaseTable t = DbaseTable::create(file, {{QStringLiteral("Nom"), 'C', 10, 0}}, QDate(2024, 1, 1));
        for (const char16_t* n : {u"a", u"b", u"c"}) t.append({QStringView(n)});
        t.close();
    }
    const QByteArray good = readBytes(file);  // 65-byte header, 3 records of 11 bytes, 0x1A
    const auto claiming = [](QByteArray b, quint32 records) {
        for (int i = 0; i < 4; ++i) b[4 + i] = char(records >> (8 * i));
        return b;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        qint64 count;  // -1: refused
    };
    const Case cases[] = {
        {"as written", good, 3},
        {"header claiming hundreds of millions", claiming(good, 400000000), -1},
        {"header claiming fewer", claiming(good, 2), 2},
        {"last record cut", claiming(good.left(65 + 2 * 11 + 5), 3), -1},
        {"header only", claiming(good.left(65), 400000000), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(file, c.bytes);
        if (c.count < 0) {
            EXPECT_THROW(DbaseTable::open(file), DbaseError);
            continue;
        }
        DbaseTable r = DbaseTable::open(file);
        EXPECT_EQ(r.recordCount(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(r.text(c.count - 1, 0), QString(QChar(char16_t(u'a' + c.count - 1))));
        }
        EXPECT_THROW(r.text(c.count, 0), DbaseError);
        EXPECT_FALSE(r.isDeleted(c.count));
    }
}

// Records read one by one come from a window read ahead of them: whatever the order of
// the reads, each record is its own, across the window's edges and at the end.
TEST_F(DbaseTableTest, RecordsReadInAnyOrderAreTheirOwn) {
    const QString file = path(QStringLiteral("many.dbf"));
    constexpr int kRecords = 5000;  // 38-byte records: several windows, records across their edges
    {
        DbaseTable t = DbaseTable::create(file, {{QStringLiteral("Nom"), 'C', 37, 0}}, QDate(2024, 1, 1));
        for (int i = 0; i < kRecords; ++i) {
            const QString nom = QStringLiteral("n%1").arg(i);
            t.append({QStringView(nom)});
        }
        t.close();
    }
    struct Case {
        const char* name;
        std::vector<int> order;
    };
    std::vector<int> forward(kRecords), backward(kRecords), strided;
    for (int i = 0; i < kRecords; ++i) forward[size_t(i)] = i, backward[size_t(i)] = kRecords - 1 - i;
    for (int i = 0; i < kRecords; ++i) strided.push_back(int((qint64(i) * 1723) % kRecords));
    const Case cases[] = {{"forward", forward},
                          {"backward", backward},
                          {"strided", strided},
                          {"last then first", {kRecords - 1, 0, kRecords - 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbaseTable r = DbaseTable::open(file);
        for (const int i : c.order) ASSERT_EQ(r.text(i, 0), QStringLiteral("n%1").arg(i)) << i;
    }
}

}  // namespace
}  // namespace sotrix::test
