// The dBASE IV layer: bytes as dBASE and GDAL expect them, shapelib reading them back,
// our reader's code-page rules, and failures.

#include "DbaseTable.h"
#include "test_export_fixture.h"

#include <shapefil.h>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>

namespace sotrix::test {
namespace {

const QString kLong = QString(300, QLatin1Char('x'));

std::vector<DbaseField> waypointFields() {
    return {{QStringLiteral("Nom"), 'C', 254, 0},        {QStringLiteral("Lon"), 'N', 20, 8},
            {QStringLiteral("Lat"), 'N', 20, 8},         {QStringLiteral("Altitude"), 'N', 20, 8},
            {QStringLiteral("DateMesure"), 'C', 19, 0},  {QStringLiteral("Description"), 'C', 254, 0}};
}

class DbaseTableTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    // Two waypoint rows written the way the export writes them.
    QString writeSample() {
        const QString file = path(QStringLiteral("w.dbf"));
        DbaseTable t = DbaseTable::create(file, waypointFields(), QDate(2024, 5, 1));
        const QString nom = QStringLiteral("Café L'église"), date = QStringLiteral("15/03/2004 10:00:00");
        const QString pl = QStringLiteral("Łódź €Œ");
        t.append({QStringView(nom), 4.35, 50.85, DbaseValue(), QStringView(date), QStringView(kLong)});
        t.append({QStringView(pl), -4.25, 0.0, 1234.5, DbaseValue(), DbaseValue()});
        t.close();
        return file;
    }

    QTemporaryDir dir_;
};

TEST_F(DbaseTableTest, WritesTheDbaseIvLayoutByteForByte) {
    const QByteArray b = readBytes(writeSample());
    ASSERT_EQ(b.size(), 225 + 2 * 588 + 1);
    EXPECT_EQ(b.left(12).toHex(), QByteArray("037c050102000000e1004c02"));  // 2024-05-01, 2 rows, 225, 588
    EXPECT_EQ(quint8(b[29]), 0x57);                                        // LDID 87: Windows-1252
    EXPECT_EQ(quint8(b[224]), 0x0D);
    EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);
    // Field descriptors: the eleventh letter of "Description" is dropped.
    EXPECT_EQ(b.mid(32 + 5 * 32, 11), QByteArray("Descriptio\0", 11));
    EXPECT_EQ(b[32 + 5 * 32 + 11], 'C');
    EXPECT_EQ(quint8(b[32 + 5 * 32 + 16]), 254);

    const QByteArray r1 = b.mid(225, 588);
    EXPECT_EQ(r1[0], ' ');
    EXPECT_EQ(r1.mid(1, 13).toHex(' '), QByteArray("43 61 66 e9 20 4c 27 e9 67 6c 69 73 65"));
    EXPECT_EQ(r1.mid(14, 241), QByteArray(241, ' '));
    EXPECT_EQ(r1.mid(255, 20), QByteArray("          4.35000000"));
    EXPECT_EQ(r1.mid(275, 20), QByteArray("         50.85000000"));
    EXPECT_EQ(r1.mid(295, 20), QByteArray(20, ' '));  // NULL altitude
    EXPECT_EQ(r1.mid(315, 19), QByteArray("15/03/2004 10:00:00"));
    EXPECT_EQ(r1.mid(334, 254), QByteArray(254, 'x'));  // 300 characters cut to 254

    const QByteArray r2 = b.mid(225 + 588, 588);
    EXPECT_EQ(r2.mid(1, 8).toHex(' '), QByteArray("3f f3 64 3f 20 80 8c 20"));  // Ł and ź have no byte
    EXPECT_EQ(r2.mid(255, 20), QByteArray("         -4.25000000"));
    EXPECT_EQ(r2.mid(275, 20), QByteArray("          0.00000000"));
    EXPECT_EQ(r2.mid(295, 20), QByteArray("       1234.50000000"));
    EXPECT_EQ(r2.mid(315, 19 + 254), QByteArray(19 + 254, ' '));
}

TEST_F(DbaseTableTest, NumbersUseAPointUnderACommaLocale) {
    CommaLocale comma;
    ASSERT_TRUE(comma.ok());
    const QByteArray b = readBytes(writeSample());
    EXPECT_EQ(b.mid(225 + 255, 20), QByteArray("          4.35000000"));
}

TEST_F(DbaseTableTest, ShapelibReadsFieldsCodePageAndValues) {
    const QString file = writeSample();
    DBFHandle h = DBFOpen(QFile::encodeName(file).constData(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DBFGetRecordCount(h), 2);
    EXPECT_STREQ(DBFGetCodePage(h), "LDID/87");
    const struct {
        const char* name;
        char type;
        int width, decimals;
    } expected[] = {{"Nom", 'C', 254, 0},      {"Lon", 'N', 20, 8},        {"Lat", 'N', 20, 8},
                    {"Altitude", 'N', 20, 8}, {"DateMesure", 'C', 19, 0}, {"Descriptio", 'C', 254, 0}};
    ASSERT_EQ(DBFGetFieldCount(h), 6);
    for (int i = 0; i < 6; ++i) {
        char name[12] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(h, i, name, &width, &decimals);
        EXPECT_STREQ(name, expected[i].name);
        EXPECT_EQ(DBFGetNativeFieldType(h, i), expected[i].type) << name;
        EXPECT_EQ(width, expected[i].width) << name;
        EXPECT_EQ(decimals, expected[i].decimals) << name;
    }
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 0, 1), 4.35);
    EXPECT_TRUE(DBFIsAttributeNULL(h, 0, 3));
    EXPECT_FALSE(DBFIsAttributeNULL(h, 1, 3));
    EXPECT_TRUE(DBFIsAttributeNULL(h, 1, 5));
    EXPECT_STREQ(DBFReadStringAttribute(h, 0, 0), "Caf\xe9 L'\xe9glise");
    DBFClose(h);
}

