// The "Transferts" menu of the main window: its commands' questions and the transfers
// they start, against a recording transfer service.

#include "TransferCommands.h"

#include "Database.h"
#include "MapCanvas.h"
#include "State.h"
#include "Workspace.h"
#include "frmAccueil.h"
#include "ListeNoms.h"

#include <QAction>
#include <QMenuBar>

#include <stdexcept>

#include <gtest/gtest.h>

namespace sotrix::test {
namespace {

class RecordingTransfers final : public TransferService {
public:
    void telechargeGps(bool w, bool t, bool r) override { calls << QStringLiteral("down %1%2%3").arg(w).arg(t).arg(r); }
    void envoieGps(bool w, bool t, bool s) override { calls << QStringLiteral("up %1%2%3").arg(w).arg(t).arg(s); }
    QStringList calls;
};

const QString kReplace = QStringLiteral("Etes-vous sûr de vouloir remplacer les Waypoints/Traces en cours ?");
const QString kSendBoth = QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Waypoints/Traces sélectionnés ?");
const QString kSendWaypoints = QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Waypoints sélectionnés ?");
const QString kSendTracks = QStringLiteral("Voulez-vous envoyer vers le GPS uniquement les Traces sélectionnées ?");

class TransferMenu : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        window = std::make_unique<frmAccueil>();
        transfers = std::make_shared<RecordingTransfers>();
        connected = connecteMenuTransferts(window.get(), transfers);
    }
    void TearDown() override {
        window.reset();
        WorkspaceTest::TearDown();
    }
    void counts(qint64 w, qint64 wSel, qint64 t, qint64 tSel) {
        State& s = state();
        s.nbWaypoints = w;
        s.nbWaypointsSel = wSel;
        s.nbTraces = t;
        s.nbTracesSel = tSel;
    }
    // Triggers the action, answering the queued questions; returns the questions asked.
    QStringList trigger(const char* name) {
        prompts->clear();
        QAction* action = window->findChild<QAction*>(QString::fromUtf8(name));
        EXPECT_NE(action, nullptr) << name;
        if (action) action->trigger();
        return prompts->texts();
    }
    std::unique_ptr<frmAccueil> window;
    std::shared_ptr<RecordingTransfers> transfers;
    int connected = 0;
};

