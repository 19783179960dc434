#include "FileMenu.h"
#include "GisToolCommands.h"
#include "MapServerRenderer.h"
#include "NumericLocale.h"
#include "ReferenceLayerCommands.h"
#include "TransferCommands.h"
#include "frmAccueil.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sotrix::useCNumericLocale();
    // The interface is French: Qt's own buttons and dialogs ("Oui", "Annuler") too.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtFrench);
    sotrix::frmAccueil window;
    sotrix::connecteMenuTransferts(&window);
    window.setReferenceRenderer(std::make_shared<sotrix::MapServerRenderer>());
    sotrix::connecteCoucheReference(&window, window);
    sotrix::connecteMenuFichier(&window);
    sotrix::connecteMenuOutils(&window);
    if (!window.Form_Load()) return 1;
    window.show();
    return app.exec();
}
