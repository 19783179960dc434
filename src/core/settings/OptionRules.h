#pragma once
// The rules of the settings dialog that need no widget: the validation of "Ok", the
// reading of the offset, the datum test and the notices.

#include <QLocale>
#include <QString>

#include <optional>

namespace sotrix {

// What the controls of the settings dialog hold when "Ok" is pressed (positions are
// 0-based, -1 when nothing is chosen).
struct OptionControls {
    int type = -1;
    int port = -1;
    int vitesse = -1;
    QString decalage;
    qint32 codeCarto = 0;
    qint32 codeGps = 0;
    QString dossier;
    int taille = -1;
};

// The refusal message of the first failing test of "Ok", in their fixed order, or
// nullopt when every test passes.
std::optional<QString> valideOptions(const OptionControls& c, const QLocale& locale = QLocale());

// The offset typed in hours, taken to the whole number at or below it; nullopt when the
// text is not a number in the locale's format or that number lies outside 16 bits.
std::optional<int> litDecalage(const QString& text, const QLocale& locale = QLocale());

// Whether a PROJ.4 string names its datum ("+datum" or "+towgs84", case-sensitive).
bool porteDatum(const QString& proj4);

// The question asked when the shown system's string names no datum.
QString questionDatum();

extern const char* const kMsgNoticeProjGps;
extern const char* const kMsgNoticeProjFichier;
extern const char* const kMsgNoticeDecalage;
extern const char* const kMsgNoticeCouleurShp;
extern const char* const kMsgPortUsb;
extern const char* const kMsgLectureProj;

}  // namespace sotrix
