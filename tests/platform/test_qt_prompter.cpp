// The on-screen file dialogs: Qt's own dialog with the captions given, shown as written
// and listing the files their patterns name, the preselected filter, extensions matched
// whatever their case, no overwrite question of its own, and the chosen path and filter
// position given back.
#include "Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <functional>

namespace sotrix {
namespace {

const QStringList kFilters{QStringLiteral("Shapefile (*.shp)"), QStringLiteral("GPX (*.gpx)"),
                           QStringLiteral("CSV : séparateur point virgule (*.csv)")};

// Runs check on the dialog once it is shown.
void whenShown(const std::function<void(QFileDialog&)>& check) {
    QTimer::singleShot(0, [check] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        check(*dlg);
    });
}

// Types a file name and presses the accept button.
void type(QFileDialog& dlg, const QString& name) {
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    QMetaObject::invokeMethod(&dlg, "accept");
}

// The names the dialog lists as selectable in its current folder, once the listing
// differs from before (it is refreshed in the background).
QString listed(QFileDialog& dlg, const QString& before = {}) {
    auto* view = dlg.findChild<QListView*>(QStringLiteral("listView"));
    if (!view) return {};
    const auto names = [view] {
        QStringList out;
        for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i) {
            const QModelIndex index = view->model()->index(i, 0, view->rootIndex());
            if (view->model()->flags(index) & Qt::ItemIsEnabled) out << index.data().toString();
        }
        out.sort();
        return out.join(u',');
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !names().isEmpty() && names() != before; }, 5000)) << before.toStdString();
    return names();
}

TEST(QtPrompterFiles, OpenAndSaveUseQtsDialogAndGiveBackPathAndPosition) {
    QTemporaryDir dir;
    for (const char* name : {"A.SHP", "b.shp", "c.gpx", "d.CSV"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QtPrompter prompter;
    QStringList seen;
    whenShown([&](QFileDialog& dlg) {
        EXPECT_TRUE(dlg.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(dlg.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Ouvrir un fichier"));
        EXPECT_EQ(dlg.nameFilters(), kFilters);
        EXPECT_EQ(dlg.selectedNameFilter(), kFilters[0]);
        seen << listed(dlg);
        dlg.selectNameFilter(kFilters[2]);
        seen << listed(dlg, seen.back());
        type(dlg, QStringLiteral("d.CSV"));
    });
    const auto opened = prompter.openFile({QStringLiteral("Ouvrir un fichier"), kFilters, 1, dir.path(), {}, false});
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->files, QStringList{dir.filePath(QStringLiteral("d.CSV"))});
    EXPECT_EQ(opened->filterIndex, 3);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("A.SHP,b.shp"), QStringLiteral("d.CSV")}));

    // Saving over an existing file asks nothing here; the preselected filter is the one asked.
    whenShown([&](QFileDialog& dlg) {
        EXPECT_TRUE(dlg.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dlg.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dlg.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dlg.selectedNameFilter(), kFilters[1]);
        type(dlg, QStringLiteral("c.gpx"));
    });
    const auto saved = prompter.saveFile({QStringLiteral("Enregistrer"), kFilters, 2, dir.path(), {}, false});
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->files, QStringList{dir.filePath(QStringLiteral("c.gpx"))});
    EXPECT_EQ(saved->filterIndex, 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no question of Qt's own";

    whenShown([](QFileDialog& dlg) { dlg.reject(); });
    EXPECT_FALSE(prompter.openFile({QStringLiteral("Ouvrir un fichier"), kFilters, 1, dir.path(), {}, false}));
}

TEST(QtPrompterFiles, CaptionsAreShownAsWrittenAndListTheFilesTheyName) {
    QTemporaryDir dir;
    for (const char* name : {"a.tif", "b.JPG", "c.ecw", "d.txt"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QStringList rasters{QStringLiteral("Tous les fichiers (*.tif, *.jpg)"), QStringLiteral("Tiff (*.tif)")};
    const QStringList kinds{QStringLiteral("Vectoriel"), QStringLiteral("Raster")};
    struct Case {
        QStringList captions;
        int position;
        QString listed;
    };
    const std::vector<Case> cases{
        {rasters, 1, QStringLiteral("a.tif,b.JPG")},
        {rasters, 2, QStringLiteral("a.tif")},
        {kinds, 1, QStringLiteral("a.tif,b.JPG,c.ecw,d.txt")},
        {kinds, 2, QStringLiteral("a.tif,b.JPG,c.ecw,d.txt")},
    };
    QtPrompter prompter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.captions.join(u'|').toStdString() + " " + std::to_string(c.position));
        QStringList shown;
        QString seen;
        whenShown([&](QFileDialog& dlg) {
            auto* combo = dlg.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(combo, nullptr);
            for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
            EXPECT_EQ(combo->currentIndex(), c.position - 1);
            seen = listed(dlg);
            type(dlg, QStringLiteral("a.tif"));
        });
        const auto chosen = prompter.openFile({QStringLiteral("Ouvrir"), c.captions, c.position, dir.path(), {}, false});
        EXPECT_EQ(shown, c.captions);
        EXPECT_EQ(seen, c.listed);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(chosen->filterIndex, c.position);
    }
}

}  // namespace
}  // namespace sotrix
