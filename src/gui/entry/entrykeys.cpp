// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrykeys.h"

#include <QKeyEvent>

#include "shell/cp1250.h"

namespace tallyra::gui {

using core::TKey;

std::optional<core::TKeyStroke> StrokeOf(const QKeyEvent& event) {
    core::TKeyStroke s;
    const Qt::KeyboardModifiers mods = event.modifiers();
    s.Ctrl = mods & Qt::ControlModifier;
    s.Alt = mods & Qt::AltModifier;
    s.Shift = mods & Qt::ShiftModifier;
    const int key = event.key();
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            s.Key = TKey::Enter;
            return s;
        case Qt::Key_Escape:
            s.Key = TKey::Esc;
            return s;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            s.Key = TKey::Tab;
            return s;
        case Qt::Key_Backspace:
            s.Key = TKey::BS;
            return s;
        case Qt::Key_Delete:
            s.Key = TKey::Del;
            return s;
        case Qt::Key_Left:
            s.Key = TKey::Left;
            return s;
        case Qt::Key_Right:
            s.Key = TKey::Right;
            return s;
        case Qt::Key_Up:
            s.Key = TKey::Up;
            return s;
        case Qt::Key_Down:
            s.Key = TKey::Down;
            return s;
        case Qt::Key_Home:
            s.Key = TKey::Home;
            return s;
        case Qt::Key_End:
            s.Key = TKey::End;
            return s;
        case Qt::Key_PageUp:
            s.Key = TKey::PgUp;
            return s;
        case Qt::Key_PageDown:
            s.Key = TKey::PgDn;
            return s;
        case Qt::Key_Insert:
            s.Key = TKey::Ins;
            return s;
        default:
            break;
    }
    if (key == Qt::Key_Plus && (mods & Qt::KeypadModifier)) {
        s.Key = TKey::KPPlus;
        return s;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        s.Key = static_cast<TKey>(static_cast<int>(TKey::F1) + (key - Qt::Key_F1));
        return s;
    }
    const QString text = event.text();
    if (text.size() == 1 || (text.size() == 2 && text.at(0).isHighSurrogate())) {
        const char32_t code = text.toUcs4().value(0);
        // Control characters come with Ctrl held; the model knows them by
        // their letter (Ctrl+A is "a" with Ctrl).
        if (s.Ctrl && code < 32 && key >= Qt::Key_A && key <= Qt::Key_Z) {
            s.Char = char('a' + (key - Qt::Key_A));
            return s;
        }
        const int byte = core::UnicodeToCp1250(code);
        if (byte < 32) return std::nullopt;
        s.Char = static_cast<char>(byte);
        return s;
    }
    if (s.Ctrl && key >= Qt::Key_A && key <= Qt::Key_Z) {
        s.Char = char('a' + (key - Qt::Key_A));
        return s;
    }
    return std::nullopt;
}

}  // namespace tallyra::gui
