// The database layer: opening, bound values, keys, transactions, collation, compaction.
#include "Database.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

namespace sotrix {
namespace {

using test::WorkspaceTest;

class DatabaseTest : public WorkspaceTest {};

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

TEST_F(DatabaseTest, OpeningNeverCreatesAndLeavesJunkUntouched) {
    const QString missing = path(QStringLiteral("absent.mdb"));
    EXPECT_THROW(Database{missing}, DbError);
    EXPECT_FALSE(QFileInfo::exists(missing));

    const QString junk = path(QStringLiteral("junk.mdb"));
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a database, just some text\n");
    }
    const QByteArray before = readAll(junk);
    try {
        Database db(junk);
        db.exec(QStringLiteral("select count(*) from Points"));
        FAIL() << "a junk file must fail";
    } catch (const DbError& e) {
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_EQ(readAll(junk), before);
}

TEST_F(DatabaseTest, BoundValuesRoundTripWithNullDistinctFromEmpty) {
    DbGuard db;
    const QString name = QStringLiteral("L'église \"vieille\"; drop table Points; --");
    const qint64 id1 = db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), name},
                                                             {QStringLiteral("Description"), QVariant()},
                                                             {QStringLiteral("X"), 1.5}});
    const qint64 id2 = db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), QStringLiteral("")},
                                                             {QStringLiteral("Description"), QStringLiteral("")},
                                                             {QStringLiteral("Date"), QDateTime(QDate(2024, 2, 29), QTime(23, 5, 9))}});
    EXPECT_EQ(id2, id1 + 1);

    Cursor c = db->query(QStringLiteral("select * from Points where Id_point = ?"), {id1});
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.value(QStringLiteral("nom")).toString(), name);  // field names in any case
    EXPECT_TRUE(c.isNull(QStringLiteral("DESCRIPTION")));
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("X")).toDouble(), 1.5);
    EXPECT_EQ(c.value(QStringLiteral("Trace")).toLongLong(), 0);  // column defaults apply
    EXPECT_EQ(c.value(QStringLiteral("Selected")).toLongLong(), 0);
    EXPECT_FALSE(c.next());

    Cursor d = db->query(QStringLiteral("select Nom, Description, Date from Points where Id_point = ?"), {id2});
    ASSERT_TRUE(d.next());
    EXPECT_FALSE(d.isNull(QStringLiteral("Description")));
    EXPECT_EQ(d.value(QStringLiteral("Description")).toString(), QString());
    EXPECT_EQ(d.value(QStringLiteral("Date")).toString(), QStringLiteral("2024-02-29 23:05:09"));
    EXPECT_THROW(d.value(QStringLiteral("NoSuchColumn")), DbError);

    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {name}).toLongLong(), 1);
    EXPECT_THROW(db->exec(QStringLiteral("select ?"), {1, 2}), DbError);
}

TEST_F(DatabaseTest, NameComparisonIgnoresCaseIncludingAccents) {
    DbGuard db;
    db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), QStringLiteral("L'église")}});
    db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), QStringLiteral("zebra")}});
    db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), QStringLiteral("École")}});
    db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), QStringLiteral("Alpha")}});
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {QStringLiteral("L'ÉGLISE")})
                  .toLongLong(),
              1);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {QStringLiteral("l'eglise")})
                  .toLongLong(),
              0);
    Cursor c = db->query(QStringLiteral("select Nom from Points order by Nom"));
    QStringList order;
    while (c.next()) order << c.value(0).toString();
    // French order: "É" sorts with "E".
    EXPECT_EQ(order, (QStringList{QStringLiteral("Alpha"), QStringLiteral("École"), QStringLiteral("L'église"),
                                  QStringLiteral("zebra")}));
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {QStringLiteral("ÉCOLE")})
                  .toLongLong(),
              1);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {QStringLiteral("ecole")})
                  .toLongLong(),
              0);
}

