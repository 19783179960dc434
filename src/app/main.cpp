#include "frmAccueil.h"
#include "NumericLocale.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sotrix::useCNumericLocale();
    sotrix::frmAccueil window;
    if (!window.Form_Load()) return 1;
    window.show();
    return app.exec();
}
