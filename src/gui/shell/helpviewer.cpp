// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpviewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "langui.h"
#include "shell/langtext.h"

namespace tallyra::gui {

QString THelpViewer::HelpRoot() {
    QStringList candidates;
    const QString env = qEnvironmentVariable("TALLYRA_HELP_DIR");
    if (!env.isEmpty()) candidates << env;
    const QString app = QCoreApplication::applicationDirPath();
    // Installed: <prefix>/bin/../share/tallyra/help. The build tree has the
    // same copy at build/share/tallyra/help, one level further up from the
    // programs in build/src/<folder>/.
    candidates << app + "/../share/tallyra/help" << app + "/../../share/tallyra/help";
    for (const QString& c : candidates)
        if (QFileInfo::exists(c + "/EN/contents.html")) return QDir(c).absolutePath();
    return QString();
}

THelpViewer::THelpViewer(QWidget* parent, std::string product)
    : QDialog(parent, Qt::Window), ProductName(std::move(product)) {
    setObjectName("Help_Form");
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* contents = new QPushButton(this);
    auto* index = new QPushButton(this);
    auto* back = new QPushButton(this);
    SearchBox = new QLineEdit(this);
    auto* search = new QPushButton(this);
    contents->setObjectName("Contents_Button");
    index->setObjectName("Index_Button");
    search->setObjectName("Search_Button");
    TagText(contents, "<EN>&Contents<PL>&Spis treści");
    TagText(index, "<EN>&Index<PL>&Indeks");
    TagText(back, "<EN>&Back<PL>&Wstecz");
    TagText(search, "<EN>&Search<PL>Sz&ukaj");
    bar->addWidget(contents);
    bar->addWidget(index);
    bar->addWidget(back);
    bar->addStretch(1);
    bar->addWidget(SearchBox);
    bar->addWidget(search);
    layout->addLayout(bar);
    Text = new QTextBrowser(this);
    Text->setOpenLinks(true);
    layout->addWidget(Text, 1);
    resize(640, 520);
    connect(contents, &QPushButton::clicked, this, [this] { ShowContents(); });
    connect(index, &QPushButton::clicked, this, [this] { ShowIndex(); });
    connect(back, &QPushButton::clicked, Text, &QTextBrowser::backward);
    connect(search, &QPushButton::clicked, this, [this] { ShowSearch(S(SearchBox->text())); });
    connect(SearchBox, &QLineEdit::returnPressed, this,
            [this] { ShowSearch(S(SearchBox->text())); });
    ApplyCaptions();
}

void THelpViewer::ApplyCaptions() {
    ApplyLanguageTo(this);
    setWindowTitle(LT("<EN>%1 help<PL>Pomoc %1").arg(LT(ProductName)));
}

void THelpViewer::SetLanguage(int language) {
    if (language != 1 && language != 2) return;
    const bool changed = language != Language;
    Language = language;
    ApplyCaptions();
    // Keep the same topic, now in the other language.
    if (changed && !Page.isEmpty() && Page != "search") ShowPage(Page);
}

QString THelpViewer::LanguageDir() const {
    const QString root = HelpRoot();
    if (root.isEmpty()) return QString();
    return root + "/" + QString::fromLatin1(core::LangRecs[Language].Code);
}

void THelpViewer::ShowPage(const QString& file) {
    Page = file;
    const QString dir = LanguageDir();
    const QString path = dir + "/" + file;
    Found = !dir.isEmpty() && QFileInfo::exists(path);
    if (!Found) {
        Text->setHtml("<p>" +
                      LT("<EN>This help topic is not available.<PL>Ten temat pomocy jest "
                         "niedostępny.")
                          .toHtmlEscaped() +
                      "</p>");
    } else {
        Text->setSearchPaths({dir});
        Text->setSource(QUrl::fromLocalFile(path));
    }
    show();
    raise();
}

void THelpViewer::ShowContext(int context) {
    ShowPage(QString::number(context) + ".html");
}
void THelpViewer::ShowContents() {
    ShowPage("contents.html");
}
void THelpViewer::ShowIndex() {
    ShowPage("index.html");
}

void THelpViewer::ShowUsingHelp() {
    ShowPage("using.html");
}

void THelpViewer::ShowSearch(const std::string& word) {
    Page = "search";
    Found = true;
    SearchBox->setText(Q(word));
    QString html = "<h2>" + LT("<EN>Search<PL>Szukaj").toHtmlEscaped() + "</h2>";
    const QString w = Q(word).trimmed();
    if (!w.isEmpty()) {
        QStringList hits;
        const QDir dir(LanguageDir());
        for (const QString& name : dir.entryList({"*.html"}, QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly) || f.size() > 1024 * 1024) continue;
            const QString text = QString::fromUtf8(f.readAll());
            if (!text.contains(w, Qt::CaseInsensitive)) continue;
            QString title = name;
            const int t0 = text.indexOf("<title>"), t1 = text.indexOf("</title>");
            if (t0 >= 0 && t1 > t0) title = text.mid(t0 + 7, t1 - t0 - 7);
            hits << "<li><a href=\"" + QUrl::fromLocalFile(dir.filePath(name)).toString() + "\">" +
                        title.toHtmlEscaped() + "</a></li>";
        }
        if (hits.isEmpty())
            html += "<p>" +
                    LT("<EN>No topic contains this word.<PL>Żaden temat nie zawiera "
                       "tego słowa.")
                        .toHtmlEscaped() +
                    "</p>";
        else
            html += "<ul>" + hits.join("") + "</ul>";
    }
    Text->setHtml(html);
    show();
    raise();
    SearchBox->setFocus();
}

}  // namespace tallyra::gui
