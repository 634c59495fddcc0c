// SPDX-License-Identifier: GPL-3.0-or-later
// Script messages: the catalogue that turns codes into texts in the user's
// language, the script message list, and the check summary lines.
#pragma once

#include <string>

#include "messagecodes.h"
#include "tehlist.h"

namespace tallyra::core {

// The catalogue text of a script or data message code in the current
// language, formatted with its arguments; empty for an unknown code.
std::string PXMessageText(int32_t code);

class TPXMessage : public TEHMessage {
public:
    using TEHMessage::TEHMessage;
    std::unique_ptr<TEHMessage> CreateCopy() const override;
    std::string GetBaseText() const override;
};

// Holds TPXMessage items; created with Limit 100, kinds shown, marker added.
class TPXMessageList : public TEHList {
public:
    TPXMessageList() : TEHList(100, true, true) {}
    std::unique_ptr<TEHMessage> NewMessage() const override;
};

// The message list limit for an error mode: 0 gives 1, 1 the error count,
// 2 (and anything else) 2147483647.
int32_t LimitForErrorMode(int errorMode, int errorCount);

// Summary lines of a script window (tagged texts, select with LangText).
inline constexpr const char* TextNotChecked =
    "<EN>The file was not checked yet.<PL>Plik nie był jeszcze sprawdzany.";
inline constexpr const char* TextChecking = "<EN>Checking file...<PL>Sprawdzanie pliku...";
inline constexpr const char* TextCorrect = "<EN>The file is correct.<PL>Plik jest poprawny.";
inline constexpr const char* TextAlmostCorrect =
    "<EN>The file is almost correct, but:<PL>Plik jest prawie poprawny, ale:";
inline constexpr const char* TextNotCorrect =
    "<EN>The file is not correct:<PL>Plik nie jest poprawny:";

// The summary line for a checked list (selected for the current language).
std::string CheckSummary(const TEHList& messages);

}  // namespace tallyra::core
