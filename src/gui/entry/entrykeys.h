// SPDX-License-Identifier: GPL-3.0-or-later
// Translation of Qt key events into the keys of the data entry keyboard
// model, so the window feeds the model exactly what `tallyra enter` plays.
#pragma once

#include <optional>

#include "data/keyscript.h"

class QKeyEvent;

namespace tallyra::gui {

// The model's key for a Qt key press; nullopt for keys the model does not
// know (modifier keys alone, characters outside code page 1250).
std::optional<core::TKeyStroke> StrokeOf(const QKeyEvent& event);

}  // namespace tallyra::gui
