// SPDX-License-Identifier: GPL-3.0-or-later
// The data entry window: one page of the script at a time (comments, left
// texts, one editor per field, right texts), the ruler that places the
// editors, the error panel and the record/page/column/identifier panels.
// Every key on a field editor goes to the keyboard model (core), which runs
// the store; the window only shows the model's state and asks the user what
// the model asks. Subclasses (test window, station, viewer) set the script,
// create the store and call StartEntry.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QFont>
#include <QList>
#include <QWidget>

#include "data/dataowner.h"
#include "data/tentrykeyboard.h"
#include "data/tpxdatahandler.h"
#include "shell/tappcmplx.h"
#include "tpxedit.h"

class QLabel;
class QScrollArea;

namespace tallyra::gui {

// Help context of the keyboard page.
constexpr int HelpKeyboard = 600;

class TAppTYGen_Form;

// The draggable marker on the ruler; its centre is the left side of the
// field editors.
class TRulerMarker : public QWidget {
public:
    TRulerMarker(QWidget* parent, TAppTYGen_Form* window);
    bool Dragging() const { return IsDragging; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TAppTYGen_Form* Window;
    bool IsDragging = false;
};

class TAppTYGen_Form : public TAppCmplx_Form, public core::IPXDataOwner {
public:
    explicit TAppTYGen_Form(QWidget* parent = nullptr);
    ~TAppTYGen_Form() override;

    // Layout measures of the window font.
    int CharWidth() const { return CharW; }
    int LineHeight() const { return LineH; }
    int RulerHalf() const { return RulerHalfW; }
    // Left of the ruler marker; editors start at MarkerLeft() + RulerHalf().
    int MarkerLeft() const;

    // The script (borrowed or owned as the subclass decides) and the store
    // (owned), null while none is open.
    core::TPXDictionary* Script() const { return ScriptRef; }
    core::TPXDataHandler* Store() const { return DataStore.get(); }
    core::TEntryKeyboard* Keyboard() const { return Keys.get(); }

    // The page: editors, left labels and right labels (null entries for
    // fields without right text) in field order, and every page control.
    const std::vector<std::unique_ptr<TPXEdit>>& Editors() const { return PageEdits; }
    const QList<QLabel*>& LeftLabels() const { return LeftTexts; }
    const QList<QLabel*>& RightLabels() const { return RightTexts; }
    const QList<QWidget*>& PageControls() const { return Controls; }
    QScrollArea* ScrollBox() const { return Scroll; }
    QWidget* PageWidget() const { return Page; }
    QLabel* ErrorInfoPanel() const { return ErrorInfo_Panel; }
    TRulerMarker* Ruler() const { return Marker; }
    // The four entry panels of the status bar: record, page, column, identifier.
    QLabel* StatusPanel(int index) const { return Panels[size_t(index)]; }
    // The editor of the current field, or nullptr.
    TPXEdit* CurrentEdit() const;
    // The editor whose control has the keyboard focus, or nullptr.
    TPXEdit* FocusedEdit() const;

    // Stored settings of the window.
    uint8_t CheckMask = core::CheckMaskAll;
    bool SoundOn() const;
    bool UpdateModeOn() const;
    // Counts of the system beeps and entry sounds played (for tests and the
    // benchmark; the sounds themselves cannot be observed).
    int BeepCount = 0;
    int SoundCount = 0;

    // The window's actions by component name ("CheckAll_Action").
    QAction* Action(const char* name) const;
    QMenu* EditMenu() const { return Edit_Menu; }

    // --- virtual operations of the window
    // Clears the page, destroys the store, updates the commands.
    virtual void CloseData();
    virtual void CloseScript() = 0;
    virtual void ClearPage();
    // Starts entry on the store just created: the start position, the page.
    virtual void StartEntry();
    virtual void GoToStartPosition();
    virtual void BuildPage();
    virtual void FreePageControls();
    virtual void UpdateCommands();
    virtual void ShowErrorInfo();

