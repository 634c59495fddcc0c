// SPDX-License-Identifier: GPL-3.0-or-later
// The editing side of the script editor main window: the Edit menu and its
// toolbar buttons acting on the active editor window, the three status
// panels (position, modified mark, insert/overwrite), the editor and info
// fonts and the editor's two option sets, with their stored values.
#pragma once

#include <cstdint>
#include <string>

#include <QFont>
#include <QLabel>

#include "shell/tappcmplx.h"

namespace tallyra::gui {

class TChldEdit_Form;

// A stored font: name, size in points and the stored character set.
struct TFontSpec {
    std::string Name;
    int32_t Size = 10;
    int32_t CharSet = 238;
    bool operator==(const TFontSpec&) const = default;
};

// The Qt font of a spec; the named family first, then metric-compatible
// fallbacks (monospace ones for the editor font).
QFont ToQFont(const TFontSpec& spec, bool monospace);
TFontSpec FromQFont(const QFont& font, int32_t charSet);

// Default option sets ("Memo" and "Strings").
constexpr uint32_t DefaultEditorOptions = 0x00000456;
constexpr uint32_t DefaultTextOptions = 0x0000027B;

class TAppEdit_Form : public TAppCmplx_Form {
public:
    explicit TAppEdit_Form(QWidget* parent = nullptr);
    ~TAppEdit_Form() override;

    TFontSpec EditFont{"Courier New", 10, 238};
    TFontSpec InfoFont{"MS Sans Serif", 10, 238};
    uint32_t EditorOptions = DefaultEditorOptions;
    uint32_t TextOptions = DefaultTextOptions;

    // The active window when it is an editor window, or null.
    TChldEdit_Form* ActiveEditor() const;

    // Edit menu entry by component name ("Undo_EditMenu").
    QAction* EditAction(const char* name) const;
    QMenu* EditMenu() const { return Edit_Menu; }
    QMenu* InsertMenu() const { return Insert_Menu; }
    // Recomputes the Edit menu's enabling (also done when it opens).
    void UpdateEditMenu();
    void UpdateToolbar() override;

    // Status panels 0..2, filled by the active editor window.
    QLabel* PositionPanel() const { return Panels[0]; }
    QLabel* ModifiedPanel() const { return Panels[1]; }
    QLabel* InsertPanel() const { return Panels[2]; }
    // Sets each panel's width from the current language's texts.
    void SizeStatusPanels();

    // Re-applies fonts in every open child (window message 1130).
    void BroadcastFontsChanged();
    // Applies the option sets to every open editor window.
    void ApplyOptionsToChildren();

    // The Edit > Preferences command.
    virtual void ShowPreferences();

protected:
    void CreateEditMenu();
    void CreateEditToolButtons();
    void Registry_DoRead(core::TSettingsStore& store) override;
    void Registry_DoWrite(core::TSettingsStore& store) override;
    void LanguageChanged(int previous) override;
    void ActiveChildChanged() override;

private:
    QMenu* Edit_Menu = nullptr;
    QMenu* Insert_Menu = nullptr;
    QMenu* Goto_Menu = nullptr;
    QList<QAction*> EditButtons;
    QLabel* Panels[3] = {nullptr, nullptr, nullptr};
};

}  // namespace tallyra::gui
