#include "ListeDossier.h"

#include "Prompter.h"
#include "State.h"

#include <QDir>
#include <QFontMetrics>

#include <algorithm>

namespace sotrix {

int ajusteListe(const QStringList& lines, const QFontMetrics& metrics, int scrollBarWidth) {
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line) + scrollBarWidth);
    return widest;
}

QString choisirDossier(const QString& titre) {
    return prompter().chooseFolder(titre, QDir::currentPath()).value_or(QString());
}

}  // namespace sotrix
