// A click on another control of the settings dialog while an edited box waits for its
// question, made as the user makes it: the press and the release come through the
// window, the release while the question may be on screen, and the question is a real
// modal box. The clicked control acts once the question is answered.
#include "test_options_fixture.h"

#include "Prompter.h"
#include "State.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

#include <functional>

namespace sotrix {
namespace {

using test::OptionsTest;


class OptionsClick : public OptionsTest {
protected:
    void SetUp() override {
        OptionsTest::SetUp();
        state().prompter = std::make_shared<QtPrompter>();
    }
    // Puts the focus into the box and types the text there.
    void typeInto(const char* box, const QString& text) {
        auto* tabs = control<QTabWidget>("SSTab1");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(edit(box))) tabs->setCurrentIndex(i);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        edit(box)->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(edit(box)->hasFocus()) << box;
        edit(box)->setText(text);
    }
    // Presses and releases the mouse on the control through its window. A question box
    // shown during the press gets the release first, as a user's hand lifts while it is
    // up; every box is answered Yes. The texts asked.
    QStringList clickAnsweringYes(QWidget* target) {
        QWindow* window = dialog->windowHandle();
        const QPoint at = target->mapTo(dialog.data(), QPoint(8, target->height() / 2));
        bool released = false;
        QStringList asked;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            if (!released) {
                released = true;
                QTest::mouseRelease(window, Qt::LeftButton, {}, at);
            }
            asked << box->text();
            box->button(QMessageBox::Yes)->click();
        });
        poll.start();
        QTest::mousePress(window, Qt::LeftButton, {}, at);
        if (!released) {
            released = true;
            QTest::mouseRelease(window, Qt::LeftButton, {}, at);
        }
        QApplication::processEvents();
        return asked;
    }
    QString stored(const QString& sql) {
        DbGuard db;
        return db->scalar(sql).toString();
    }
};

TEST_F(OptionsClick, TheClickedControlActsAfterTheQuestionOfTheBoxItLeft) {
    const QString urlQuestion = QStringLiteral("Etes-vous sûr de vouloir changer l'adresse du serveur de mise à jour ?");
    const QString proj4Question =
        QStringLiteral("Vous avez modifié la commande proj.4 associée au système de projection sélectionné.\n"
                       "Voulez-vous sauvegarder ces modifications ?");
    const QString lambert = stored(QStringLiteral("select Proj4 from Proj where Epsg = 31370"));
    bool wasChecked = false;
    struct Row {
        const char* box;
        QString text;
        const char* target;
        QString question;
        std::function<void()> acted;
    };
    const Row rows[] = {
        {"txtUpdate", QStringLiteral("http://127.0.0.1:9/a.txt"), "cmdOk", urlQuestion,
         [&] {
             EXPECT_TRUE(closed()) << "Ok closes the dialog";
             EXPECT_EQ(stored(QStringLiteral("select urlUpdate from Options")),
                       QStringLiteral("http://127.0.0.1:9/a.txt"));
         }},
        {"txtUpdate", QStringLiteral("http://127.0.0.1:9/b.txt"), "chkUpdate", urlQuestion,
         [&] { EXPECT_NE(control<QCheckBox>("chkUpdate")->isChecked(), wasChecked); }},
        {"txtProj4", lambert + QStringLiteral(" +wktext"), "optGps", proj4Question,
         [&] {
             EXPECT_TRUE(control<QRadioButton>("optGps")->isChecked());
             EXPECT_EQ(stored(QStringLiteral("select Proj4 from Proj where Epsg = 31370")),
                       lambert + QStringLiteral(" +wktext"));
             EXPECT_EQ(edit("txtProj4")->text(), stored(QStringLiteral("select Proj4 from Proj where Epsg = 4326")));
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.target);
        ASSERT_TRUE(open());
        auto* target = control<QAbstractButton>(r.target);
        wasChecked = target->isChecked();
        typeInto(r.box, r.text);
        EXPECT_EQ(clickAnsweringYes(target).join(u'|').toStdString(), r.question.toStdString());
        if (!closed()) {
            EXPECT_FALSE(target->isDown()) << "not left drawn pressed";
        }
        r.acted();
        if (!closed()) {
            button("cmdAnnuler")->click();
            ASSERT_TRUE(closed());
        }
    }
}

}  // namespace
}  // namespace sotrix