    // --- commands
    void FieldInfo();
    void ContextInfo();
    void FreqInfo();
    void FindRecord();
    void CheckAll();
    void CheckCurrent();
    void PrevError();
    void NextError();
    void ToggleUpdateMode();
    void KeyboardHelp() { ShowHelpContext(HelpKeyboard); }
    // One key as if typed on the current editor.
    void PressKey(const core::TKeyStroke& key);
    // Puts the model's page on screen: rebuilds the controls when the model
    // built a new page, otherwise shows every editor's state.
    void ShowPage();
    // The idle refresh of the four entry panels.
    virtual void RefreshStatus();

    // Ruler: the marker moves to `left` (dragging), and is dropped there.
    void MoveMarker(int left);
    void DropMarker();

    // --- the store's owner side
    void OwnerRefresh() override;
    void OwnerRefreshNow() override;
    void OwnerSound(int kind) override;
    bool OwnerUpdateMode() override;
    void OwnerBeep() override;
    void OwnerMessage(core::TOwnerBox kind, const std::string& text) override;
    bool OwnerAskForce(const std::string& text) override;
    bool OwnerAskCheckOptions(const std::string& question, uint8_t& mask) override;

    void ApplyLanguage() override;
    std::string OpenFilter() const override { return {}; }
    std::string OpenDefaultExt() const override { return {}; }

protected:
    // Takes the store (the script must be set); entry starts with StartEntry.
    void SetStore(std::unique_ptr<core::TPXDataHandler> store);
    void SetScript(core::TPXDictionary* script) { ScriptRef = script; }
    // Whether the Find command is shown (the test window and the viewer).
    void SetFindVisible(bool visible);
    // The viewer starts on the first record instead of the entry position.
    virtual bool StartsOnFirstRecord() const { return false; }

    TChldGen_Form* CreateChild() override { return nullptr; }
    // Documents are not opened by name here; the station opens its own.
    void OpenFile(const std::string&) override {}
    // The hint panel shows the title and version once the window is up.
    void StartupDone() override;
    void CreateMenus() override;
    void Registry_DoRead(core::TSettingsStore& store) override;
    void Registry_DoWrite(core::TSettingsStore& store) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void CreateLayout();
    void MeasureFont();
    void LayoutStatusPanels();
    void RunKeyCommand(core::TKey key);
    void ResizePage();
    void RestoreFocus();

    core::TPXDictionary* ScriptRef = nullptr;
    std::unique_ptr<core::TPXDataHandler> DataStore;
    std::unique_ptr<core::TEntryKeyboard> Keys;
    uint64_t ShownGeneration = 0;
    bool PageShown = false;
    bool RelayoutQueued = false;
    int BuiltForWidth = -1;  // the scroll box width the page was laid out for

    std::vector<std::unique_ptr<TPXEdit>> PageEdits;
    QList<QLabel*> LeftTexts;
    QList<QLabel*> RightTexts;
    QList<QWidget*> Controls;

    int CharW = 1;
    int LineH = 1;
    int RulerHalfW = 0;
    QFont EntryFont;
    QWidget* RulerPanel = nullptr;
    TRulerMarker* Marker = nullptr;
    QScrollArea* Scroll = nullptr;
    QWidget* Page = nullptr;
    QWidget* PageHost = nullptr;  // holds the controls of the page shown
    QLabel* ErrorInfo_Panel = nullptr;
    std::array<QLabel*, 4> Panels{};
    QMenu* Edit_Menu = nullptr;
    QMenu* Options_Menu = nullptr;
    QAction* SoundAuto_Action = nullptr;
    QAction* UpdateMode_Action = nullptr;
    QAction* Find_Action = nullptr;
    QAction* CheckAll_Action = nullptr;
    QAction* CheckCur_Action = nullptr;
    QAction* PrevError_Action = nullptr;
    QAction* NextError_Action = nullptr;
    std::array<QAction*, 3> InfoActions{};
    bool FindShown = false;
    bool Closing = false;
};

}  // namespace tallyra::gui
