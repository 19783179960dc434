// Windows sized to what they show: the information window to its lines, up to the
// screen, also where the screen's scale is fractional; the name prompts to their titles.
#include "map_input.h"
#include "scaled_screen.h"
#include "test_fixture.h"

#include "Database.h"
#include "EditPrompts.h"
#include "State.h"
#include "frmInfo.h"

#include <QInputDialog>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <functional>

namespace sotrix {
namespace {

using test::MapviewTest;

// Runs check on the first modal window shown by action, then closes it.
void onModal(const std::function<void()>& action, const std::function<void(QDialog&)>& check) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || seen) return;
        seen = true;
        // As the window manager has placed and sized it, on a machine however busy.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog, 30000));
        QApplication::processEvents();
        check(*dialog);
        dialog->reject();
    });
    poll.start();
    action();
    QApplication::processEvents();
    EXPECT_TRUE(seen) << "no window";
}

TEST_F(MapviewTest, WindowsAreSizedToWhatTheyShow) {
    state().prompter = std::make_shared<QtPrompter>();
    const qint64 iseran = insertWaypoint(QStringLiteral("Iseran"), 150000, 170000);
    const qint64 boucle = addTrack(QStringLiteral("Boucle"), {{151000, 171000}, {151200, 171000}}, true);
    const qint64 longue = addTrack(QString(4000, QLatin1Char('n')), {{0, 0}, {1, 1}});
    {
        DbGuard db;
        db->exec(QStringLiteral("update Points set \"Date\" = '2021-03-05 14:07:09', Description = 'Sommet', "
                                "Lat = 45.4, Lon = 7.0, Altitude = 2764"));
        db->exec(QStringLiteral("update Trace set Description = 'Tour du lac'"));
    }
    form->majListes();
    const QRect screen = form->screen()->availableGeometry();
    const auto infoOf = [&](const char* list, qint64 key) {
        return [this, list, key] {
            auto* l = this->list(list);
            for (int i = 0; i < l->count(); ++i) {
                if (l->key(i) == key) l->setCurrentRow(i);
            }
            QTest::keyRelease(l, Qt::Key_F1);
        };
    };
    const auto allLinesInView = [&](bool sideways) {
        return [&screen, sideways](QDialog& w) {
            auto* l = w.findChild<QListWidget*>(QStringLiteral("lstInfo"));
            ASSERT_NE(l, nullptr);
            ASSERT_GT(l->count(), 0);
            EXPECT_FALSE(l->verticalScrollBar()->isVisible()) << l->count() << " lines in " << l->height() << " px";
            EXPECT_LE(l->visualItemRect(l->item(l->count() - 1)).bottom(), l->viewport()->height());
            EXPECT_EQ(l->horizontalScrollBar()->isVisible(), sideways);
            EXPECT_LE(w.frameGeometry().height(), screen.height());
            EXPECT_LE(w.width(), screen.width());
        };
    };
    const auto titleFits = [&screen](QDialog& w) {
        EXPECT_NE(qobject_cast<QInputDialog*>(&w), nullptr);
        QFont bold = w.font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        EXPECT_GE(w.width(), metrics.horizontalAdvance(w.windowTitle()) + 4 * metrics.height()) << w.width();
        EXPECT_LE(w.width(), screen.width());
    };
    // Ten lines and some empty ones between them, which the list may give another height.
    const auto lines = [this](int empty) {
        return [this, empty] {
            QStringList text;
            for (int i = 1; i <= 10; ++i) {
                text << QStringLiteral("Ligne %1").arg(i);
                if (i <= empty) text << QString();
            }
            frmInfo w(form.get());
            w.remplit(text);
            w.exec();
        };
    };
    const auto namePrompt = [](const DemandeNom& d) {
        return [&d] { prompter().input(QString::fromUtf8(d.prompt), QString::fromUtf8(d.titre), QString()); };
    };
    struct Row {
        const char* what;
        std::function<void()> open;
        std::function<void(QDialog&)> check;
        double scale = 1;
    };
    const Row rows[] = {
        {"a waypoint's 10 lines", infoOf("lstWaypoint", iseran), allLinesInView(false)},
        {"a track's 20 lines", infoOf("lstTrace", boucle), allLinesInView(false)},
        {"a waypoint's 10 lines at 1.5", infoOf("lstWaypoint", iseran), allLinesInView(false), 1.5},
        {"a track's 20 lines at 1.5", infoOf("lstTrace", boucle), allLinesInView(false), 1.5},
        // Sizes of every remainder that a rounding to steps of screen pixels can cut.
        {"10 lines at 1.5", lines(0), allLinesInView(false), 1.5},
        {"10 lines and an empty one at 1.5", lines(1), allLinesInView(false), 1.5},
        {"10 lines and 2 empty ones at 1.5", lines(2), allLinesInView(false), 1.5},
        {"10 lines and 3 empty ones at 1.5", lines(3), allLinesInView(false), 1.5},
        {"a track with a long name", infoOf("lstTrace", longue), allLinesInView(true)},
        {"new waypoint", namePrompt(kNomWaypoint), titleFits},
        {"new track", namePrompt(kNomTrace), titleFits},
        {"average waypoint", namePrompt(kNomWaypointMoyen), titleFits},
        {"merge", namePrompt(kNomFusion), titleFits},
    };
    const double here = test::echelleEcran();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.scale == here) onModal(r.open, r.check);
    }
    if (here == 1) test::lanceAEchelle(1.5, true);
}

}  // namespace
}  // namespace sotrix
