// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxedit.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVariant>

#include "shell/cp1250.h"
#include "shell/langui.h"

namespace tallyra::gui {

namespace {

constexpr const char* BackReference = "TPXEdit";

QString Shown(const std::string& bytes) {
    return Q(core::Cp1250ToUtf8(bytes));
}

// Both controls stay passive: the window hands every key and click to the
// keyboard model, so nothing may edit the text behind its back.
void MakePassive(QWidget* control) {
    control->setContextMenuPolicy(Qt::NoContextMenu);
    control->setAcceptDrops(false);
    control->setAttribute(Qt::WA_InputMethodEnabled, false);
}

}  // namespace

TPXEdit::TPXEdit(QWidget* parent, core::TPXFieldEditor& model) : Editor(&model) {
    QWidget* control;
    if (model.IsMultiLine()) {
        Multi = new QPlainTextEdit(parent);
        Multi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        Multi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Multi->setUndoRedoEnabled(false);
        Multi->setTabChangesFocus(false);
        MakePassive(Multi->viewport());
        control = Multi;
    } else {
        Single = new QLineEdit(parent);
        Single->setMaxLength(model.MaxLength());
        control = Single;
    }
    MakePassive(control);
    control->setProperty(BackReference, QVariant::fromValue(static_cast<void*>(this)));
    Recolour();
    Show();
}

TPXEdit::~TPXEdit() {
    // The control may be handling the very key that replaced the page; it
    // goes once control returns to the event loop.
    if (QWidget* control = Control()) {
        ReleaseControl();
        control->hide();
        control->deleteLater();
    }
}

void TPXEdit::ReleaseControl() {
    if (QWidget* control = Control()) control->setProperty(BackReference, QVariant());
    Single = nullptr;
    Multi = nullptr;
}

QWidget* TPXEdit::Control() const {
    return Multi ? static_cast<QWidget*>(Multi) : static_cast<QWidget*>(Single);
}

TPXEdit* TPXEdit::Of(const QWidget* control) {
    if (!control) return nullptr;
    const QVariant v = control->property(BackReference);
    if (!v.isValid() && control->parentWidget())
        return Of(control->parentWidget());  // the viewport of a multi-line edit
    return v.isValid() ? static_cast<TPXEdit*>(v.value<void*>()) : nullptr;
}

void TPXEdit::Show() {
    const core::TPXFieldEditor& m = *Editor;
    const std::string display = m.DisplayText();
    const int start = m.Caret();
    // Only the current field shows its selection; the others just show text.
    const int length = m.Enabled ? m.SelectionLength() : 0;
    if (Last.Valid && Last.Text == display && Last.Start == start && Last.Length == length &&
        Last.Enabled == m.Enabled)
        return;
    Last = {display, start, length, m.Enabled, true};
    const QString text = Shown(display);
    if (Single) {
        if (Single->text() != text) Single->setText(text);
        if (length > 0)
            Single->setSelection(start, length);
        else {
            Single->deselect();
            Single->setCursorPosition(start);
        }
        Single->setReadOnly(!m.Enabled);
    } else {
        if (Multi->toPlainText() != text) Multi->setPlainText(text);
        QTextCursor cursor(Multi->document());
        cursor.setPosition(start);
        if (length > 0) cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        Multi->setTextCursor(cursor);
        Multi->setReadOnly(!m.Enabled);
    }
    QWidget* control = Control();
    control->setEnabled(m.Enabled);
    control->setFocusPolicy(m.Enabled ? Qt::StrongFocus : Qt::NoFocus);
}

void TPXEdit::SetMarked(bool marked) {
    Editor->SetMarked(marked);
    Recolour();
}

void TPXEdit::Recolour() {
    // White comes from the page (EntryPagePalette); only a marked editor
    // carries a palette of its own, which keeps building a large page cheap.
    QWidget* control = Control();
    const bool marked = Editor->Marked();
    if (!marked && !control->testAttribute(Qt::WA_SetPalette)) return;
    if (!marked) {
        control->setPalette(QPalette());
        control->setAttribute(Qt::WA_SetPalette, false);
        return;
    }
    QPalette palette = control->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(g, QPalette::Base, QColor(0, 255, 255));
    control->setPalette(palette);
}

QPalette EntryPagePalette(const QPalette& base) {
    QPalette palette = base;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(g, QPalette::Base, QColor(Qt::white));
    // Fields other than the current one are disabled but must stay legible.
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(Qt::black));
    return palette;
}

int32_t TPXEdit::CaretAt(const QPoint& pos) const {
    if (Single) return Single->cursorPositionAt(pos);
    return Multi->cursorForPosition(pos).position();
}

}  // namespace tallyra::gui
