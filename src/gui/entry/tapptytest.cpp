// SPDX-License-Identifier: GPL-3.0-or-later
#include "tapptytest.h"

#include <QTimer>

#include "shell/errors.h"
#include "shell/langui.h"
#include "shell/msgbox.h"

namespace tallyra::gui {

TAppTYTest_Form::TAppTYTest_Form(QWidget* parent, core::TPXDictionary& script, int32_t startIndex,
                                 const std::string& folder)
    : TAppTYGen_Form(parent), Start(startIndex), Folder(folder) {
    setObjectName("AppTYTest_Form");
    if (parent) setWindowFlag(Qt::Window);
    SetScript(&script);
    SetFindVisible(true);
    // No settings are read: the check mask starts with no kind selected.
    CheckMask = 0;
    Create();
    setWindowTitle(Q(AppInfo(1)));
    resize(DesignedSize());
}

TAppTYTest_Form::~TAppTYTest_Form() {
    Shutdown();
    CloseData();
}

std::string TAppTYTest_Form::AppInfo(int index) const {
    return TallyraAppInfo(index, "Tallyra Tester");
}

std::string TAppTYTest_Form::TempFileName() const {
    return Store() ? Store()->FileName() : std::string();
}

void TAppTYTest_Form::showEvent(QShowEvent* e) {
    TAppTYGen_Form::showEvent(e);
    if (Started || !Script()) return;
    Started = true;
    try {
        SetStore(core::TPXDataHandler::CreateTemp(*Script(), Start, this, Folder));
    } catch (const core::ETallyraError& err) {
        MsgError(err.Text());
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    StartEntry();
}

void TAppTYTest_Form::CloseScript() {
    SetScript(nullptr);
}

}  // namespace tallyra::gui
