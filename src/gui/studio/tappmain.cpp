#include "tappmain.h"

#include <QToolBar>

#include "shell/langtext.h"
#include "shell/langui.h"
#include "tchldedit.h"

namespace tallyra::gui {

TAppMain_Form::TAppMain_Form(QWidget* parent) : TAppEdit_Form(parent) {
    setObjectName("AppMain_Form");
    CreateFileMenu();
    CreateEditMenu();
    CreateWindowMenu();
    CreateHelpMenu();
    CreateToolBar();
    CreateEditToolButtons();
    // Hidden in this window.
    for (const char* n : {"Duplicate_FileMenu", "PageSetup_FileMenu", "PrintPreview_FileMenu"})
        if (QAction* a = FileAction(n)) a->setVisible(false);
    SizeStatusPanels();
    Create();
    UpdateFileMenu();
    UpdateEditMenu();
    UpdateToolbar();
}

TAppMain_Form::~TAppMain_Form() {
    Shutdown();
}

std::string TAppMain_Form::AppInfo(int index) const {
    switch (index) {
        case 0:
            return "Tallyra Systems";
        case 1:
            return "Tallyra Studio";
        case 2:
            return "2.40.a";
        case 3:
            return "2.40";
        case 5:
            return "QRV Software";
        case 6:
            return "<EN>Free software for keying survey questionnaires.<PL>Wolne "
                   "oprogramowanie do wprowadzania ankiet.";
        default:
            return "";
    }
}

std::string TAppMain_Form::OpenFilter() const {
    return core::LangText("<EN>Tallyra Studio files<PL>Pliki Tallyra Studio") +
           " (*.slo;*.sl)|*.slo;*.sl|" + core::LangText("<EN>All files<PL>Wszystkie pliki") +
           " (*.*)|*.*";
}

std::string TAppMain_Form::ExportFilter() const {
    return core::LangText("<*>SPSS Syntax") + " (*.sps)|*.sps|" +
           core::LangText("<EN>All files<PL>Wszystkie pliki") + " (*.*)|*.*";
}

TChldGen_Form* TAppMain_Form::CreateChild() {
    return new TChldEdit_Form(this);
}

}  // namespace tallyra::gui
