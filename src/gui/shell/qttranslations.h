// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (standard buttons, file dialogs, editor context menus) in
// the program's current language, from the translations Qt is installed
// with (Debian: qt6-translations-l10n).
#pragma once

namespace tallyra::gui {

// Makes Qt's own texts follow `language` (1 English, 2 Polish): a language
// other than English installs Qt's "qtbase_<code>" catalogue from the folder
// QLibraryInfo names for translations, English removes it. The default
// QLocale follows too (Polish: pl_PL; English: the system's locale when it
// is English, else plain English), so that the dates and sizes Qt formats
// match the texts. Does nothing when there is no application object.
// Returns false when the catalogue is missing or unreadable; Qt's texts are
// English then.
bool FollowLanguageInQt(int language);

}  // namespace tallyra::gui
