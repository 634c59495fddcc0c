// SPDX-License-Identifier: GPL-3.0-or-later
// The save policy of the script editor: the editor holds Unicode text, a
// file holds code-page-1250 bytes with CR LF line ends. A text that the code
// page cannot store is refused before anything on disk is touched; a text
// that can is written with the backup rule. Used for saving a document, for
// Save block and wherever the editor's text is read as a script; and the
// way back, for loading a file and Insert file.
#pragma once

#include <string>
#include <string_view>

namespace tallyra::core {

// The number of refused characters EditorTextToFileBytes names.
constexpr int RefusedCharactersShown = 5;

// The UTF-8 text of the editor as file bytes: code page 1250, every line end
// (CR LF, lone CR, lone LF) a CR LF. Raises EGeneric, converting nothing,
// when the text holds characters outside the code page (or malformed UTF-8);
// the text gives their number, names the first RefusedCharactersShown of
// them as U+XXXX and says that the file was not changed.
std::string EditorTextToFileBytes(std::string_view utf8);

// Writes `bytes` to `target` with the backup rule (a file there becomes its
// ".bak" first). Raises EGeneric with the I/O text when the backup or the
// write fails: a failed backup leaves `target` as it was, a failed write
// leaves its previous content in the backup.
void WriteWithBackup(const std::string& target, const std::string& bytes);

// File bytes as the editor's UTF-8 text, every line end a CR LF: the
// reverse of EditorTextToFileBytes. Every byte has a character, so nothing
// is refused and nothing raised; a NUL byte stays a NUL character.
std::string EditorTextFromFileBytes(std::string_view bytes);

// EditorTextToFileBytes, then WriteWithBackup: a refused text raises before
// the backup is made, so neither `target` nor its backup changes.
void SaveEditorText(const std::string& target, std::string_view utf8);

}  // namespace tallyra::core
