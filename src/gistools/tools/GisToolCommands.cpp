#include "GisToolCommands.h"

#include "CommandGuard.h"
#include "frmCatalogue.h"
#include "frmInfoFile.h"
#include "frmWms.h"

#include <QAction>
#include <QWidget>

#include <array>
#include <utility>

namespace sotrix {
namespace {

// A fresh window each time; it deletes itself on its way out.
template <class Form>
void ouvre(QWidget* mainWindow) {
    auto* form = new Form();
    form->showOver(mainWindow);
}

}  // namespace

void outilsWMS_Click(QWidget* mainWindow) { ouvre<frmWms>(mainWindow); }
void outilsCatalogue_Click(QWidget* mainWindow) { ouvre<frmCatalogue>(mainWindow); }
void outilsInfo_Click(QWidget* mainWindow) { ouvre<frmInfoFile>(mainWindow); }

int connecteMenuOutils(QWidget* mainWindow) {
    if (!mainWindow) return 0;
    using Handler = void (*)(QWidget*);
    const std::array<std::pair<const char*, Handler>, 3> commands{{
        {"outilsWMS", &outilsWMS_Click},
        {"outilsCatalogue", &outilsCatalogue_Click},
        {"outilsInfo", &outilsInfo_Click},
    }};
    int connected = 0;
    for (const auto& [name, handler] : commands) {
        QAction* action = mainWindow->findChild<QAction*>(QString::fromLatin1(name));
        if (!action) continue;
        QObject::connect(action, &QAction::triggered, mainWindow,
                         [mainWindow, handler = handler] { runUserCommand([&] { handler(mainWindow); }); });
        ++connected;
    }
    return connected;
}

}  // namespace sotrix
