// Dialogs made modal by hand: the ends that go through QDialog itself.
#include "HandModal.h"

#include <QApplication>
#include <QMainWindow>
#include <QPointer>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

TEST(HandModalEnds, AcceptAndDoneGiveTheMainWindowBackOnce) {
    QMainWindow main;
    main.show();
    for (int way = 0; way < 3; ++way) {
        QPointer<HandModalDialog> dlg = new HandModalDialog;
        int finished = 0;
        QObject::connect(dlg, &QDialog::finished, [&] { ++finished; });
        dlg->showOver(&main);
        ASSERT_FALSE(main.isEnabled());
        if (way == 0) dlg->accept();
        if (way == 1) dlg->done(7);
        if (way == 2) {
            dlg->accept();
            dlg->reject();  // a second end does nothing more
        }
        EXPECT_TRUE(main.isEnabled()) << way;
        EXPECT_FALSE(dlg->isVisible()) << way;
        EXPECT_EQ(finished, 1) << way;
        if (way == 1) {
            EXPECT_EQ(dlg->result(), 7);
        }
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dlg.isNull()) << way;
    }
}

}  // namespace
}  // namespace sotrix
