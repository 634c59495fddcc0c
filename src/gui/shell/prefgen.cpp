// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefgen.h"

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "langui.h"
#include "shell/langtext.h"
#include "tappgen.h"

namespace tallyra::gui {

TPrefGen_Form::TPrefGen_Form(TAppGen_Form* mainForm) : TDlgGen_Form(mainForm), Main(mainForm) {
    setObjectName("Preferences_Form");
    TagTitle(this, "<EN>Preferences<PL>Ustawienia");
    Tabs = new QTabWidget(this);
    ContentLayout()->addWidget(Tabs);
    auto* page = new QWidget;
    page->setObjectName("Language_Page");
    auto* layout = new QVBoxLayout(page);
    Languages = new QListWidget(page);
    Languages->setObjectName("Language_List");
    for (int l = 1; l < core::LangCount; ++l) {
        if (!Main->LanguageAccepted(l)) continue;
        auto* item =
            new QListWidgetItem(Q(core::LangText(core::LangRecs[l].DisplayName)), Languages);
        item->setData(Qt::UserRole, l);
        if (l == core::CurrentLanguage()) Languages->setCurrentItem(item);
    }
    layout->addWidget(Languages);
    Tabs->addTab(page, QString());
    TagTab(page, "<EN>Language<PL>Język");
    HelpButton()->hide();
    resize(460, 360);
}

int TPrefGen_Form::ChosenLanguage() const {
    const QListWidgetItem* item = Languages->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : core::CurrentLanguage();
}

void TPrefGen_Form::AcceptPrefs() {
    Main->ChangeLanguage(ChosenLanguage());
}

void TPrefGen_Form::accept() {
    AcceptPrefs();
    TDlgGen_Form::accept();
}

}  // namespace tallyra::gui
