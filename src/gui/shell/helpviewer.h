// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer: topics are HTML pages help/<EN|PL>/<context>.html, plus
// "contents.html" and "index.html"; Search lists the pages holding a word.
// The help folder is share/tallyra/help beside the program's bin folder (in
// the build tree too), or the folder TALLYRA_HELP_DIR names.
#pragma once

#include <string>

#include <QDialog>

class QLineEdit;
class QTextBrowser;

namespace tallyra::gui {

class THelpViewer : public QDialog {
public:
    // `product` names the program in the window title ("Tallyra Station");
    // it may carry language tags.
    THelpViewer(QWidget* parent, std::string product);

    void SetLanguage(int language);
    // Shows the page of a context number; a missing page shows a short note.
    void ShowContext(int context);
    void ShowContents();
    void ShowIndex();
    // The page on using this viewer ("using.html").
    void ShowUsingHelp();
    // Lists the pages of the current language that contain `word`
    // (case-insensitive); an empty word shows only the search box.
    void ShowSearch(const std::string& word);

    // The product named in the window title.
    const std::string& Product() const { return ProductName; }
    // The page shown last ("102.html", "contents.html", "search").
    const QString& CurrentPage() const { return Page; }
    QTextBrowser* Browser() const { return Text; }
    // False when the last page asked for had no file (the note is shown).
    bool PageFound() const { return Found; }

    // The folder holding the EN and PL page folders ("" when none is found).
    static QString HelpRoot();

    // Shows a page of the current language by its file name ("contents.html").
    void ShowPage(const QString& file);

private:
    QString LanguageDir() const;
    void ApplyCaptions();

    QTextBrowser* Text;
    QLineEdit* SearchBox;
    int Language = 1;
    std::string ProductName;
    QString Page;
    bool Found = false;
};

}  // namespace tallyra::gui
