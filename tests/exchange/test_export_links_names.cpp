// Saves to names that other programs or the user made unusual: a name that is a symbolic
// link is written through, into the file it leads to; a name as long as the file system
// allows is saved like any other.

#include "ExportFiles.h"
#include "ShapefileSet.h"
#include "test_export_fixture.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace sotrix::test {
namespace {

class SavedNamesTest : public ExportTest {
protected:
    void SetUp() override {
        ExportTest::SetUp();
        seed();
    }
    // The files a save of that type to name writes.
    static QStringList filesOf(int type, const QString& name) {
        if (type != 1) return {name};
        QStringList files;
        for (const QString& suffix : shapefileSetSuffixes())
            for (const char* ext : {"shp", "shx", "dbf", "cpg"})
                files << shapefileSetBase(name) + suffix + QLatin1Char('.') + QLatin1String(ext);
        return files;
    }
    // Saves as the File menu does, every waypoint and track.
    void save(int type, const QString& name) { run(type, name, true, true, true, true, false); }
    // What a save to a plain name writes, file by file.
    QList<QByteArray> reference(int type, const char* ext) {
        const QString name = out(QStringLiteral("reference.") + QLatin1String(ext));
        save(type, name);
        EXPECT_TRUE(state().resultatOk);
        QList<QByteArray> bytes;
        for (const QString& f : filesOf(type, name)) bytes << readBytes(f);
        return bytes;
    }
    void expectNoTemporaryIn(const QString& dir) {
        for (const QString& name : folderEntries(dir)) EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
    }
};

// Each file of the save is a link into another folder (for the CSV a link to a link);
// a link that leads nowhere fails the save and stays as it was.
TEST_F(SavedNamesTest, ASaveThroughALinkReplacesTheFileItLeadsToAndTheLinkStays) {
    const struct {
        const char* name;
        int type;
        const char* ext;
        bool chain;     // the link leads to a link in the other folder
        bool dangling;  // the link leads nowhere
    } rows[] = {
        {"GPX", 2, "gpx", false, false},
        {"CSV through two links", 3, "csv", true, false},
        {"shapefile set", 1, "shp", false, false},
        {"GPX through a link to nothing", 2, "gpx", false, true},
    };
    const QDir other(out(QStringLiteral("autre")));
    ASSERT_TRUE(QDir().mkpath(other.path()));
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QList<QByteArray> expected = reference(row.type, row.ext);
        const QString name = out(QStringLiteral("lien%1.").arg(++n) + QLatin1String(row.ext));
        const QStringList files = filesOf(row.type, name);
        QStringList targets, links;
        for (const QString& f : files) {
            const QString target = other.filePath(QStringLiteral("cible_") + QFileInfo(f).fileName());
            targets << target;
            if (!row.dangling) {
                writeBytes(target, "old");
                ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            }
            links << (row.chain ? other.filePath(QStringLiteral("relais_") + QFileInfo(f).fileName()) : target);
            if (row.chain) {
                ASSERT_TRUE(QFile::link(target, links.back()));
            }
            ASSERT_TRUE(QFile::link(links.back(), f));
        }
        prompts->clear();
        setFlags(true, true);
        save(row.type, name);
        for (int i = 0; i < files.size(); ++i) {
            EXPECT_EQ(QFileInfo(files[i]).symLinkTarget().toStdString(), links[i].toStdString());
            if (row.dangling) continue;
            EXPECT_EQ(readBytes(targets[i]), expected[i]) << targets[i].toStdString();
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(targets[i]).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0640u) << targets[i].toStdString();
        }
        if (row.dangling) {
            expectFailure(failureText(name));
            EXPECT_FALSE(QFile::exists(targets[0]));
        } else {
            EXPECT_TRUE(state().resultatOk);
            EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join('\n').toStdString();
        }
        expectNoTemporaryIn(outDir());
        expectNoTemporaryIn(other.path());
    }
}

// Names of 255 bytes, the most Linux allows, in one or two bytes a character: the save
// writes what it writes to a short name, and removes what a killed save to that name left.
TEST_F(SavedNamesTest, ANameOfTheLongestLengthIsSaved) {
    const struct {
        const char* name;
        int type;
        const char* ext;
        QString stem;  // of a 255-byte name, or of a set whose longest file name has 255 bytes
    } rows[] = {
        {"GPX", 2, "gpx", QString(251, u'g')},
        {"CSV", 3, "csv", QString(125, u'é') + u'a'},
        {"shapefile set", 1, "shp", QString(124, u'è')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QList<QByteArray> expected = reference(row.type, row.ext);
        const QString name = out(row.stem + QLatin1Char('.') + QLatin1String(row.ext));
        const QStringList files = filesOf(row.type, name);
        qsizetype longest = 0;
        for (const QString& f : files) longest = std::max(longest, QFile::encodeName(QFileInfo(f).fileName()).size());
        ASSERT_EQ(longest, 255);
        for (const QString& f : files) writeBytes(temporaryPath(f), "left by a killed save");
        prompts->clear();
        save(row.type, name);
        EXPECT_TRUE(state().resultatOk);
        EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join('\n').toStdString();
        for (int i = 0; i < files.size(); ++i) EXPECT_EQ(readBytes(files[i]), expected[i]) << files[i].toStdString();
        expectNoTemporaryIn(outDir());
    }
}

}  // namespace
}  // namespace sotrix::test
