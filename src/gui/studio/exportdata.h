// SPDX-License-Identifier: GPL-3.0-or-later
// Studio's Data > Export data and Data > Codebook: the active script is
// checked, the data file and the target are chosen in file dialogs and the
// export engine writes the target; progress goes to the status bar gauge and
// failures to the error box. A replaced target keeps its ".bak" copy.
#pragma once

#include <string>

namespace tallyra::gui {

class TAppMain_Form;

// Export data: check the active script window (nothing more unless it is
// usable), open dialog for the data file, save dialog for the data set
// (format from the chosen name's extension, which the chosen file type
// supplies), the options dialog of the SPSS export, then the export. An
// existing target (the save dialog asked) is moved to its ".bak" name first
// and put back when the export fails. `main` is borrowed.
void ExportDataCommand(TAppMain_Form* main);

// The data file chosen in an open dialog titled `title` (a tagged text) in
// the main window's open folder, as a full path; the folder is remembered.
// Empty on Cancel.
std::string AskDataFile(TAppMain_Form* main, const char* title);

// Codebook: check as above, open dialog for the data file — Cancel there
// means a codebook without frequencies, not the end of the command —, save
// dialog for the page (.html), then the page written with the backup rule.
void CodebookCommand(TAppMain_Form* main);

}  // namespace tallyra::gui
