// SPDX-License-Identifier: GPL-3.0-or-later
#include "editorsave.h"

#include <vector>

#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/langtext.h"

namespace tallyra::core {

std::string EditorTextToFileBytes(std::string_view utf8) {
    std::vector<char32_t> unmapped;
    const std::string bytes = Utf8ToCp1250(utf8, &unmapped);
    if (!unmapped.empty()) {
        std::string shown;
        for (size_t i = 0; i < unmapped.size() && i < size_t(RefusedCharactersShown); ++i) {
            if (!shown.empty()) shown += ", ";
            shown += Format("U+%04X", static_cast<unsigned>(unmapped[i]));
        }
        throw EGeneric(
            FormatText(LangText("<EN>The text holds %d character(s) that code page 1250 cannot "
                                "store (%s); the file was not changed"
                                "<PL>Tekst zawiera znaki, których strona kodowa 1250 nie może "
                                "zapisać (%d: %s); plik nie został zmieniony"),
                       static_cast<int>(unmapped.size()), shown.c_str()));
    }
    return NormalizeLineEnds(bytes);
}

std::string EditorTextFromFileBytes(std::string_view bytes) {
    return Cp1250ToUtf8(NormalizeLineEnds(std::string(bytes)));
}

void WriteWithBackup(const std::string& target, const std::string& bytes) {
    MakeBackup(target);
    WriteFileBytes(target, bytes);
}

void SaveEditorText(const std::string& target, std::string_view utf8) {
    WriteWithBackup(target, EditorTextToFileBytes(utf8));
}

}  // namespace tallyra::core