TEST_F(TransferMenu, SitsBetweenFileAndToolsWithItsShortcuts) {
    EXPECT_EQ(connected, 7);
    QStringList titles;
    for (QAction* a : window->menuBar()->actions()) titles << a->text();
    const qsizetype at = titles.indexOf(QStringLiteral("Transferts"));
    ASSERT_GT(at, 0);
    EXPECT_EQ(titles.mid(at - 1, 3),
              (QStringList{QStringLiteral("Fichier"), QStringLiteral("Transferts"), QStringLiteral("Outils")}));
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("gpsTéléchargerTout"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("gpsEnvoyerTout"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+U")));
}

TEST_F(TransferMenu, DownloadsAskBeforeReplacingData) {
    counts(0, 0, 0, 0);
    EXPECT_TRUE(trigger("gpsTéléchargerTout").isEmpty());
    EXPECT_TRUE(trigger("gpsTéléchargerWaypoints").isEmpty());
    EXPECT_TRUE(trigger("gpsTéléchargerTraces").isEmpty());
    EXPECT_TRUE(trigger("gpsTéléchargerRoutes").isEmpty());
    EXPECT_EQ(transfers->calls, (QStringList{"down 111", "down 100", "down 010", "down 001"}));

    transfers->calls.clear();
    counts(0, 0, 2, 0);
    prompts->answer(Answer::Yes);
    EXPECT_EQ(trigger("gpsTéléchargerRoutes"), QStringList{kReplace});
    EXPECT_EQ(prompts->prompts().back().icon, Icon::Question);
    EXPECT_EQ(prompts->prompts().back().buttons, Buttons::YesNo);
    counts(3, 0, 0, 0);
    prompts->answer(Answer::No);
    EXPECT_EQ(trigger("gpsTéléchargerTout"), QStringList{kReplace});
    EXPECT_EQ(transfers->calls, QStringList{"down 001"});
}

TEST_F(TransferMenu, UploadsAskAboutTheSelection) {
    // Nothing to send: nothing happens and nothing is shown.
    counts(2, 0, 0, 0);
    EXPECT_TRUE(trigger("gpsEnvoyerTraces").isEmpty());
    counts(0, 0, 1, 0);
    EXPECT_TRUE(trigger("gpsEnvoyerWaypoints").isEmpty());
    counts(0, 0, 0, 0);
    EXPECT_TRUE(trigger("gpsEnvoyerTout").isEmpty());
    EXPECT_TRUE(transfers->calls.isEmpty());

    // No selection: no question, everything goes.
    counts(2, 0, 1, 0);
    EXPECT_TRUE(trigger("gpsEnvoyerTout").isEmpty());
    EXPECT_TRUE(trigger("gpsEnvoyerWaypoints").isEmpty());
    EXPECT_TRUE(trigger("gpsEnvoyerTraces").isEmpty());
    EXPECT_EQ(transfers->calls, (QStringList{"up 110", "up 100", "up 010"}));

    // Selected waypoints but no selected track: Yes sends the selection of both kinds.
    transfers->calls.clear();
    counts(2, 1, 1, 0);
    prompts->answer(Answer::Yes);
    EXPECT_EQ(trigger("gpsEnvoyerTout"), QStringList{kSendBoth});
    prompts->answer(Answer::No);
    EXPECT_EQ(trigger("gpsEnvoyerWaypoints"), QStringList{kSendWaypoints});
    EXPECT_TRUE(trigger("gpsEnvoyerTraces").isEmpty());
    counts(2, 0, 1, 1);
    prompts->answer(Answer::Yes);
    EXPECT_EQ(trigger("gpsEnvoyerTraces"), QStringList{kSendTracks});
    EXPECT_EQ(transfers->calls, (QStringList{"up 111", "up 100", "up 010", "up 011"}));
}

// A transfer that fails the way the real ones can: the database, or anything else.
class FailingTransfers final : public TransferService {
public:
    void telechargeGps(bool, bool, bool) override { fail(); }
    void envoieGps(bool, bool, bool) override { fail(); }
    bool databaseError = false;

private:
    void fail() {
        if (databaseError) {
            DbGuard db;
            db->exec(QStringLiteral("select * from NoSuchTable"));
        }
        throw std::runtime_error("port occupé");
    }
};

TEST_F(TransferMenu, AFailingCommandGetsTheMainWindowsCleanUp) {
    auto failing = std::make_shared<FailingTransfers>();
    frmAccueil other;  // a fresh window: its menu connected to the failing service
    ASSERT_EQ(connecteMenuTransferts(&other, failing), 7);
    state().mainView = &other;
    const char* const commands[] = {"gpsTéléchargerTout",  "gpsTéléchargerWaypoints", "gpsTéléchargerTraces",
                                    "gpsTéléchargerRoutes", "gpsEnvoyerTout",          "gpsEnvoyerWaypoints",
                                    "gpsEnvoyerTraces"};
    auto* waypoints = other.findChild<ListeNoms*>(QStringLiteral("lstWaypoint"));
    ASSERT_NE(waypoints, nullptr);
    int stored = 0;
    for (const bool databaseError : {false, true}) {
        failing->databaseError = databaseError;
        for (const char* name : commands) {
            // Rows the lists do not show yet, a map tool in use, nothing selected.
            {
                DbGuard db;
                db->exec(QStringLiteral("insert into Points (Nom, X, Y, Trace) values (?, 0, 0, 0)"),
                         {QStringLiteral("wp%1").arg(++stored)});
            }
            counts(0, 0, 0, 0);
            if (QString::fromUtf8(name).startsWith(QStringLiteral("gpsEnvoyer"))) counts(1, 0, 1, 0);
            state().modeOutil = 4;
            other.picture1()->setPointer(2);
            prompts->clear();
            QAction* action = other.findChild<QAction*>(QString::fromUtf8(name));
            ASSERT_NE(action, nullptr) << name;
            action->trigger();

            ASSERT_EQ(prompts->prompts().size(), 1u) << name;
            EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
            EXPECT_TRUE(prompts->texts()[0].startsWith(
                QString::fromUtf8(databaseError ? "Une erreur est survenue lors de l'accès à la base de données : "
                                                : "Une erreur inattendue est survenue : port occupé")))
                << name << ": " << qPrintable(prompts->texts()[0]);
            EXPECT_EQ(state().modeOutil, 0) << name;
            EXPECT_EQ(other.picture1()->pointer(), 0) << name;
            EXPECT_EQ(waypoints->count(), stored) << name;
            EXPECT_EQ(state().nbWaypoints, stored) << name;
        }
    }
    state().mainView = window.get();
}

}  // namespace
}  // namespace sotrix::test
