// SPDX-License-Identifier: GPL-3.0-or-later
// Tagged captions on Qt objects: each action or widget keeps its tagged
// texts as properties, so a language change re-selects every caption and
// hint from the originals. Also the menu padding rule and string helpers.
#pragma once

#include <string>

#include <QString>

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace tallyra::gui {

inline QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string S(const QString& s) {
    return s.toUtf8().toStdString();
}

// Selected text of a tagged string as a QString.
QString LT(const char* tagged);
QString LT(const std::string& tagged);

// Gives an action its tagged caption, hint (status text) and optional
// short toolbar tip, and selects them now.
void Tag(QAction* action, const std::string& caption, const std::string& hint = {},
         const std::string& tip = {});
// The same for a menu's title and hint.
void Tag(QMenu* menu, const std::string& caption, const std::string& hint = {});
// A widget's tagged text (labels, buttons, group boxes) or window title.
void TagText(QWidget* widget, const std::string& caption);
void TagTitle(QWidget* widget, const std::string& title);
// A tab page's tagged tab caption (the page must be in a QTabWidget).
void TagTab(QWidget* page, const std::string& caption);

// Re-selects every tagged caption, hint and title of `root` and the objects
// below it.
void ApplyLanguageTo(QObject* root);
// Re-selects one action.
void ApplyLanguageToAction(QAction* action);

// The longest visible entry (trailing blanks ignored) of every menu level
// gets exactly ten blanks after its trimmed caption, giving each level a
// fixed right margin.
void PadMenuCaptions(QMenu* menu);

}  // namespace tallyra::gui
