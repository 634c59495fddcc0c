// SPDX-License-Identifier: GPL-3.0-or-later
// The data station ("Tallyra Station"): the data entry window as an entry
// workplace of its own. It opens a script file and a data file, checks that
// they belong together, keys into the real file (each completed record is on
// disk before the cursor leaves it, the file is locked while open) and asks
// what to do with an incomplete last record when the data is closed.
#pragma once

#include <memory>
#include <string>

#include "entry/tapptygen.h"
#include "script/tpxmessage.h"
#include "verify/entryverify.h"

namespace tallyra::gui {

// Window messages that request the open dialogs asynchronously.
constexpr int WM_OpenScriptRequest = 1435;
constexpr int WM_OpenDataRequest = 1436;

class TAppTYStation_Form : public TAppTYGen_Form {
public:
    explicit TAppTYStation_Form(QWidget* parent = nullptr);
    ~TAppTYStation_Form() override;

    std::string AppInfo(int index) const override;

    // The commands of the File menu.
    void OpenScriptCommand();
    virtual void OpenDataCommand();
    void CloseDataCommand();
    // File > Verify data: the first keying, then the file to key against it.
    void VerifyDataCommand();

    // Opens a script file: closes the data first (false when the user
    // cancels the incomplete-record question), then reads the script; a
    // script with errors is refused with a box and none stays loaded.
    bool OpenScript(const std::string& name);
    // Opens a data file under the loaded script (created empty when it does
    // not exist and the station allows new files); reports a mismatch.
    void OpenData(const std::string& name);
    // Opens `name` as OpenData does, in verify mode against the first keying
    // `reference` (read only; paired as the script decides).
    void OpenVerify(const std::string& reference, const std::string& name);
    // The verifier of the data open in verify mode, or null.
    core::TEntryVerifier* Verifier() const { return VerifyRef.get(); }
    // True when the data may be closed: asks what to do with an incomplete
    // last record (Yes cuts it off, No keeps it, Cancel keeps the data open).
    bool CanCloseData();

    void CloseData() override;
    void CloseScript() override;
    void UpdateCommands() override;

    // The script file name shown in the status line and proposed next.
    const std::string& ScriptName() const { return CurrentScriptName; }
    // The status line text of the main window ("Script: ..." / "Data: ...").
    QString StatusLine() const;

    // Files named on the command line (script, data), used at start-up
    // instead of the program's arguments when set.
    void SetStartupFiles(const QStringList& files) {
        StartupFiles = files;
        StartupFilesSet = true;
    }

protected:
    // For windows built on the station: `create` false leaves Create() to
    // the most derived constructor.
    TAppTYStation_Form(QWidget* parent, bool create);
    // The station lets the open-data dialog name a new file; the viewer not.
    virtual bool AllowsNewDataFile() const { return true; }
    // Whether operators key data here: verify mode and the operator log
    // (the viewer only looks).
    virtual bool KeysData() const { return true; }
    // Opens the store on `name` (the viewer opens its own kind).
    virtual std::unique_ptr<core::TPXDataHandler> CreateStore(const std::string& name);
    virtual void LoadScript(const std::string& name);
    void StartupDone() override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    void closeEvent(QCloseEvent* e) override;
    void ShowStatus(const std::string& text);
    QAction* OpenDict_Action = nullptr;
    QAction* OpenData_Action = nullptr;
    QAction* CloseData_Action = nullptr;
    QAction* VerifyData_Action = nullptr;

private:
    void BuildStation();
    // Whether the focused editor's change of the current field may be left.
    bool CurrentValueAccepted();

    std::unique_ptr<core::TPXMessageList> OwnMessages;
    std::unique_ptr<core::TPXDictionary> OwnScript;
    std::string CurrentScriptName;
    QStringList StartupFiles;
    bool StartupFilesSet = false;
    QLabel* StatusText = nullptr;
    // Opens the store on `name`, in verify mode when `reference` is set.
    void OpenStore(const std::string& name, const std::string& reference);
    void ShowMismatch(const std::string& name);
    // Appends the session of the open data to its operator log; `boxes`
    // false reports a failure on standard error only.
    void EndSession(bool boxes);
    std::unique_ptr<core::TEntryVerifier> VerifyRef;
    int64_t SessionStart = 0;
    bool SessionOpen = false;
};

}  // namespace tallyra::gui
