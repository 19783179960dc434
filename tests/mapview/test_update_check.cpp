// The update check against a scripted server on 127.0.0.1, from the menu and at start-up.
#include "Database.h"
#include "State.h"
#include "SettingsDefaults.h"
#include "UpdateCheck.h"
#include "test_fixture.h"
#include "test_update_server.h"

#include <QAction>
#include <QApplication>
#include <QTcpServer>
#include <QtTest/QTest>

#include <functional>

namespace sotrix::test {
namespace {

using Outcome = UpdateChecker::Outcome;

const QString kDownload = QStringLiteral("http://127.0.0.1:1/sotrix-2.7.tar.gz");

class UpdateCheck : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        QApplication::setQuitOnLastWindowClosed(false);
        state().reachability = std::make_shared<FixedReachability>(true);
        checker().setNetworkAccessManager(&manager);
        checker().setTimeouts(300, 1000);
        QObject::connect(&checker(), &UpdateChecker::finished, &checker(),
                         [this](Outcome o) { outcomes.push_back(o); });
        state().paramUrlUpdate = server.base(QStringLiteral("/maj"));
    }

    UpdateChecker& checker() { return form->updateChecker(); }

    // Runs one check and waits for its end.
    std::vector<Outcome> check(bool manual) {
        outcomes.clear();
        checker().update(manual);
        EXPECT_TRUE(QTest::qWaitFor([this] { return !outcomes.empty(); }, 5000));
        return outcomes;
    }

    LoopbackOnlyManager manager;
    ScriptedHttpServer server;
    std::vector<Outcome> outcomes;
};

TEST_F(UpdateCheck, EveryFailureWarnsOnceFromTheMenuAndSaysNothingAtStartUp) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 refusedPort = closed.serverPort();
    closed.close();

    struct Case {
        const char* name;
        std::function<void()> script;
    };
    const Case cases[] = {
        {"malformed", [&] { server.serve({200, "<?xml version=\"1.0\"?><sotrix><version>3.0</version><url>x</url>"}); }},
        {"no url", [&] { server.serve({200, "<?xml version=\"1.0\"?><sotrix><version>3.0</version></sotrix>"}); }},
        {"no declaration", [&] { server.serve({200, "<sotrix><version>3.0</version><url>http://a/</url></sotrix>"}); }},
        {"bad version", [&] { server.serve({200, updateDocument(QStringLiteral("3"), kDownload)}); }},
        {"404 with a newer document", [&] { server.serve({404, updateDocument(QStringLiteral("9.0"), kDownload)}); }},
        {"file download address",
         [&] { server.serve({200, updateDocument(QStringLiteral("9.0"), QStringLiteral("file:///bin/sh"))}); }},
        {"hang", [&] { server.mode = ScriptedHttpServer::Mode::Silent; }},
        {"trickle past the overall limit", [&] { server.mode = ScriptedHttpServer::Mode::Trickle; }},
        {"closed at once", [&] { server.mode = ScriptedHttpServer::Mode::CloseAtOnce; }},
        {"refused port",
         [&] { state().paramUrlUpdate = QStringLiteral("http://127.0.0.1:%1/maj").arg(refusedPort); }},
        {"invalid port", [&] { state().paramUrlUpdate = QStringLiteral("http://127.0.0.1:99999/maj"); }},
        // The test's network access manager fails any host but 127.0.0.1: a reserved name
        // is refused before any lookup.
        {"reserved host", [&] { state().paramUrlUpdate = QString::fromLatin1(defaut::urlUpdate); }},
    };
    for (const Case& c : cases) {
        for (const bool manual : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (manual ? " (menu)" : " (start-up)"));
            state().paramUrlUpdate = server.base(QStringLiteral("/maj"));
            c.script();
            prompts->clear();
            EXPECT_EQ(check(manual), std::vector<Outcome>{Outcome::Failed});
            QTest::qWait(manual ? 0 : 400);  // nothing comes later either
            EXPECT_EQ(prompts->texts(),
                      manual ? QStringList{QString::fromUtf8(kMsgMajEchec)} : QStringList());
            if (manual) {
                EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
            }
        }
    }
    EXPECT_TRUE(form->isVisible());
}

