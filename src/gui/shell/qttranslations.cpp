// SPDX-License-Identifier: GPL-3.0-or-later
#include "qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "shell/langtext.h"

namespace tallyra::gui {

namespace {

// What Qt takes from the default locale (the file dialog's names of file
// types, the formats of widgets that show numbers and dates) in the language
// of the texts; English keeps the system's conventions when the system is
// English. The file dialog's size and date columns follow the system's
// locale whatever is chosen here.
void FollowLanguageInLocale(int language) {
    static const QLocale original;
    if (language == core::LangPolish)
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    else
        QLocale::setDefault(original.language() == QLocale::English ? original
                                                                    : QLocale(QLocale::English));
}

}  // namespace

bool FollowLanguageInQt(int language) {
    // One catalogue at a time, owned by the application object; the pointer
    // clears itself when that object (and the catalogue with it) is gone.
    static QPointer<QTranslator> installed;
    static int installedLanguage = core::LangEnglish;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || language < core::LangEnglish || language >= core::LangCount) return false;
    if (!installed) installedLanguage = core::LangEnglish;
    FollowLanguageInLocale(language);
    if (language == installedLanguage) return true;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
    }
    installedLanguage = core::LangEnglish;
    // Qt's source texts are English.
    if (language == core::LangEnglish) return true;
    auto* catalogue = new QTranslator(app);
    const QString name = "qtbase_" + QString::fromLatin1(core::LangRecs[language].Code).toLower();
    if (!catalogue->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete catalogue;
        return false;
    }
    QCoreApplication::installTranslator(catalogue);
    installed = catalogue;
    installedLanguage = language;
    return true;
}

}  // namespace tallyra::gui
