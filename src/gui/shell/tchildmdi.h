// SPDX-License-Identifier: GPL-3.0-or-later
// The child window layer inside a multi-document main window: it owns a
// command list whose names match the main window's placeholders and tells
// the main window when it is activated, deactivated and destroyed.
#pragma once

#include <QList>
#include <QWidget>

#include "tformgen.h"

class QAction;
class QMdiSubWindow;

namespace tallyra::gui {

class TAppMDI_Form;

class TChildMDI_Form : public QWidget, public TFormGen_Form {
    Q_OBJECT
public:
    // `mainForm` is borrowed; it outlives the child or detaches it first.
    explicit TChildMDI_Form(TAppMDI_Form* mainForm);
    ~TChildMDI_Form() override;

    QWidget* Widget() override { return this; }
    TAppMDI_Form* MainForm() const { return Main; }
    void DetachMainForm() { Main = nullptr; }

    // The QMdiSubWindow frame around the child (null before it is added).
    QMdiSubWindow* SubWindow() const;

    // Commands offered to the main window's placeholders (owned by the child).
    const QList<QAction*>& Child_ActionList() const { return Commands; }

    void SendActivated();
    void SendDeactivated();
    void SendDestroyed();
    // Opens maximised when there is no active child or it is maximised.
    void InitWindowState();

    // Document state as far as the Window list needs it.
    virtual bool IsModified() const { return false; }
    virtual void Save() {}
    virtual void SaveAs() {}

    void ApplyLanguage() override;

protected:
    // Adds a command named `name` to the command list and returns it.
    QAction* AddCommand(const char* name);
    // Runs after this child became the active one.
    virtual void Activated() {}
    bool event(QEvent* e) override;

private:
    TAppMDI_Form* Main;
    QList<QAction*> Commands;
    bool DestroyedSent = false;
};

}  // namespace tallyra::gui
