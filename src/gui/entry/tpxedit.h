// SPDX-License-Identifier: GPL-3.0-or-later
// The on-screen editing control of one field on the data entry page: a
// single-line edit (numeric fields show "*" in empty positions) or a
// multi-line edit for text fields higher than one line. The control only
// shows the keyboard model's field editor; every key and click on it is
// turned into model calls by the data entry window.
#pragma once

#include <memory>

#include <QPalette>
#include <QPoint>

#include "data/tpxfieldeditor.h"

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tallyra::gui {

// The palette of the page that holds the editors: white editors whose
// disabled text stays black.
QPalette EntryPagePalette(const QPalette& base);

class TPXEdit {
public:
    // Creates the control on `parent` (the page). `model` is borrowed from the
    // keyboard model and lives as long as the page. The control carries a back
    // reference to this object in its "TPXEdit" property.
    TPXEdit(QWidget* parent, core::TPXFieldEditor& model);
    ~TPXEdit();
    TPXEdit(const TPXEdit&) = delete;
    TPXEdit& operator=(const TPXEdit&) = delete;

    // The editing control (for focus, bounds and key handlers).
    QWidget* Control() const;
    QLineEdit* SingleLine() const { return Single; }
    QPlainTextEdit* MultiLine() const { return Multi; }
    core::TPXFieldEditor& Model() const { return *Editor; }
    const core::TPXFieldInstruction& Field() const { return Editor->Field(); }

    // Puts the model's text, caret, selection and enabled state on screen.
    void Show();
    // The selection mark of the field, then Recolour.
    void SetMarked(bool marked);
    // Aqua (0, 255, 255) while the field's selection mark is set, else white.
    void Recolour();
    // Gives up the control, which then belongs to its Qt parent alone (the
    // page disposes of all its controls at once).
    void ReleaseControl();
    // The caret position a mouse click at `pos` (control coordinates) means.
    int32_t CaretAt(const QPoint& pos) const;

    // The edit that owns `control`, or nullptr.
    static TPXEdit* Of(const QWidget* control);

private:
    // What the control shows now; Show changes the control only where the
    // model differs from it (a page of hundreds of editors on every key).
    struct TShown {
        std::string Text;
        int32_t Start = -1;
        int32_t Length = -1;
        bool Enabled = false;
        bool Valid = false;
    };

    core::TPXFieldEditor* Editor;
    TShown Last;
    QLineEdit* Single = nullptr;
    QPlainTextEdit* Multi = nullptr;
};

}  // namespace tallyra::gui
