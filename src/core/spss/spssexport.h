// SPDX-License-Identifier: GPL-3.0-or-later
// The script editor's SPSS export without its dialog: check the script, read
// its variables through a temporary copy, and write DATA LIST, VARIABLE
// LABELS, VALUE LABELS and MISSING VALUES with the dialog's choices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "../script/tscriptoptions.h"
#include "tvarcoll.h"

namespace tallyra::core {

class TPXDictionary;

// The choices of the export options dialog.
struct TSPSExportOptions {
    bool VariableLabels = true;  // "Variable labels", checked when the dialog opens
    bool Missing8 = false;       // "9..98"
    bool Missing9 = false;       // "9..99"
};

// The integer made of width nines (or width - 1 nines and an 8), computed in
// 64 bits; widths are clamped to 1..18.
int64_t NinesValue(int width, bool endsWithEight);

// Gives every numeric variable the missing values of the checked boxes
// (slot 1 the 9..98 value, slot n the 9..99 value); string variables and a
// choice of neither box leave the set unchanged.
void ApplyNinesMissing(TVarColl& vars, bool missing8, bool missing9);

// Writes the export commands for a built set into target, under a temporary
// name that replaces target only when complete. Raises EGeneric naming the
// target when it cannot be written (target is then unchanged).
void WriteSPSExport(TVarColl& vars, const std::string& target, const TSPSExportOptions& options);

// The variable set of a script text, built exactly as the export builds it:
// checks the text with `checkOptions` (any error raises EGeneric with
// `errorText`) and reads the set from the text in memory. Raises EGeneric for
// set errors.
std::unique_ptr<TVarColl> BuildScriptVars(std::string_view scriptText,
                                          const TScriptOptions& checkOptions, int maxNameLength,
                                          const std::string& errorText);

// The variable set of a read script without its text (the viewer's): built
// from the script's field definitions as Save selection writes them, so it
// names and labels the variables as BuildScriptVars does for the text the
// script was read from. Raises EGeneric for set errors.
std::unique_ptr<TVarColl> BuildDictionaryVars(const TPXDictionary& script, int maxNameLength);

// The whole export of a script text whose file name is scriptFileName:
// checks the text with `checkOptions` (any error raises EGeneric "Cannot
// export script to an .sps file.\r\nErrors found in script."), writes it to
// the private temporary folder under the script's name with ".tmp", builds the
// variable set from that copy and writes target. A target that is the script
// itself or the data file it would describe (its name with ".dat") is refused
// with EGeneric. The temporary copy is removed also when a step fails.
void ExportScriptToSPS(const std::string& scriptFileName, std::string_view scriptText,
                       const TScriptOptions& checkOptions, const std::string& target,
                       const TSPSExportOptions& options, int maxNameLength);

}  // namespace tallyra::core
