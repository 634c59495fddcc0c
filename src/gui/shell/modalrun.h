// SPDX-License-Identifier: GPL-3.0-or-later
// Running the script editor's own modal dialogs. Tests install a handler
// that drives the real dialog's widgets instead of waiting in exec().
#pragma once

#include <functional>

class QDialog;
class QWidget;

namespace tallyra::gui {

// Shows `dialog` modally and returns its result (QDialog::Accepted or
// Rejected). With a handler installed the handler runs instead of exec()
// and the dialog's result after it is returned.
int RunModal(QDialog* dialog);

using TModalHandler = std::function<void(QDialog*)>;
// Installs (or with an empty function removes) the handler.
void SetModalHandler(TModalHandler handler);

// Shows a top-level window (a main window used as a dialog) application-
// modally and returns once it has closed. With a window handler installed
// the handler runs instead of waiting; the window is closed after it if the
// handler left it open.
void RunModalWindow(QWidget* window);
using TModalWindowHandler = std::function<void(QWidget*)>;
void SetModalWindowHandler(TModalWindowHandler handler);

}  // namespace tallyra::gui
