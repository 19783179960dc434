// File > Open on a real screen: an X server of the test's own with a window manager that
// does not composite (openbox). The windows closed before the import, answered as a user
// answers them, must be gone from the screen while it runs.

#include "Database.h"
#include "FileDialogs.h"
#include "FileMenu.h"
#include "State.h"
#include "TypeFichier.h"
#include "Workspace.h"
#include "frmAccueil.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

namespace sotrix::test {
namespace {

// The screen as the X server shows it (the root window).
QImage ecran(const QRect& r) {
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// How many pixels of a differ in b.
int ecarts(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

// At the import's refresh of the lists: the screen where the closed windows were, and the
// main window's own picture of it.
class AccueilFilme final : public frmAccueil {
public:
    QRect zone;
    QImage vu, attendu;
    void majListes() override {
        if (!zone.isEmpty() && vu.isNull()) {
            vu = ecran(zone);
            attendu = grab(QRect(mapFromGlobal(zone.topLeft()), zone.size())).toImage().convertToFormat(QImage::Format_RGB32);
        }
        frmAccueil::majListes();
    }
};

class OpenScreen : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        openbox.start(QStringLiteral("openbox"), {"--sm-disable", "--startup", "echo openbox-pret"});
        QByteArray sortie;
        while (!sortie.contains("openbox-pret") && openbox.waitForReadyRead(20000))
            sortie += openbox.readAllStandardOutput();
        ASSERT_TRUE(sortie.contains("openbox-pret"));
    }
    void TearDown() override {
        openbox.terminate();
        openbox.waitForFinished();
        WorkspaceTest::TearDown();
    }
    QProcess openbox;
};

TEST_F(OpenScreen, TheWindowsClosedBeforeAnImportAreGoneFromTheScreenWhileItRuns) {
    struct Case {
        const char* file;
        int type;
        QByteArray content;  // the second one asks first, and tells the file's system after the dialog
    };
    const Case cases[] = {
        {"points.gpx", typefichier::kOuvrirGpx,
         "<gpx version=\"1.0\"><wpt lat=\"50.85\" lon=\"4.35\"><name>Gare</name></wpt>"
         "<wpt lat=\"50.5\" lon=\"4.25\"><name>Pont</name></wpt></gpx>\n"},
        {"points.csv", typefichier::kOuvrirG7ToWin,
         "G7ToWin\r\nDatum:,WGS 84\r\n\r\n\r\nW,Gare,50.85,4.35,,,,,,,,,,,1\r\nW,Pont,50.5,4.25,,,,,,,,,,,1\r\n"},
    };
    loadOptions();
    state().prompter = std::make_shared<QtPrompter>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString file = path(QString::fromLatin1(c.file));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(c.content) == c.content.size() && f.flush());
        state().positionFiltre[QString::fromUtf16(kDialogueAccueil)] = c.type;
        AccueilFilme window;
        window.setGeometry(80, 80, 1100, 850);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_EQ(connecteMenuFichier(&window), 3);

        // Each window, once the screen shows it, is answered with Enter; in the dialog the
        // file's path is typed first.
        QImage dialogue;
        QTimer regard;
        QObject::connect(&regard, &QTimer::timeout, [&] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || !w->windowHandle() || !w->windowHandle()->isExposed() ||
                ecarts(ecran(QRect(w->mapToGlobal(QPoint(0, 0)), w->size())),
                       w->grab().toImage().convertToFormat(QImage::Format_RGB32)) > 100)
                return;
            if (auto* dlg = qobject_cast<QFileDialog*>(w)) {
                window.zone = dlg->frameGeometry() & QRect(window.mapToGlobal(QPoint(0, 0)), window.size());
                dialogue = ecran(window.zone);
                w = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QTest::keyClicks(w, file);
            }
            QTest::keyClick(w, Qt::Key_Return);
        });
        regard.start(50);
        window.findChild<QAction*>(QStringLiteral("fichierOuvrir"))->trigger();

        ASSERT_FALSE(window.vu.isNull()) << "the import ran after the dialog was seen";
        EXPECT_EQ(DbGuard()->scalar(QStringLiteral("select count(*) from Points")).toInt(), 2);
        // The dialog looked unlike the window under it, and the screen shows the window.
        EXPECT_GT(ecarts(dialogue, window.attendu), window.zone.width() * window.zone.height() / 10);
        EXPECT_EQ(ecarts(window.vu, window.attendu), 0);
    }
}

}  // namespace
}  // namespace sotrix::test
