// SPDX-License-Identifier: GPL-3.0-or-later
// Validation of TPXDataHandler: whether a value may be left, the verifier of
// double entry, and the data check rules of one record.
#include <algorithm>

#include "../script/messagecodes.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "tpxdatahandler.h"

namespace tallyra::core {

namespace {

bool AllOf(std::string_view text, char c, int32_t width) {
    return int32_t(text.size()) == width &&
           std::all_of(text.begin(), text.end(), [c](char x) { return x == c; });
}

}  // namespace

bool TPXDataHandler::ValidateCurrent() {
    const int32_t cur = Navigation.Position().Cur;
    const TPXFieldInstruction* f = FieldAt(cur);
    if (!f || f->IsText()) return true;
    const std::string t = Navigation.FieldText(cur);
    if (t.empty() || AllOf(t, '#', f->Width)) return true;
    int32_t v;
    if (!DataStrToInt(t, v)) {
        if (t == AutoText(cur)) return true;
        if (DataOwner) {
            DataOwner->OwnerRefreshNow();
            DataOwner->OwnerBeep();
            DataOwner->OwnerMessage(TOwnerBox::Error,
                                    LangText("<EN>Invalid value.<PL>Liczba zapisana błędnie."));
        }
        return false;
    }
    const auto* numeric = static_cast<const TPXNumericInstruction*>(f);
    if (numeric->Range.Contains(v)) return true;
    if (DataOwner) {
        DataOwner->OwnerRefreshNow();
        DataOwner->OwnerSound(2);
    }
    if (cur < Navigation.AutomaticBoundary()) return true;
    if (!DataOwner) return false;
    const bool force = DataOwner->OwnerAskForce(
        FormatText(LangText("<EN>Value out of range\r\n%s.\r\n\r\nForce value?"
                            "<PL>Liczba spoza zakresu\r\n%s.\r\n\r\nWymusić wartość?"),
                   numeric->Range.ToText().c_str()));
    if (force) ++Forced;
    return force;
}

bool TPXDataHandler::VerifyCurrent(bool typed) {
    const int32_t cur = Navigation.Position().Cur;
    if (!Verifier || !InIncomplete() || !FieldAt(cur)) return true;
    return Verifier->VerifyValue(*this, cur, typed) || !typed;
}

void TPXDataHandler::AddDataError(int32_t record, int32_t field, int32_t code) {
    MessageList().Add(std::make_unique<TPXDataMessage>(record, field, code));
}

void TPXDataHandler::CheckRecord(int32_t record, uint8_t mask, std::vector<std::string_view>& texts,
                                 std::vector<std::string>& scratch) {
    TPXDataContext& c = Navigation.Position();
    c.ActiveFilters.Clear();
    c.Rec = record;
    std::string group;
    int32_t groupStart = -1;
    const int32_t n = Layout.Count();
    for (int32_t i = 0; i < n; ++i) {
        const TPXFieldInstruction* f = FieldAt(i);
        if (!f) continue;
        c.Cur = i;
        const std::string_view t = Navigation.FieldView(i, scratch[size_t(i)]);
        texts[size_t(i)] = t;
        const std::string& a = AutoText(i);
        if (!f->Group.empty()) {
            group = f->Group;
            groupStart = i;
        }
        Navigation.EvaluateFilters(false);
        Navigation.MarkRanges(f->Label, true, false);

        if ((mask & 1) && AllOf(t, '#', f->Width)) {
            AddDataError(record, i, mcUndefinedValue);
        } else if ((f->Flags & ffConst) && t != a && (mask & 2)) {
            AddDataError(record, i, mcConstantNotAutomatic);
        } else if (!f->IsText() && t != a) {
            int32_t v;
            if (!DataStrToInt(t, v)) {
                if (mask & 4) AddDataError(record, i, mcNonNumericValue);
            } else if (!static_cast<const TPXNumericInstruction*>(f)->Range.Contains(v) &&
                       (mask & 8)) {
                AddDataError(record, i, mcValueOutOfRange);
            }
        }

        if (!f->Label.empty() && f->Label == group && groupStart >= 0) {
            bool reported = false;
            for (int32_t j = groupStart; j < i && !reported; ++j) {
                if (!FieldAt(j)) continue;
                const std::string_view tj = texts[size_t(j)];
                const std::string& aj = AutoText(j);
                for (int32_t k = j + 1; k <= i && !reported; ++k) {
                    if (!FieldAt(k)) continue;
                    const std::string_view tk = texts[size_t(k)];
                    const std::string& ak = AutoText(k);
                    if (tj == aj && tk != ak && (mask & 32)) {
                        AddDataError(record, k, mcValueAfterAutomatic);
                        reported = true;
                    } else if (tj == tk && tj != aj && tk != ak && (mask & 64)) {
                        AddDataError(record, k, mcValueRepeated);
                        reported = true;
                    }
                }
            }
        }

        if (c.ActiveFilters.IsFiltered()) {
            if (t != a) {
                if (mask & 16) AddDataError(record, i, mcNonAutomaticFiltered);
                auto& items = c.ActiveFilters.Items;
                items.erase(
                    std::remove_if(items.begin(), items.end(),
                                   [](const TActiveFilterItem& x) { return x.InEffect == 1; }),
                    items.end());
            }
        } else if (t == a && !f->IsText() && !(f->Flags & (ffRecId | ffConst)) &&
                   (group.empty() || groupStart == i) && (mask & 128)) {
            AddDataError(record, i, mcAutomaticOutsideGroup);
        }
        Navigation.MarkRanges(f->Label, false, false);
        if (f->Label == group) group.clear();
    }
    c.ActiveFilters.Clear();
}

}  // namespace tallyra::core
