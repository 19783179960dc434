// Exports on bad days, each run in a child process: a disk that fills up during the save
// (a file-size limit, and a small tmpfs when we may mount one), a shapefile export
// killed at random moments, files whose rights the save must keep or respect.

#include "ExportFiles.h"
#include "GpsTransfer.h"
#include "ShapefileSet.h"
#include "test_export_fixture.h"

#include <QDataStream>
#include <QRandomGenerator>
#include <QSet>

#include <grp.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace sotrix::test {
namespace {

void sendAll(int fd, const QByteArray& bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n <= 0) return;
        done += n;
    }
}

// A forked copy of the test: body runs there and may write to the pipe it is given;
// the child ends with _exit, so that nothing of the parent's is cleaned up twice.
class Child {
public:
    explicit Child(const std::function<void(int)>& body) {
        int p[2];
        if (::pipe2(p, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(p[0]);
            body(p[1]);
            ::_exit(0);
        }
        ::close(p[1]);
        fd_ = p[0];
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) ::close(fd_);
    }
    bool started() const { return pid_ > 0; }
    void kill() const { ::kill(pid_, SIGKILL); }
    // The next byte the child writes (a minute at most); 0 at its end.
    char next() {
        char c = 0;
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 60000) > 0 && ::read(fd_, &c, 1) == 1 ? c : 0;
    }
    // Waits for the end (a minute at most) and returns what the child wrote.
    QByteArray finish() {
        QByteArray got;
        char buf[4096];
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, 60000) > 0) {
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, n);
        }
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
        exitedCleanly_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return got;
    }
    bool exitedCleanly() const { return exitedCleanly_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool exitedCleanly_ = false;
};

