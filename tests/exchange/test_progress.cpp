// The progress window: layout, steps, and the refusal of every close but its caller's.

#include "frmProgress.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

TEST(FrmProgress, LayoutAndSteps) {
    frmProgress window;
    window.setCaption(QStringLiteral("Transfert en cours..."));
    window.setTitre(QStringLiteral("Envoi des Traces vers le GPS"));
    window.setRange(0, 5);
    window.showProgress();

    EXPECT_EQ(window.objectName(), QStringLiteral("frmProgress"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Transfert en cours..."));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.size(), QSize(361, 58));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    auto* titre = window.findChild<QLabel*>(QStringLiteral("Titre"));
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("progress"));
    ASSERT_TRUE(titre && bar);
    EXPECT_EQ(titre->geometry(), QRect(8, 8, 337, 17));
    EXPECT_EQ(bar->geometry(), QRect(8, 24, 345, 25));
    EXPECT_EQ(titre->text(), QStringLiteral("Envoi des Traces vers le GPS"));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 5);
    EXPECT_EQ(bar->value(), 0);

    window.step();
    window.step();
    EXPECT_EQ(bar->value(), 2);
    EXPECT_EQ(window.value(), 2);

    // A second use starts again from the minimum.
    window.setRange(0, 6);
    EXPECT_EQ(bar->value(), 0);
    window.closeFromCode();
}

TEST(FrmProgress, GrowsUntilCaptionAndTitleShowWhole) {
    struct Row {
        const char* caption;
        const char* titre;
    } rows[] = {
        {"Transfert en cours...", "Téléchargement des Waypoints, des Traces et des Routes"},
        {"Transfert en cours...", "Envoi des Waypoints et des Traces vers le GPS"},
        {"Création du catalogue en cours...", "Création du catalogue..."},
        {"Transfert en cours... Transfert en cours... Transfert en cours... Transfert en cours...", "Court"},
        {"Transfert en cours...", "Téléchargement des Waypoints, des Traces et des Routes depuis le port COM1 "
                                  "du GPS, avec un titre deux fois plus long que la fenêtre"},
    };
    for (const Row& row : rows) {
        frmProgress window;
        window.setCaption(QString::fromUtf8(row.caption));
        window.setTitre(QString::fromUtf8(row.titre));
        window.showProgress();
        auto* titre = window.findChild<QLabel*>(QStringLiteral("Titre"));
        auto* bar = window.findChild<QProgressBar*>(QStringLiteral("progress"));
        ASSERT_TRUE(titre && bar);
        const QFontMetrics metrics = titre->fontMetrics();
        const int screenWidth = window.screen()->availableSize().width();
        // On one line when it fits the screen, else wrapped on lines that all show.
        if (metrics.horizontalAdvance(titre->text()) + 24 <= screenWidth) {
            EXPECT_FALSE(titre->wordWrap()) << row.titre;
            EXPECT_GE(titre->width(), metrics.horizontalAdvance(titre->text())) << row.titre;
            EXPECT_GE(titre->height(), metrics.height()) << row.titre;
        } else {
            EXPECT_TRUE(titre->wordWrap()) << row.titre;
            EXPECT_GE(titre->height(), titre->heightForWidth(titre->width())) << row.titre;
            EXPECT_GE(titre->height(), 2 * metrics.height()) << row.titre;
        }
        EXPECT_LE(titre->geometry().right(), window.width() - 8) << row.titre;
        EXPECT_GT(window.width(), window.fontMetrics().horizontalAdvance(window.windowTitle())) << row.caption;
        EXPECT_GE(window.width(), 361);
        EXPECT_LE(window.width(), std::max(361, screenWidth));
        // The bar spans the width under the title line, inside the window.
        EXPECT_EQ(bar->geometry(), QRect(8, titre->geometry().bottom(), window.width() - 16, 25)) << row.titre;
        EXPECT_GE(window.height(), bar->geometry().bottom() + 1 + 8) << row.titre;
        EXPECT_EQ(window.minimumSize(), window.maximumSize());
        window.closeFromCode();
    }
}

TEST(FrmProgress, RefusesEveryCloseButTheCallers) {
    QWidget main;
    main.show();
    frmProgress window;
    window.setRange(0, 6);
    window.showProgress();
    EXPECT_EQ(QApplication::activeModalWidget(), &window);
    EXPECT_EQ(window.windowModality(), Qt::ApplicationModal);

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &esc);
    EXPECT_TRUE(window.isVisible());

    // The window manager's close (the close box, Alt+F4) arrives as a spontaneous event.
    QCloseEvent closeBox;
    QApplication::sendEvent(&window, &closeBox);
    EXPECT_FALSE(closeBox.isAccepted());
    EXPECT_TRUE(window.isVisible());

    window.closeFromCode();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(FrmProgress, DestroyedWhileShownReleasesTheModality) {
    {
        frmProgress window;
        window.showProgress();
        EXPECT_EQ(QApplication::activeModalWidget(), &window);
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace sotrix
