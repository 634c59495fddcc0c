// SPDX-License-Identifier: GPL-3.0-or-later
// The base layer of every window: the language hook, first activation and
// the object-message channel. Qt windows come in three kinds (main windows,
// dialogs, child widgets), so this layer is a mix-in each of them inherits
// next to its Qt class; the Qt class routes its events through
// DispatchWindowEvent.
#pragma once

#include <QDialog>

#include "objectmessages.h"

class QDialogButtonBox;
class QPushButton;
class QVBoxLayout;

namespace tallyra::gui {

class TFormGen_Form {
public:
    virtual ~TFormGen_Form() = default;

    // Re-selects every caption and hint of the window through LangText.
    virtual void ApplyLanguage() {}
    // Posts TWMVRKFirstActivation to the window itself.
    void PostFirstActivation();
    // Runs once, when the first-activation message arrives.
    virtual void FirstActivation() {}
    // Handles one object message (the caller destroys it afterwards).
    virtual void HandleObjectMessage(TWMVRKObject* object);
    // Handles a numbered window message; true when it was handled.
    virtual bool HandleWindowMessage(TWindowMessage*) { return false; }

    // The Qt side of the window.
    virtual QWidget* Widget() = 0;

    // Places the window horizontally centred over the main window and at a
    // third of its height.
    void CenterOnMainWindow(QWidget* mainWindow);

protected:
    // True when the event was an object or window message and was handled.
    bool DispatchWindowEvent(QEvent* event);
};

// A modal dialog with OK, Cancel and Help buttons below its content.
class TDlgGen_Form : public QDialog, public TFormGen_Form {
public:
    explicit TDlgGen_Form(QWidget* parent);
    QWidget* Widget() override { return this; }
    void ApplyLanguage() override;

    QPushButton* OkButton() const { return Ok; }
    QPushButton* CancelButton() const { return Cancel; }
    QPushButton* HelpButton() const { return Help; }

protected:
    bool event(QEvent* e) override;
    // The layout above the buttons, for the concrete dialog's content.
    QVBoxLayout* ContentLayout() const { return Content; }

private:
    QVBoxLayout* Content;
    QPushButton* Ok;
    QPushButton* Cancel;
    QPushButton* Help;
};

}  // namespace tallyra::gui