// A file system (a tmpfs by default) mounted over a folder for one scope; not mounted
// where we may not mount.
class Mount {
public:
    Mount(const QString& at, const char* options, const char* type = "tmpfs")
        : at_(QFile::encodeName(at)), mounted_(::geteuid() == 0 && ::mount(type, at_.constData(), type, 0, options) == 0) {}
    ~Mount() {
        if (mounted_) ::umount2(at_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QByteArray at_;
    bool mounted_;
};

class BadDaysTest : public ExportTest {
protected:
    // n waypoints with descriptions, and an open track of n points.
    static void seedMany(int n) {
        DbGuard db;
        db->exec(QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Fermer, Selected) VALUES (1, 'Chemin', 0, 0)"));
        db->exec(QStringLiteral(
                     "WITH RECURSIVE i(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM i WHERE k < ?1) "
                     "INSERT INTO Points (Nom, Lon, Lat, X, Y, Altitude, Date, Description, Trace, Num_trace, Selected) "
                     "SELECT 'P' || k, 4 + k * 1e-5, 50 + k * 1e-5, k, k, k % 100, '2004-03-15 10:00:00', "
                     "'Description ' || k, 0, NULL, 0 FROM i "
                     "UNION ALL SELECT NULL, 5 + k * 1e-5, 51, k, k, 1, NULL, NULL, 1, k, 0 FROM i"),
                 {n});
    }

    // What the export left in the shared state, sent by the child.
    struct Outcome {
        bool resultatOk = true, modifWaypoints = false, modifTraces = false;
        QStringList messages;
    };
    QByteArray encode() const {
        QByteArray bytes;
        QDataStream s(&bytes, QIODevice::WriteOnly);
        s << state().resultatOk << state().modifWaypoints << state().modifTraces << prompts->texts();
        return bytes;
    }
    static Outcome decode(const QByteArray& bytes) {
        Outcome o;
        QDataStream s(bytes);
        s >> o.resultatOk >> o.modifWaypoints >> o.modifTraces >> o.messages;
        return o;
    }
};

// ------------------------------------------------------------------ a full disk

// Files of a few KiB, so that the last write of each is the one that fails: a disk with
// no room left at all, and a file-size limit crossed halfway through.
TEST_F(BadDaysTest, AFullDiskFailsEveryFormatAndKeepsTheOldFiles) {
    seedMany(40);
    loadOptions();
    state().paramGps = 3;  // NMEA, to a file: an upload that went on would write it
    state().paramPort = 1;
    const QString device = out(QStringLiteral("receiver.nmea"));
    qputenv("SOTRIX_COM1", QFile::encodeName(device));
    // Every file sits in the program folder, where the upload writes "gps.gpx".
    const QString copy = out(QStringLiteral("sotrix.mdb"));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("sotrix.mdb")), copy));

    struct Row {
        const char* name;
        int type;  // 0: the upload
        const char* target;
        QStringList files;  // present before, with bytes of their own
    };
    const Row rows[] = {
        {"GPX", 2, "x.gpx", {QStringLiteral("x.gpx")}},
        {"CSV", 3, "x.csv", {QStringLiteral("x.csv")}},
        {"shapefile", 1, "x.shp",
         {QStringLiteral("x_w.shp"), QStringLiteral("x_w.shx"), QStringLiteral("x_w.dbf"), QStringLiteral("x_tl.shp"),
          QStringLiteral("x_tl.shx"), QStringLiteral("x_tl.dbf"), QStringLiteral("x_tw.shp"), QStringLiteral("x_tw.shx"),
          QStringLiteral("x_tw.dbf")}},
        {"upload", 0, "gps.gpx", {QStringLiteral("gps.gpx")}},
    };
    for (const bool tmpfs : {false, true}) {
        // The program folder becomes a 64 KiB file system, filled up before each export;
        // its database stays outside.
        std::optional<Mount> disk;
        if (tmpfs) {
            disk.emplace(home(), "size=64k");
            if (!disk->mounted()) {
                std::printf("[  NOTE    ] no tmpfs could be mounted: its rows are not run\n");
                continue;
            }
            ASSERT_TRUE(QFile::link(copy, path(QStringLiteral("sotrix.mdb"))));
        }
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(tmpfs ? "tmpfs, " : "file-size limit, ") + row.name);
            for (const QString& f : row.files) writeBytes(path(f), "old " + f.toLatin1());
            if (tmpfs) {
                QFile ballast(path(QStringLiteral("ballast")));
                ASSERT_TRUE(ballast.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
                while (ballast.write(QByteArray(512, 'b')) == 512) {}
            }
            setFlags(true, true);
            Child child([&](int fd) {
                if (!tmpfs) {
                    const rlimit limit{2048, 2048};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                    ::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail with EFBIG
                }
                if (row.type == 0) envoieGps(true, true, false, GpsLimits{5000, 5000});
                else run(row.type, path(QString::fromLatin1(row.target)), true, true, true, true, false);
                sendAll(fd, encode());
            });
            ASSERT_TRUE(child.started());
            const Outcome o = decode(child.finish());
            EXPECT_TRUE(child.exitedCleanly());
            EXPECT_FALSE(o.resultatOk);
            EXPECT_TRUE(o.modifWaypoints && o.modifTraces);
            QStringList expected;
            for (const QString& f : row.files) expected << failureText(path(f));
            EXPECT_EQ(o.messages.size(), 1) << o.messages.join('\n').toStdString();
            EXPECT_TRUE(expected.contains(o.messages.value(0))) << o.messages.value(0).toStdString();
            for (const QString& f : row.files) EXPECT_EQ(readBytes(path(f)), "old " + f.toLatin1()) << f.toStdString();
            QFile::remove(path(QStringLiteral("ballast")));
            for (const QString& name : folderEntries(home())) {
                EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
                EXPECT_FALSE(name.endsWith(QStringLiteral(".log"))) << name.toStdString();  // GPSBabel never ran
            }
            EXPECT_FALSE(QFile::exists(device));
            for (const QString& f : row.files) QFile::remove(path(f));
        }
    }
    qunsetenv("SOTRIX_COM1");
}

// ------------------------------------------------------------------ a killed export

// Every file of the four sets of the base path.
QStringList setFiles(const QString& base) {
    QStringList all;
    for (const QString& suffix : shapefileSetSuffixes())
        for (const char* ext : {"shp", "shx", "dbf", "cpg"}) all << base + suffix + '.' + QLatin1String(ext);
    return all;
}

