// SPDX-License-Identifier: GPL-3.0-or-later
// Document child windows: the file child (file name, modified and untitled
// flags, ".bak" backup rule, watch on the file's time stamp, Save) and the
// generic document child (Save as, Export, close question, popup menu
// mirroring the main window's File menu, language change).
#pragma once

#include <cstdint>
#include <string>

#include "tchildmdi.h"

class QMenu;

namespace tallyra::gui {

class TAppCmplx_Form;

class TVRKChildFile_Form : public TChildMDI_Form {
    Q_OBJECT
public:
    explicit TVRKChildFile_Form(TAppCmplx_Form* mainForm);

    // Clears the modified flag and remembers the time stamp and folder.
    virtual void Saved();
    // The backup rule on the window's own file.
    void MakeBackup();
    bool IsModified() const override { return Modified; }
    virtual void SetModified(bool flag) { Modified = flag; }
    const std::string& GetFileName() const { return FileName; }
    virtual void SetFileName(const std::string& name);
    bool IsUntitled() const { return Untitled; }
    void SetUntitled(bool flag) { Untitled = flag; }
    // Asks once per change whether to reload a file that changed on disk.
    void CheckFileTime();
    void RememberFileTime();
    virtual void Reload() {}
    // Untitled windows run SaveAs; others back up, write and report failures.
    void Save() override;
    // Writes the document to `name`; raises EGeneric on failure.
    virtual void WriteFile(const std::string& name);
    // Loads the named file into the window (the framework's loading hook).
    virtual void LoadFile(const std::string&) {}
    // The document's bytes as they go to disk; raises EGeneric when the
    // document cannot be written faithfully.
    virtual std::string WriteDocument() const { return {}; }

    TAppCmplx_Form* FileMain() const;
    bool IsRegistered() const { return Registered; }

protected:
    void Activated() override { CheckFileTime(); }
    bool Registered = false;

private:
    std::string FileName;
    bool Modified = true;
    bool Untitled = true;
    int64_t FileTime = 0;
};

class TChldGen_Form : public TVRKChildFile_Form {
    Q_OBJECT
public:
    explicit TChldGen_Form(TAppCmplx_Form* mainForm);

    void SaveAs() override;
    // Exports through the Export dialog with the backup rule on the target.
    void Export();
    // Writes WriteExport() to `name`; raises EGeneric on failure.
    virtual void ExportFile(const std::string& name);
    // Runs after the target was chosen and before it is backed up; false
    // ends the export with nothing written or moved.
    virtual bool PrepareExport() { return true; }
    virtual std::string WriteExport() const { return {}; }
    // Whether this kind of document has an export.
    virtual bool CanExport() const { return false; }
    // Prints the document (the printing command already checked printers).
    virtual void Print() {}

    // Re-applies captions after message 1129.
    virtual void AfterLanguageChange();
    void ApplyLanguage() override;
    QMenu* PopupMenu() const { return Popup_Menu; }
    // Opens the popup menu at a position in this window.
    void ShowPopupMenu(const QPoint& local);

    // The name proposed by Export: the file name without its extension.
    static std::string ExportProposal(const std::string& fileName, bool untitled);

protected:
    // Adds this layer's entries and enabling before the popup opens.
    virtual void RefreshPopup();
    // Called when the window is first shown.
    virtual void Register();
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    // Runs the close question; true when the window may close.
    bool CloseQuery();

    QMenu* Popup_Menu;
};

}  // namespace tallyra::gui
