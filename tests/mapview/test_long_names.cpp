// Names far longer than a screen: the lists, the information window and the messages
// show them bounded, the rows are still found by their keys, and the tables keep the
// names whole.
#include "map_input.h"
#include "test_fixture.h"

#include "Database.h"
#include "Divers.h"
#include "State.h"

#include <QAbstractItemView>
#include <QToolButton>

namespace sotrix {
namespace {

using test::infoWindows;
using test::MapviewTest;

const QString kEllipsis = QString(QChar(0x2026));

// Compares without printing megabytes when they differ.
testing::AssertionResult same(const QString& actual, const QString& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    return testing::AssertionFailure() << actual.size() << " characters: " << actual.left(80).toStdString() << "...";
}

class LongNames : public MapviewTest {
protected:
    QAbstractItemView* view(const char* name) {
        auto* v = form->findChild<QAbstractItemView*>(QString::fromLatin1(name));
        EXPECT_NE(v, nullptr) << name;
        return v;
    }
    static QStringList texts(QAbstractItemView* v) {
        QStringList out;
        for (int i = 0; i < v->model()->rowCount(); ++i) out << v->model()->index(i, 0).data().toString();
        return out;
    }
    // A user's click on the item at that row, which makes it current, then F1; the lines
    // of the window.
    std::vector<QStringList> clickThenF1(QAbstractItemView* v, int row) {
        const QModelIndex index = v->model()->index(row, 0);
        const QRect r = v->visualRect(index);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 4, r.center().y()));
        EXPECT_EQ(v->currentIndex(), index);
        return infoWindows([&] { QTest::keyRelease(v, Qt::Key_F1); });
    }
    QString stored(const QString& sql, qint64 id) {
        DbGuard db;
        return db->scalar(sql, {id}).toString();
    }
    void button(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
};

TEST_F(LongNames, ListsAndTheInformationWindowShowThemBoundedAndFindTheirRows) {
    struct Row {
        const char* what;
        qsizetype length;
        bool twin;  // a second name with the same first characters
    };
    const Row rows[] = {{"1 MB", 1 << 20, true}, {"50 MB", 50 << 20, false}};
    const QString shown = QStringLiteral("Nom : ") + QString(kLongueurAffichee - 1, QLatin1Char('n')) + kEllipsis;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            db->exec(QStringLiteral("delete from Trace"));
        }
        const QString name(r.length, QLatin1Char('n'));
        insertWaypoint(QStringLiteral("Abri"), 0, 0);
        addTrack(QStringLiteral("Abri"), {{0, 0}, {1, 1}});
        const qint64 w1 = insertWaypoint(name + u'1', 10, 10);
        const qint64 t1 = addTrack(name + u'1', {{10, 10}, {11, 11}});
        const qint64 w2 = r.twin ? insertWaypoint(name + u'2', 20, 20) : w1;
        const qint64 t2 = r.twin ? addTrack(name + u'2', {{20, 20}, {21, 21}}) : t1;
        form->majListes();

        for (const char* list : {"lstWaypoint", "lstTrace"}) {
            SCOPED_TRACE(list);
            QAbstractItemView* v = view(list);
            const QStringList items = texts(v);
            ASSERT_EQ(items.size(), r.twin ? 3 : 2);
            EXPECT_EQ(items[0], QStringLiteral("Abri"));
            for (int i = 1; i < items.size(); ++i) EXPECT_TRUE(same(QStringLiteral("Nom : ") + items[i], shown));

            // The last item, twin of the one above it on screen, selects its own row.
            const auto windows = clickThenF1(v, int(items.size()) - 1);
            const bool points = list == std::string_view("lstWaypoint");
            EXPECT_EQ(points ? pointSelected(w2) : traceSelected(t2), true);
            if (r.twin) {
                EXPECT_EQ(points ? pointSelected(w1) : traceSelected(t1), false);
            }
            ASSERT_EQ(windows.size(), 1u);
            ASSERT_FALSE(windows[0].isEmpty());
            EXPECT_TRUE(same(windows[0][0], shown));
            for (const QString& line : windows[0]) EXPECT_LE(line.size(), 40 + kLongueurAffichee);
        }
        EXPECT_EQ(stored(QStringLiteral("select length(Nom) from Points where Id_point = ?"), w2),
                  QString::number(r.length + 1))
            << "the table keeps the name whole";
        EXPECT_EQ(stored(QStringLiteral("select substr(Nom, -1) from Trace where Id_trace = ?"), t2),
                  r.twin ? QStringLiteral("2") : QStringLiteral("1"));
    }
}

TEST_F(LongNames, MessagesNameThemBounded) {
    const QString name(1 << 20, QLatin1Char('n'));
    const QString bounded = QString(kLongueurAffichee - 1, QLatin1Char('n')) + kEllipsis;
    struct Row {
        const char* what;
        std::function<void()> act;
        int at;  // which prompt names it
        QString expected;
    };
    const Row rows[] = {
        {"a merge named like a track",
         [&] {
             addTrack(name, {{0, 0}, {1, 0}}, false, true);
             addTrack(QStringLiteral("b"), {{2, 0}, {3, 0}}, false, true);
             form->majListes();
             prompts->answerInput(name);
             prompts->answerInput(std::nullopt);
             button("cmdFusionner");
         },
         1,
         QStringLiteral("La trace '") + bounded + QStringLiteral("' existe déjà. Veuillez choisir un autre nom.")},
        {"opening a closed track",
         [&] {
             addTrack(name, {{0, 0}, {1, 0}, {0, 1}}, true, true);
             form->majListes();
             prompts->answer(Answer::No);
             button("cmdFermer");
         },
         0,
         QStringLiteral("La trace '") + bounded + QStringLiteral("' est déjà fermée.\nVoulez-vous l'ouvrir ?")},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        {
            DbGuard db;
            db->exec(QStringLiteral("delete from Points"));
            db->exec(QStringLiteral("delete from Trace"));
        }
        prompts->clear();
        viewAt(0, 0, 100);
        r.act();
        const QStringList texts = prompts->texts();
        ASSERT_GT(texts.size(), r.at);
        EXPECT_TRUE(same(texts[r.at], r.expected));
    }
}

}  // namespace
}  // namespace sotrix