// A set is whole when its .shx indexes its .shp to the last byte and its .dbf holds one
// row per record; an absent set is whole too. Returns the record count, -1 when absent.
qint64 wholeSet(const QString& stem) {
    const QByteArray shp = readBytes(stem + QStringLiteral(".shp")), shx = readBytes(stem + QStringLiteral(".shx")),
                     dbf = readBytes(stem + QStringLiteral(".dbf"));
    if (shp.isEmpty() && shx.isEmpty() && dbf.isEmpty() && !QFile::exists(stem + QStringLiteral(".cpg"))) return -1;
    const auto be32 = [](const QByteArray& b, qsizetype at) {
        return qint64(quint8(b[at])) << 24 | quint8(b[at + 1]) << 16 | quint8(b[at + 2]) << 8 | quint8(b[at + 3]);
    };
    const auto le32 = [](const QByteArray& b, qsizetype at) {
        return qint64(quint8(b[at])) | quint8(b[at + 1]) << 8 | quint8(b[at + 2]) << 16 | qint64(quint8(b[at + 3])) << 24;
    };
    EXPECT_EQ(readBytes(stem + QStringLiteral(".cpg")), "1252") << stem.toStdString();
    if (shp.size() < 100 || shx.size() < 108 || dbf.size() < 32) {
        ADD_FAILURE() << stem.toStdString() << " is cut short";
        return -2;
    }
    const qint64 records = (shx.size() - 100) / 8;
    const qint64 lastEnd = 2 * (be32(shx, shx.size() - 8) + be32(shx, shx.size() - 4) + 4);
    EXPECT_EQ(lastEnd, shp.size()) << stem.toStdString() << ": .shx and .shp of two exports";
    EXPECT_EQ(2 * be32(shp, 24), shp.size()) << stem.toStdString();
    EXPECT_EQ(le32(dbf, 4), records) << stem.toStdString() << ": .dbf and .shx of two exports";
    return records;
}

TEST_F(BadDaysTest, AKilledExportLeavesEachSetWholeAndTheNextExportItsLeftovers) {
    seedMany(20000);
    const QString base = out(QStringLiteral("big"));
    const QStringList finals = setFiles(base);
    QSet<QString> cut;  // sets whose renames a kill cut
    const auto exportInChild = [&](bool killAtRandom, std::chrono::microseconds span) {
        // Each export adds a waypoint and a track of one point: every file but the .cpg of
        // each set differs from the one of the export before.
        {
            DbGuard db;
            db->exec(QStringLiteral("INSERT INTO Points (Nom, Lon, Lat, Trace) VALUES ('G', 1, 1, 0)"));
            const qint64 track = db->scalar(QStringLiteral("SELECT MAX(Id_trace) + 1 FROM Trace")).toLongLong();
            db->exec(QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Fermer) VALUES (?1, 'T', 0)"), {track});
            db->exec(QStringLiteral("INSERT INTO Points (Lon, Lat, Trace, Num_trace) VALUES (2, 2, ?1, 1)"), {track});
        }
        QMap<QString, QByteArray> before;
        for (const QString& f : finals) before[f] = readBytes(f);
        Child child([&](int fd) {
            context.beforeRename = [fd](const QString& name) { sendAll(fd, QFile::encodeName(name) + '\n'); };
            run(1, base + QStringLiteral(".shp"), true, true, true, true, false);
            sendAll(fd, "END\n");
        });
        if (killAtRandom) {
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(qint64(span.count()))));
            child.kill();
        }
        const QStringList renamed = QString::fromUtf8(child.finish()).split('\n', Qt::SkipEmptyParts);
        const bool finished = renamed.contains(QStringLiteral("END"));
        // Before the renames nothing changed; during them, every file already renamed is
        // new and every file still to come is as it was.
        for (const QString& f : finals) {
            const qsizetype at = renamed.indexOf(f);
            if (!finished && at == renamed.size() - 1 && at >= 0) continue;  // killed around this rename
            if (at < 0) {
                EXPECT_EQ(readBytes(f), before[f]) << f.toStdString() << " changed before its rename";
            } else if (!f.endsWith(QStringLiteral(".cpg"))) {
                EXPECT_NE(readBytes(f), before[f]) << f.toStdString();
            }
        }
        // A set is one generation unless a kill cut its renames, in this export or in an
        // earlier one that no export has put in place whole since.
        for (const QString& suffix : shapefileSetSuffixes()) {
            const QString stem = base + suffix;
            int placed = 0;
            for (const char* ext : {"shp", "shx", "dbf", "cpg"})
                placed += renamed.contains(stem + '.' + QLatin1String(ext));
            if (placed == 4) cut.remove(stem);
            if (placed > 0 && placed < 4) cut.insert(stem);
            if (!cut.contains(stem)) wholeSet(stem);
        }
        // Temporary files only ever carry the fixed names.
        QStringList temporaries;
        for (const QString& f : finals) temporaries << QFileInfo(temporaryPath(f)).fileName();
        for (const QString& name : folderEntries(outDir())) {
            if (name.startsWith('.')) {
                EXPECT_TRUE(temporaries.contains(name)) << name.toStdString();
            }
        }
        return finished;
    };

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(exportInChild(false, {}));
    auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const qint64 records = wholeSet(base + QStringLiteral("_tw"));
    // A busy machine makes exports last more or less than the first one: an export that
    // outruns its kill halves the span, so that most kills fall inside an export.
    int killed = 0;
    int exports = 0;
    for (; exports < 40 && killed < 8; ++exports) {
        if (exportInChild(true, span)) span = std::max(span / 2, std::chrono::microseconds(1000));
        else ++killed;
    }
    EXPECT_EQ(killed, 8);
    ASSERT_TRUE(exportInChild(false, {}));
    EXPECT_EQ(wholeSet(base + QStringLiteral("_tw")), records + exports + 1);
    for (const QString& name : folderEntries(outDir())) EXPECT_FALSE(name.startsWith('.')) << name.toStdString();
}

