#include "NumericLocale.h"
#include "TransferCommands.h"
#include "frmAccueil.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sotrix::useCNumericLocale();
    sotrix::frmAccueil window;
    sotrix::connecteMenuTransferts(&window);
    if (!window.Form_Load()) return 1;
    window.show();
    return app.exec();
}