TEST_F(DbaseTableTest, OurReaderDecodesWindows1252AndTellsNulls) {
    DbaseTable t = DbaseTable::open(writeSample());
    ASSERT_EQ(t.recordCount(), 2);
    EXPECT_EQ(t.codePage(), QStringLiteral("LDID/87"));
    EXPECT_EQ(t.fieldIndex(QStringLiteral("DESCRIPTIO")), 5);
    EXPECT_EQ(t.text(0, 0), QStringLiteral("Café L'église"));
    EXPECT_EQ(t.text(1, 0), QStringLiteral("?ód? €Œ"));
    EXPECT_EQ(t.number(1, 1), -4.25);
    EXPECT_EQ(t.number(1, 3), 1234.5);
    EXPECT_EQ(t.number(0, 3), std::nullopt);
    EXPECT_TRUE(t.isNull(0, 3));
    EXPECT_TRUE(t.isNull(1, 4));
    EXPECT_FALSE(t.isNull(1, 2));  // 0 is a value
    EXPECT_FALSE(t.isDeleted(1));
    EXPECT_EQ(t.text(0, 5).size(), 254);
    EXPECT_THROW(t.text(2, 0), DbaseError);
}

TEST_F(DbaseTableTest, CodePageComesFromTheCpgElseAGuess) {
    const QByteArray utf8 = QStringLiteral("Été").toUtf8();
    const QByteArray cp1252 = encodeWindows1252(u"Été");
    // A table that names UTF-8 in its .cpg and one that names nothing at all.
    for (const char* cp : {"UTF-8", ""}) {
        const QString file = path(QStringLiteral("t%1.dbf").arg(*cp ? 1 : 0));
        DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), cp);
        ASSERT_NE(h, nullptr);
        DBFAddField(h, "Nom", FTString, 20, 0);
        DBFWriteStringAttribute(h, 0, 0, utf8.constData());
        DBFWriteStringAttribute(h, 1, 0, cp1252.constData());
        DBFClose(h);
        DbaseTable t = DbaseTable::open(file);
        EXPECT_EQ(t.text(0, 0), QStringLiteral("Été")) << cp;
        if (*cp) EXPECT_EQ(t.codePage(), QStringLiteral("UTF-8"));
        else EXPECT_EQ(t.text(1, 0), QStringLiteral("Été")) << "not UTF-8: read as Windows-1252";
    }
    // A "*" filled number is NULL, as an overflowed field of another writer is.
    const QString stars = path(QStringLiteral("stars.dbf"));
    {
        DbaseTable t = DbaseTable::create(stars, {{QStringLiteral("N"), 'N', 5, 0}}, QDate(2024, 1, 1));
        t.append({std::int64_t(7)});
        t.close();
    }
    QByteArray b = readBytes(stars);
    b.replace(b.size() - 6, 5, "*****");
    writeBytes(stars, b);
    EXPECT_EQ(DbaseTable::open(stars).number(0, 0), std::nullopt);
}

TEST_F(DbaseTableTest, RefusesWhatDoesNotFitAndReportsWriteFailures) {
    DbaseTable t = DbaseTable::create(path(QStringLiteral("n.dbf")),
                                      {{QStringLiteral("Trace"), 'N', 11, 0}, {QStringLiteral("Alt"), 'N', 20, 8}},
                                      QDate(2024, 1, 1));
    t.append({std::int64_t(99999999999), 99999999999.0});
    EXPECT_THROW(t.append({std::int64_t(123456789012), 0.0}), DbaseError);
    EXPECT_THROW(t.append({std::int64_t(1), 1e12}), DbaseError);  // 22 characters
    EXPECT_THROW(t.append({std::int64_t(1), std::numeric_limits<double>::infinity()}), DbaseError);
    EXPECT_THROW(t.append({QStringView(u"x"), 1.0}), DbaseError);
    t.close();
    const QByteArray b = readBytes(path(QStringLiteral("n.dbf")));
    EXPECT_EQ(b.mid(32 + 64 + 1 + 1, 31), QByteArray("99999999999" "99999999999.00000000"));

    // A full disk met while writing: the failure comes out of append or close.
    DbaseTable full = DbaseTable::create(path(QStringLiteral("full.dbf")), waypointFields(), QDate(2024, 1, 1));
    full.failWritesAfter(1000);
    try {
        for (int i = 0; i < 10; ++i) full.append({QStringView(kLong), 1.0, 2.0, 3.0, DbaseValue(), DbaseValue()});
        full.close();
        ADD_FAILURE() << "no failure reported";
    } catch (const DbaseError& e) {
        EXPECT_EQ(e.errorNumber(), ENOSPC);
    }

    EXPECT_THROW(DbaseTable::create(path(QStringLiteral("missing/x.dbf")), waypointFields(), QDate(2024, 1, 1)),
                 DbaseError);
    EXPECT_THROW(DbaseTable::open(path(QStringLiteral("absent.dbf"))), DbaseError);
}

TEST(Windows1252, EncodesAndDecodesItsThirtyTwoExtraCharacters) {
    EXPECT_EQ(encodeWindows1252(u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ").toHex(),
              QByteArray("8082838485868788898a8b8c8e919293949596979899" "9a9b9c9e9f"));
    EXPECT_EQ(encodeWindows1252(u"é\u0080\U0001F600x"), QByteArray("\xe9??x"));  // one "?" per character
    EXPECT_EQ(decodeWindows1252(QByteArray("\x80\x81\xe9", 3)), QString::fromUtf16(u"€\u0081é"));
}

}  // namespace
}  // namespace sotrix::test