// ------------------------------------------------------------------ two saves to one name

// Two programs save to one name at once: the first is stopped before it puts its files in
// place while the second starts. One of the two succeeds and the files are its own, byte
// for byte; the other fails and keeps its unsaved-changes flags.
TEST_F(BadDaysTest, OfTwoSavesToOneNameOnlyOneSucceedsAndWithItsOwnFiles) {
    seed();
    const struct {
        const char* name;
        int type;
        const char* target;
        QStringList files;  // the first is the one a failure names
    } rows[] = {
        {"GPX", 2, "x.gpx", {QStringLiteral("x.gpx")}},
        {"CSV", 3, "x.csv", {QStringLiteral("x.csv")}},
        {"shapefile", 1, "x.shp", setFiles(QStringLiteral("x"))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        struct Save {
            int gate[2] = {-1, -1};  // the parent lets the child go on by writing to gate[1]
            std::optional<Child> child;
            QMap<QString, QByteArray> files;  // its files, read before they were put in place
            Outcome outcome;
            ~Save() {
                for (int fd : gate)
                    if (fd >= 0) ::close(fd);
            }
        } saves[2];
        for (int i = 0; i < 2; ++i) {
            Save& save = saves[i];
            ASSERT_EQ(::pipe2(save.gate, O_CLOEXEC), 0);
            {
                // Each save writes one more waypoint than the one before.
                DbGuard db;
                point(*db, {QStringLiteral("Sauvegarde %1").arg(i), 4.0 + i, 50.0, 1, QVariant(), "d", 0, QVariant(), 0});
            }
            setFlags(true, true);
            save.child.emplace([&, gate = save.gate[0]](int fd) {
                context.beforeRename = [fd, gate, stopped = false](const QString&) mutable {
                    if (std::exchange(stopped, true)) return;
                    sendAll(fd, "P");
                    char go = 0;
                    if (::read(gate, &go, 1) != 1) ::_exit(1);
                };
                run(row.type, out(QString::fromLatin1(row.target)), true, true, true, true, false);
                sendAll(fd, "E" + encode());
            });
            ASSERT_TRUE(save.child->started());
            // The first save is stopped before its renames; the second goes as far as it can.
            const char first = save.child->next();
            if (first == 'P') {
                for (const QString& f : row.files) save.files[f] = readBytes(temporaryPath(out(f)));
            } else {
                EXPECT_EQ(first, 'E');
                EXPECT_EQ(i, 1) << "the first save did not get to its renames";
            }
        }
        int succeeded = 0;
        for (Save& save : saves) {
            sendAll(save.gate[1], "g");
            QByteArray rest = save.child->finish();
            if (rest.startsWith('E')) rest.remove(0, 1);
            save.outcome = decode(rest);
            EXPECT_TRUE(save.child->exitedCleanly());
            succeeded += save.outcome.resultatOk;
        }
        ASSERT_EQ(succeeded, 1);
        const Save& winner = saves[0].outcome.resultatOk ? saves[0] : saves[1];
        const Save& loser = saves[0].outcome.resultatOk ? saves[1] : saves[0];
        EXPECT_TRUE(winner.outcome.messages.isEmpty()) << winner.outcome.messages.join('\n').toStdString();
        EXPECT_FALSE(winner.outcome.modifWaypoints || winner.outcome.modifTraces);
        ASSERT_FALSE(winner.files.isEmpty());
        for (const QString& f : row.files)
            EXPECT_TRUE(readBytes(out(f)) == winner.files.value(f)) << f.toStdString() << " is not the successful save's";
        EXPECT_EQ(loser.outcome.messages, QStringList{failureText(out(row.files[0]))});
        EXPECT_TRUE(loser.outcome.modifWaypoints && loser.outcome.modifTraces);
    }
}

// ------------------------------------------------------------------ who may use the files

// What getfacl and getfattr say of a file: owner, group, mode, ACL and user attributes.
QString rights(const QString& file) {
    return runProgram(QStringLiteral("getfacl"), {QStringLiteral("-p"), file}).out +
           runProgram(QStringLiteral("getfattr"), {QStringLiteral("-d"), QStringLiteral("--absolute-names"), file}).out;
}

// Each new file gets the rights of the one it replaces, compaction's too; a read-only file
// stops its owner's save (root's goes on); a side file of the old set that cannot go is
// named after the complete save, and the others go. In a shared folder (as /tmp); rows
// that say so save as an unprivileged user where the test is root.
TEST_F(BadDaysTest, ASaveKeepsWhoMayUseItsFilesAndLeavesThoseItMayNotTouch) {
    seed();
    const auto cmd = [](const char* text) { return QString::fromUtf8(text).split(u' '); };
    const QStringList acl = cmd("setfacl -m u:1000:rw,g:1000:r"), tag = cmd("setfattr -n user.etiquette -v randonnée"),
                      mine = cmd("chown 65534:65534"), theirs = cmd("chown 1234:5678"), closed = cmd("chmod 0600"),
                      readOnly = cmd("chmod 0444");
    enum Result { Saved, Refused, Named };
    const struct {
        const char* name;
        int type;                  // 0: the compaction of the workspace
        QList<QStringList> setup;  // run on each file (and each side file of a set)
        const char* file;          // the file that fileSetup makes one the save may not touch
        QList<QStringList> fileSetup;
        bool root, other, ramfs;   // needs root; saved by 65534; on a file system without ACLs
        Result result;
    } rows[] = {
        {"GPX with an ACL", 2, {acl}, nullptr, {}, false, false, false, Saved},
        {"a set, every file with an ACL and an attribute", 1, {acl, tag}, nullptr, {}, false, false, false, Saved},
        {"CSV with an attribute", 3, {tag}, nullptr, {}, false, false, false, Saved},
        {"GPX of another user and group, 0600, saved by root", 2, {theirs, closed}, nullptr, {}, true, false, false, Saved},
        {"the workspace compacted by root", 0, {acl, tag, theirs}, nullptr, {}, true, false, false, Saved},
        {"GPX on a file system without ACLs", 2, {closed}, nullptr, {}, true, false, true, Saved},
        {"a read-only GPX", 2, {mine}, "x.gpx", {readOnly}, false, true, false, Refused},
        {"a read-only CSV", 3, {mine}, "x.csv", {readOnly}, false, true, false, Refused},
        {"a set with one read-only member", 1, {mine}, "x_tl.dbf", {readOnly}, false, true, false, Refused},
        {"a read-only GPX saved by root", 2, {}, "x.gpx", {readOnly}, true, false, false, Saved},
        {"a folder named like an index", 1, {}, "x_w.ind", {cmd("rm"), cmd("mkdir")}, false, false, false, Named},
        {"an immutable index", 1, {}, "x_w.qix", {cmd("chattr +i")}, true, false, false, Named},
        {"another user's index", 1, {mine}, "x_w.sbn", {theirs}, true, true, false, Named},
    };
    for (const QString& f : {home(), outDir(), path(QStringLiteral("sotrix.mdb"))})
        ASSERT_EQ(::chmod(QFile::encodeName(f).constData(), f == home() || f == outDir() ? 0755 : 0644), 0);
    // The temporary folder may lie on a file system without user attributes (a tmpfs
    // before Linux 6.6).
    writeBytes(out(QStringLiteral("sonde")), "");
    const bool attributes = ::setxattr(QFile::encodeName(out(QStringLiteral("sonde"))).constData(), "user.x", "", 0, 0) == 0;
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QDir folder(out(QString::number(++n)));
        std::optional<Mount> fs;
        if ((row.root && ::geteuid() != 0) || (!attributes && row.setup.contains(tag))) {
            std::printf("[  NOTE    ] %s: not run, needs root or user attributes\n", row.name);
            continue;
        }
        ASSERT_TRUE(QDir().mkpath(folder.path()) && ::chmod(QFile::encodeName(folder.path()).constData(), 01777) == 0);
        if (row.ramfs && !fs.emplace(folder.path(), "", "ramfs").mounted()) {
            std::printf("[  NOTE    ] %s: not run, no ramfs could be mounted\n", row.name);
            continue;
        }
        const char* saved = row.type == 1 ? "x.shp" : row.type == 2 ? "x.gpx" : "x.csv";
        const QString name = row.type == 0 ? path(QStringLiteral("sotrix.mdb")) : folder.filePath(QLatin1String(saved));
        const QString special = row.file ? folder.filePath(QLatin1String(row.file)) : QString();
        QStringList files = row.type == 1 ? setFiles(folder.filePath(QStringLiteral("x"))) : QStringList{name}, sideFiles;
        if (row.type == 1)
            for (const char* ext : {"prj", "qpj", "qix", "sbn", "sbx", "fbn", "fbx", "ain", "aih", "atx", "idm", "ind"})
                sideFiles << folder.filePath(QStringLiteral("x_w.") + QLatin1String(ext));
        QMap<QString, QString> before;
        for (const QString& f : files + sideFiles) {
            if (row.type != 0) writeBytes(f, "old");
            for (const QStringList& p : row.setup + (f == special ? row.fileSetup : QList<QStringList>()))
                ASSERT_TRUE((p == mine && ::geteuid() != 0) || runProgram(p[0], p.mid(1) << f).exitCode == 0)
                    << p.join(' ').toStdString();
            before[f] = rights(f);
        }
        setFlags(true, true);
        Child child([&](int fd) {
            if (row.other && ::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(1);
            if (row.type == 0) compactDatabase(name, path(QStringLiteral("non_compactee.mdb")));
            else run(row.type, name, true, true, true, true, false);
            sendAll(fd, encode());
        });
        const Outcome o = decode(child.finish());
        if (row.file) runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), special});
        const QString stayed = QStringLiteral("Les fichiers suivants décrivent l'ancien contenu et n'ont pas pu être supprimés ; "
                                              "un SIG peut les utiliser et masquer des objets :\n");
        EXPECT_EQ(o.messages, row.result == Refused ? QStringList{failureText(special)}
                              : row.result == Named ? QStringList{stayed + special} : QStringList());
        for (const QString& f : files) {
            EXPECT_EQ(rights(f).toStdString(), before[f].toStdString());
            EXPECT_TRUE(row.type == 0 || (readBytes(f) == "old") == (row.result == Refused)) << f.toStdString();
        }
        for (const QString& f : sideFiles)
            EXPECT_EQ(QFileInfo::exists(f), row.result == Refused || f == special) << f.toStdString();
    }
}

}  // namespace
}  // namespace sotrix::test
