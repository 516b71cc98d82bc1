#pragma once
// Qt's own Russian texts for its standard buttons and dialogs ("Да", "Нет", the file
// dialog), from the distribution's Qt translations (Debian: qt6-translations-l10n).

class QCoreApplication;

namespace flowcfg {

// Installs qtbase_ru from Qt's translations directory into app; false when the file is not
// there (the boxes then stay in English).
bool installQtTranslations(QCoreApplication& app);

} // namespace flowcfg