TEST_F(DatabaseTest, TransactionsRollBackAndNestedGuardsShareTheConnection) {
    {
        DbGuard db;
        try {
            Transaction tx(*db);
            db->exec(QStringLiteral("insert into Trace (Nom) values (?)"), {QStringLiteral("t1")});
            {
                Transaction inner(*db);
                db->exec(QStringLiteral("insert into Trace (Nom) values (?)"), {QStringLiteral("t2")});
                inner.commit();
            }
            throw std::runtime_error("stop");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace")).toLongLong(), 0);

        {
            Transaction tx(*db);
            db->exec(QStringLiteral("insert into Trace (Nom) values (?)"), {QStringLiteral("kept")});
            {
                Transaction inner(*db);
                db->exec(QStringLiteral("insert into Trace (Nom) values (?)"), {QStringLiteral("dropped")});
            }
            tx.commit();
        }
        EXPECT_EQ(db->scalar(QStringLiteral("select group_concat(Nom) from Trace")).toString(), QStringLiteral("kept"));

        Database* outer = &db.db();
        {
            DbGuard nested;
            EXPECT_EQ(&nested.db(), outer);
        }
        EXPECT_TRUE(DbGuard::isOpen(databasePath()));
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Trace")).toLongLong(), 1);
    }
    EXPECT_FALSE(DbGuard::isOpen(databasePath()));
    EXPECT_FALSE(QFileInfo::exists(databasePath() + QStringLiteral("-journal")));
}

TEST_F(DatabaseTest, ColumnAndTableTestsNeverThrow) {
    DbGuard db;
    EXPECT_TRUE(db->columnExists(QStringLiteral("A propos de"), QStringLiteral("db")));
    EXPECT_TRUE(db->columnExists(QStringLiteral("points"), QStringLiteral("Nom")));
    EXPECT_FALSE(db->columnExists(QStringLiteral("Points"), QStringLiteral("Nothing")));
    EXPECT_FALSE(db->columnExists(QStringLiteral("NoTable"), QStringLiteral("Nom")));
    EXPECT_FALSE(db->columnExists(QStringLiteral("x'); drop table Points; --"), QStringLiteral("Nom")));
    EXPECT_TRUE(db->tableExists(QStringLiteral("Points")));
    EXPECT_FALSE(db->tableExists(QStringLiteral("zz")));
}

ino_t inode(const QString& p) {
    struct stat st {};
    ::stat(QFile::encodeName(p).constData(), &st);
    return st.st_ino;
}

TEST_F(DatabaseTest, CompactionReplacesTheFileAndKeepsRows) {
    const QString tmp = path(QStringLiteral("non_compactee.mdb"));
    {
        DbGuard db;
        Transaction tx(*db);
        Statement ins = db->prepare(QStringLiteral("insert into Points (Nom, Description) values (?, ?)"));
        for (int i = 0; i < 2000; ++i) ins.run({QStringLiteral("p%1").arg(i), QString(200, QLatin1Char('x'))});
        tx.commit();
        db->exec(QStringLiteral("delete from Points where Id_point > 10"));
    }
    {
        QFile stale(tmp);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
    }
    const ino_t before = inode(databasePath());
    const qint64 sizeBefore = QFileInfo(databasePath()).size();
    compactDatabase(databasePath(), tmp);
    EXPECT_NE(inode(databasePath()), before);
    EXPECT_LT(QFileInfo(databasePath()).size(), sizeBefore);
    EXPECT_FALSE(QFileInfo::exists(tmp));
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 10);
    EXPECT_GT(db->scalar(QStringLiteral("select count(*) from Proj")).toLongLong(), 5000);
}

TEST_F(DatabaseTest, FailedCompactionLeavesTheDatabaseUntouched) {
    const QString blocker = path(QStringLiteral("non_compactee.mdb"));
    ASSERT_TRUE(QDir(home()).mkdir(QStringLiteral("non_compactee.mdb")));
    {
        DbGuard db;
        db->exec(QStringLiteral("insert into Points (Nom) values (?)"), {QStringLiteral("kept")});
    }
    const QByteArray before = readAll(databasePath());
    EXPECT_THROW(compactDatabase(databasePath(), blocker), DbError);
    EXPECT_EQ(readAll(databasePath()), before);
    EXPECT_TRUE(QFileInfo(blocker).isDir());

    // An open connection refuses compaction too.
    DbGuard db;
    EXPECT_THROW(compactDatabase(databasePath(), path(QStringLiteral("other.mdb"))), DbError);
    EXPECT_EQ(db->scalar(QStringLiteral("select Nom from Points")).toString(), QStringLiteral("kept"));
}

// For the life of the object, writes past `bytes` in any file fail as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    void (*signal_)(int) = nullptr;
};

TEST_F(DatabaseTest, CompactionKeepsTheModeFollowsALinkAndLeavesNoCopyBehind) {
    struct Case {
        const char* what;
        mode_t mode;
        bool link;  // "sotrix.mdb" a relative link to a file of another folder
        bool fullDisk;
    };
    const Case cases[] = {
        {"private file", 0600, false, false},
        {"group-writable file", 0664, false, false},
        {"link", 0640, true, false},
        {"full disk", 0600, false, true},
        {"full disk through a link", 0640, true, true},
    };
    ASSERT_TRUE(QDir(home()).mkdir(QStringLiteral("ailleurs")));
    const QString elsewhere = path(QStringLiteral("ailleurs"));
    const QString target = QDir(elsewhere).filePath(QStringLiteral("vraie.mdb"));
    const QByteArray link = QFile::encodeName(databasePath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = c.link ? target : databasePath();
        QFile::remove(databasePath());
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(test::deliveredDatabase(), file));
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), c.mode), 0);
        if (c.link) {
            ASSERT_EQ(::symlink("ailleurs/vraie.mdb", link.constData()), 0);
        }
        {
            // More than the page cache holds, so that a failed copy has spilled into its journal.
            DbGuard db;
            Transaction tx(*db);
            Statement ins = db->prepare(QStringLiteral("insert into Points (Nom, Description) values (?, ?)"));
            for (int i = 0; i < 20000; ++i) ins.run({QStringLiteral("p%1").arg(i), QString(200, QLatin1Char('x'))});
            tx.commit();
            db->exec(QStringLiteral("delete from Points where Id_point > 15000"));
        }
        const QByteArray before = readAll(file);
        const ino_t inodeBefore = inode(file);
        const QString tmp = path(QStringLiteral("non_compactee.mdb"));
        if (c.fullDisk) {
            FileSizeLimit full(1 << 20);
            EXPECT_THROW(compactDatabase(databasePath(), tmp), DbError);
        } else {
            compactDatabase(databasePath(), tmp);
        }

        if (c.fullDisk) {
            EXPECT_EQ(readAll(file), before);
        } else {
            EXPECT_NE(inode(file), inodeBefore);
            EXPECT_LT(QFileInfo(file).size(), before.size());
        }
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(QFileInfo(databasePath()).isSymLink(), c.link);
        EXPECT_EQ(QFileInfo(databasePath()).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
        for (const QString& folder : {home(), elsewhere})
            EXPECT_EQ(QDir(folder).entryList({QStringLiteral("non_compactee*")}, QDir::AllEntries | QDir::Hidden),
                      QStringList())
                << folder.toStdString();
        DbGuard db;
        EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 15000);
    }
}

}  // namespace
}  // namespace sotrix
