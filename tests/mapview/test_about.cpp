// The about box, opened from the "?" menu.
#include "Version.h"
#include "frmAproposde.h"
#include "test_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest/QTest>
#include <QtTest/qtestspontaneevent.h>

namespace sotrix::test {
namespace {

class AboutBox : public MapviewTest {
protected:
    QPointer<frmAproposde> open() {
        form->findChild<QAction*>(QStringLiteral("a_propos_de"))->trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmAproposde*>(w); d && d->isVisible()) return d;
        return nullptr;
    }
    QString text(QWidget* box, const char* name) {
        auto* label = box->findChild<QLabel*>(QString::fromUtf8(name));
        return label ? label->text() : QStringLiteral("<none>");
    }
};

TEST_F(AboutBox, ShowsTheRunningVersionAndEveryWayOutGivesTheMainWindowBack) {
    ASSERT_TRUE(form->Form_Load());
    for (const char* way : {"OK", "close box", "Escape"}) {
        QPointer<frmAproposde> box = open();
        ASSERT_TRUE(box) << way;
        EXPECT_FALSE(form->isEnabled());
        EXPECT_EQ(box->windowTitle(), QStringLiteral("A propos de Sotrix"));
        EXPECT_EQ(text(box, "lblVersion"), texteVersion());
        EXPECT_EQ(text(box, "lblVersion"), text(form.get(), "lblVersion"));
        EXPECT_EQ(texteVersion(), QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
        EXPECT_EQ(text(box, "Label11"), QStringLiteral("- shp2img pour l'affichage des données cartographiques"));
        EXPECT_EQ(text(box, "Label17"), QStringLiteral("- GDAL pour la gestion des données cartographiques"));
        EXPECT_FALSE(text(box, "Label5").contains(QStringLiteral("sotrix.org")));

        if (std::string(way) == "OK") {
            box->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        } else if (std::string(way) == "Escape") {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            QCloseEvent closeBox;
            QSpontaneKeyEvent::setSpontaneous(&closeBox);
            static_cast<QObject*>(box.data())->event(&closeBox);
        }
        EXPECT_TRUE(form->isEnabled()) << way;
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get())) << way;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(box.isNull()) << way;
    }
    EXPECT_TRUE(prompts->prompts().empty());
}

}  // namespace
}  // namespace sotrix::test
