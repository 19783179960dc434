#include "TexteAdmis.h"

namespace sotrix {

QString remplaceNonAdmis(const QString& texte) {
    QString resultat;
    const qsizetype n = texte.size();
    qsizetype copie = 0;  // texte[..copie) is in resultat
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = texte[i];
        if (c.isHighSurrogate() && i + 1 < n && texte[i + 1].isLowSurrogate()) {
            ++i;  // a pair: a character from U+10000, admitted
            continue;
        }
        if (!c.isSurrogate() && caractereAdmis(c.unicode())) continue;
        resultat.append(QStringView(texte).sliced(copie, i - copie)).append(QChar::ReplacementCharacter);
        copie = i + 1;
    }
    if (copie == 0) return texte;
    return resultat.append(QStringView(texte).sliced(copie));
}

}  // namespace sotrix
