// Saves to names that other programs or the user made unusual: a name that is a symbolic
// link is written through, into the file it leads to, unless it is one of the program's
// working files; a name as long as the file system allows is saved like any other.

#include "ExportFiles.h"
#include "FichierTravail.h"
#include "GpsTransfer.h"
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
// a link that leads nowhere or round in a loop fails the save and stays as it was. The
// program's working files are its own: a link or a pipe at their names is replaced by a
// new file, never written through.
TEST_F(SavedNamesTest, ASaveThroughALinkReplacesTheFileItLeadsToAndTheLinkStays) {
    enum Link { ToFile, Chain, Dangling, Self, Loop, Pipe };
    const struct {
        const char* name;
        int type;  // 0: the upload's "gps.gpx"; -1: a working file made anew
        const char* ext;
        Link link;
    } rows[] = {
        {"GPX", 2, "gpx", ToFile},
        {"CSV through two links", 3, "csv", Chain},
        {"shapefile set", 1, "shp", ToFile},
        {"GPX through a link to nothing", 2, "gpx", Dangling},
        {"GPX through a link to itself", 2, "gpx", Self},
        {"CSV through two links to each other", 3, "csv", Loop},
        {"the upload's gps.gpx, a link to a file", 0, "gpx", ToFile},
        {"a working file, a link to a file", -1, "conf", ToFile},
        {"a working file, a link to nothing", -1, "conf", Dangling},
        {"a working file, a pipe", -1, "conf", Pipe},
    };
    loadOptions();
    state().paramGps = 3;  // NMEA, to a file
    state().paramPort = 1;
    qputenv("SOTRIX_COM1", QFile::encodeName(out(QStringLiteral("receiver.nmea"))));
    const QDir other(out(QStringLiteral("autre")));
    ASSERT_TRUE(QDir().mkpath(other.path()));
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool working = row.type <= 0, leadsToFile = row.link == ToFile || row.link == Chain;
        const QList<QByteArray> expected = working ? QList<QByteArray>() : reference(row.type, row.ext);
        const QString name = row.type == 0 ? path(QStringLiteral("gps.gpx"))
                                           : out(QStringLiteral("lien%1.").arg(++n) + QLatin1String(row.ext));
        const QStringList files = filesOf(row.type, name);
        QStringList targets, links;
        for (const QString& f : files) {
            const QString target = other.filePath(QStringLiteral("cible_") + QFileInfo(f).fileName());
            const QString relay = other.filePath(QStringLiteral("relais_") + QFileInfo(f).fileName());
            targets << target;
            if (leadsToFile) {
                writeBytes(target, "old");
                ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
            }
            links << (row.link == Chain || row.link == Loop ? relay : row.link == Self ? f : target);
            if (row.link == Chain || row.link == Loop) {
                ASSERT_TRUE(QFile::link(row.link == Chain ? target : f, relay));
            }
            ASSERT_TRUE(row.link == Pipe ? ::mkfifo(QFile::encodeName(f).constData(), 0644) == 0 : QFile::link(links.back(), f));
        }
        prompts->clear();
        setFlags(true, true);
        if (row.type == 0) envoieGps(true, true, false, GpsLimits{5000, 5000});
        else if (row.type < 0) EXPECT_TRUE(ecritFichierTravail(name, "new"));
        else save(row.type, name);
        for (int i = 0; i < files.size(); ++i) {
            if (working) {
                EXPECT_FALSE(QFileInfo(files[i]).isSymLink());
                EXPECT_EQ(readBytes(targets[i]), leadsToFile ? QByteArray("old") : QByteArray()) << targets[i].toStdString();
                continue;
            }
            EXPECT_EQ(QFileInfo(files[i]).symLinkTarget().toStdString(), links[i].toStdString());
            if (!leadsToFile) continue;
            EXPECT_EQ(readBytes(targets[i]), expected[i]) << targets[i].toStdString();
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(targets[i]).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0640u) << targets[i].toStdString();
        }
        if (row.type < 0) {
            EXPECT_TRUE(QFileInfo(name).isFile() && readBytes(name) == "new");
        } else if (!working && !leadsToFile) {
            expectFailure(failureText(name));
            EXPECT_FALSE(QFile::exists(targets[0]));
        } else if (!working) {
            EXPECT_TRUE(state().resultatOk);
            EXPECT_TRUE(prompts->prompts().empty()) << prompts->texts().join('\n').toStdString();
        }
        expectNoTemporaryIn(outDir());
        expectNoTemporaryIn(other.path());
    }
    qunsetenv("SOTRIX_COM1");
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
