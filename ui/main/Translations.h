#pragma once

class QApplication;
class QString;

// Puts Qt's own texts (the file dialogs' buttons, "Look in", "File name", the
// standard buttons of message boxes) into the user's language. Call once at
// start, after the QApplication exists and before any window is made. Qt ships
// no Bosnian catalogue; Croatian is the closest and is used when Bosnian is
// missing. Returns false when neither was found (Qt then stays in English).
bool InstallTranslations(QApplication &app);

// The catalogue file InstallTranslations would load, or an empty text.
QString FindQtTranslation();
