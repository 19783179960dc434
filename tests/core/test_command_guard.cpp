// The per-command guard and dialogs made modal by hand.
#include "CommandGuard.h"
#include "Database.h"
#include "HandModal.h"
#include "Workspace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QPointer>
#include <QtTest/qtestspontaneevent.h>

namespace sotrix {
namespace {

using test::WorkspaceTest;

class CommandGuardTest : public WorkspaceTest {};

TEST_F(CommandGuardTest, DatabaseErrorIsReportedAndTheTransactionRolledBack) {
    bool cleaned = false;
    const bool ok = runCommand(
        [] {
            DbGuard db;
            Transaction tx(*db);
            db->exec(QStringLiteral("insert into Points (Nom) values (?)"), {QStringLiteral("O'Brien")});
            db->exec(QStringLiteral("select * from NoSuchTable"));
            tx.commit();
        },
        [&] { cleaned = true; });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(cleaned);
    ASSERT_EQ(prompts->prompts().size(), 1u);
    const auto& p = prompts->prompts().front();
    EXPECT_EQ(p.icon, Icon::Exclamation);
    EXPECT_TRUE(p.text.startsWith(QStringLiteral("Une erreur est survenue lors de l'accès à la base de données : ")));
    EXPECT_TRUE(p.text.contains(QStringLiteral("NoSuchTable")));
    DbGuard db;
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points")).toLongLong(), 0);
}

TEST_F(CommandGuardTest, OtherErrorsAreReportedAsUnexpected) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EXPECT_FALSE(runCommand([] { throw std::runtime_error("plus de place"); }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(prompts->texts(), QStringList{QStringLiteral("Une erreur inattendue est survenue : plus de place")});
    EXPECT_TRUE(runCommand([] {}));
    EXPECT_EQ(prompts->prompts().size(), 1u);
}

class ProbeDialog : public HandModalDialog {
public:
    int okCalls = 0;
    bool closeMeansOk = false;
    void ok() {
        ++okCalls;
        finish();
    }

protected:
    void closeFromControlBox() override {
        if (closeMeansOk)
            ok();
        else
            HandModalDialog::closeFromControlBox();
    }
};

TEST(HandModal, EveryWayOutGivesTheMainWindowBack) {
    QMainWindow main;
    main.show();
    for (int way = 0; way < 3; ++way) {
        QPointer<ProbeDialog> dlg = new ProbeDialog;
        dlg->closeMeansOk = way == 2;
        dlg->showOver(&main);
        EXPECT_FALSE(main.isEnabled());
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_TRUE(dlg->isEnabled());
        EXPECT_EQ(dlg->windowModality(), Qt::WindowModal);
        if (way == 0) {
            dlg->reject();  // Cancel or Escape
        } else {
            QCloseEvent ev;  // a close from the window manager
            QSpontaneKeyEvent::setSpontaneous(&ev);
            static_cast<QObject*>(dlg.data())->event(&ev);  // sendEvent would clear the flag
        }
        EXPECT_TRUE(main.isEnabled()) << way;
        EXPECT_EQ(dlg->okCalls, way == 2 ? 1 : 0);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dlg.isNull()) << way;
    }

    // A close made by the program passes through without the Cancel path.
    QPointer<ProbeDialog> dlg = new ProbeDialog;
    dlg->closeMeansOk = true;
    dlg->showOver(&main);
    dlg->close();
    EXPECT_EQ(dlg->okCalls, 0);
    EXPECT_FALSE(main.isEnabled());
    dlg->ok();
    EXPECT_TRUE(main.isEnabled());
}

}  // namespace
}  // namespace sotrix
