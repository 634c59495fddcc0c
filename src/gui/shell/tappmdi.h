// SPDX-License-Identifier: GPL-3.0-or-later
// The main window that hosts document child windows in a QMdiArea: it binds
// its child-command placeholders (menu and toolbar entries acting on the
// active child) to the active child's commands, and offers the Window menu
// with its list dialog.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>

#include "tappgen.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace tallyra::gui {

class TChildMDI_Form;

class TAppMDI_Form : public TAppGen_Form {
public:
    explicit TAppMDI_Form(QWidget* parent = nullptr);
    ~TAppMDI_Form() override;

    QMdiArea* MdiArea() const { return Mdi; }

    // The child windows in the order they were added (minimised ones too).
    QList<TChildMDI_Form*> ChildWindows() const;
    // The current child, or null.
    TChildMDI_Form* ActiveChild() const;
    // Makes `child` the active one.
    void ActivateChild(TChildMDI_Form* child);

    // Registers an action (named by its objectName) as a child-command
    // placeholder: it stays disabled until an active child offers a command
    // of the same name, whose handler it then runs.
    void AddPlaceholder(QAction* placeholder);
    // The child command a placeholder currently runs, or null.
    QAction* BoundCommand(QAction* placeholder) const;

    // Binds the placeholders to `commands` by the merge pass over both lists
    // sorted by name (ordinal, case-sensitive): equal names bind and copy the
    // enabled state, placeholders without a partner are disabled and
    // cleared, commands without a placeholder are ignored.
    void BindChildCommands(const QList<QAction*>& commands);
    // Disables and clears every placeholder.
    void UnbindChildCommands();

    void HandleObjectMessage(TWMVRKObject* object) override;

    // Window menu operations.
    void CascadeChildren();
    void TileChildren(bool horizontally);
    void ArrangeIcons();
    void ShowWindowList();
    // Recomputes the Window menu's enabling (also done when it opens).
    void UpdateWindowMenu();

    QMenu* WindowMenu() const { return Window_Menu; }
    QAction* WindowAction(const char* name) const;

protected:
    // Builds the Window menu into the menu bar; concrete windows call it
    // where the menu belongs in their menu order.
    void CreateWindowMenu();
    // The Help menu's Contents command, whose F1 shortcut is taken away while
    // a child is active.
    void SetHelpContentsAction(QAction* action) { HelpContents = action; }
    // Called after the placeholders were bound to a new active child or
    // unbound; lets file windows refresh their toolbar.
    virtual void ActiveChildChanged() {}
    // Called when a child is destroyed (it is half-destroyed: identify only).
    virtual void ChildDestroyed(const TChildMDI_Form*) {}

private:
    void SubWindowActivated(QMdiSubWindow* window);

    QMdiArea* Mdi;
    QList<QAction*> Placeholders;
    QHash<QAction*, QPointer<QAction>> Bound;
    QPointer<TChildMDI_Form> BoundChild;
    QPointer<QAction> HelpContents;
    QMenu* Window_Menu = nullptr;
};

}  // namespace tallyra::gui