TEST_F(UpdateCheck, SameVersionIsToldOnlyFromTheMenu) {
    // In pieces and with the revision as a decimal number: 2.6.11.5 is 2.6.11.
    server.serve({200, updateDocument(QStringLiteral("2.6.11.5"), kDownload), 5, 30});
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Current});
    ASSERT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgMajAucune)});
    EXPECT_EQ(prompts->prompts()[0].icon, Icon::Information);
    prompts->clear();
    EXPECT_EQ(check(false), std::vector<Outcome>{Outcome::Current});
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(UpdateCheck, NewerVersionOpensTheAddressAndQuits) {
    server.serve({200, updateDocument(QStringLiteral("2.7"), kDownload)});
    prompts->answer(Answer::Yes);
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Newer});
    ASSERT_EQ(prompts->prompts().size(), 2u);
    EXPECT_EQ(prompts->prompts()[0].text, QString::fromUtf8(kMsgMajDisponible));
    EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::YesNo);
    EXPECT_EQ(prompts->prompts()[1].kind, PromptKind::OpenUrl);
    EXPECT_EQ(prompts->prompts()[1].text, kDownload);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(UpdateCheck, NewerVersionWithUnsavedDataLetsTheUserStay) {
    insertWaypoint(QStringLiteral("Borne"), 150000, 170000);
    form->majListes();
    state().modifWaypoints = true;
    server.serve({200, updateDocument(QStringLiteral("3.0.0"), kDownload)});
    prompts->answer(Answer::Yes);  // download
    prompts->answer(Answer::No);   // quit anyway?
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Newer});
    EXPECT_EQ(prompts->prompts().back().text,
              QStringLiteral("Les Waypoints et/ou les Traces en cours n'ont pas été enregistrés.\n"
                             "Voulez-vous néanmoins continuer ?"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(list("lstWaypoint")->count(), 1);
}

TEST_F(UpdateCheck, StartUpAsksAboutANewerVersion) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update Options set checkUpdate = 1, urlUpdate = ?"), {server.base(QStringLiteral("/maj/"))});
    }
    server.serve({200, updateDocument(QStringLiteral("2.6.12"), kDownload)});
    prompts->answer(Answer::No);
    outcomes.clear();
    ASSERT_TRUE(form->Form_Load());
    EXPECT_FALSE(checker().majManuelle());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !outcomes.empty(); }, 5000));
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::Newer});
    EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgMajDisponible)});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(UpdateCheck, AddressesWithAndWithoutSlashOrSchemeAskForTheSameDocument) {
    server.serve({200, updateDocument(QStringLiteral("2.6"), kDownload)});
    const QString port = QString::number(server.port());
    for (const QString& base : {server.base(QStringLiteral("/maj")), server.base(QStringLiteral("/maj/")),
                                QStringLiteral("127.0.0.1:") + port + QStringLiteral("/maj")}) {
        state().paramUrlUpdate = base;
        EXPECT_EQ(check(false), std::vector<Outcome>{Outcome::Current}) << base.toStdString();
    }
    EXPECT_EQ(server.paths, QStringList(3, QStringLiteral("/maj/sotrix.xml")));
}

TEST_F(UpdateCheck, OfflineOrWithoutAddressNoConnectionIsMade) {
    state().reachability = std::make_shared<FixedReachability>(false);
    prompts->answer(Answer::No);
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Skipped});
    EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgMajHorsLigne)});
    prompts->clear();
    EXPECT_EQ(check(false), std::vector<Outcome>{Outcome::Skipped});
    EXPECT_TRUE(prompts->prompts().empty());

    state().reachability = std::make_shared<FixedReachability>(true);
    state().paramUrlUpdate.clear();
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Skipped});
    EXPECT_TRUE(prompts->prompts().empty());
    QTest::qWait(100);
    EXPECT_EQ(server.connections, 0);

    // Offline, Yes goes on.
    state().reachability = std::make_shared<FixedReachability>(false);
    state().paramUrlUpdate = server.base(QStringLiteral("/maj"));
    server.serve({200, updateDocument(QStringLiteral("1.0"), kDownload)});
    prompts->answer(Answer::Yes);
    EXPECT_EQ(check(true), std::vector<Outcome>{Outcome::Current});
    EXPECT_EQ(server.connections, 1);
}

TEST_F(UpdateCheck, ACheckStartedOverARunningOneGivesOneOutcome) {
    server.serve({200, updateDocument(QStringLiteral("2.0"), kDownload), 2, 200});
    outcomes.clear();
    checker().update(false);
    checker().update(false);
    QTest::qWait(1000);
    EXPECT_EQ(outcomes, std::vector<Outcome>{Outcome::Current});
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(UpdateCheck, MenuItemRunsTheCheckFromTheMenu) {
    server.serve({200, updateDocument(QStringLiteral("2.5.99"), kDownload)});
    outcomes.clear();
    form->findChild<QAction*>(QStringLiteral("outilsUpdate"))->trigger();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !outcomes.empty(); }, 5000));
    EXPECT_TRUE(checker().majManuelle());
    EXPECT_EQ(prompts->texts(), QStringList{QString::fromUtf8(kMsgMajAucune)});
}

}  // namespace
}  // namespace sotrix::test
