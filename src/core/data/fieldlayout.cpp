// SPDX-License-Identifier: GPL-3.0-or-later
#include "fieldlayout.h"

#include <algorithm>

#include "../shell/errors.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// Records longer than this are refused.
constexpr int32_t MaxLineLength = 16 << 20;

}  // namespace

TPXFieldLayout::TPXFieldLayout(const TPXInstructionList& instructions) : List(&instructions) {
    const int32_t n = instructions.Count();
    Fields.assign(size_t(n), nullptr);
    AutoValues.assign(size_t(n), std::string());
    const TPXFieldInstruction* id = instructions.FindRecId();
    for (int32_t i = 0; i < n; ++i) {
        if (instructions.Get(i)->Kind != ikField) continue;
        const auto* f = static_cast<const TPXFieldInstruction*>(instructions.Get(i));
        Fields[size_t(i)] = f;
        AutoValues[size_t(i)] = f->AutoValue();
        Last = i;
        if (f == id) Identifier = i;
    }
    if (Last < 0)
        throw EPXData(LangText("<EN>The script defines no fields.<PL>Skrypt nie definiuje pól."));
    if (instructions.LineLength() > MaxLineLength)
        throw EPXData(
            LangText("<EN>The records of this script are too long for data entry."
                     "<PL>Rekordy tego skryptu są za długie do wprowadzania danych."));
}

int32_t TPXFieldLayout::FieldAfter(int32_t after) const {
    for (int32_t i = std::max(after + 1, 0); i < Count(); ++i)
        if (Fields[size_t(i)]) return i;
    return Count() + 1;
}

int32_t TPXFieldLayout::PageStartOf(int32_t i) const {
    for (int32_t k = std::min(i, Count()) - 1; k >= 0; --k)
        if (List->Get(k)->Kind == ikPage) return k + 1;
    return 0;
}

int32_t TPXFieldLayout::PageNumberOf(int32_t pageStart) const {
    int32_t page = 1;
    for (int32_t k = 0; k < pageStart && k < Count(); ++k)
        if (List->Get(k)->Kind == ikPage) ++page;
    return page;
}

}  // namespace tallyra::core
