// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrynavigation.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "datamessage.h"

namespace tallyra::core {

namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    size_t pos = 0;
    while ((pos = text.find(from, pos)) != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos += to.size();
    }
    return text;
}

}  // namespace

bool DataStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        return false;
    value = int32_t(v);
    return true;
}

TPXEntryNavigation::TPXEntryNavigation(const TPXFieldLayout& layout, TPXRecordStore& records,
                                       IPXEntryHost& host, IPXDataOwner* owner)
    : Layout(layout),
      Instructions(&layout.Instructions()),
      Records(records),
      Host(host),
      Owner(owner) {
    Reset();
}

void TPXEntryNavigation::Reset() {
    Context = std::make_unique<TPXDataContext>(*Instructions);
    Context->Rec = 1;
    EntryPos = 0;
    ResetNewRecord();
}

void TPXEntryNavigation::Start(int32_t incomplete, int32_t autoBoundary) {
    AutoBoundary = autoBoundary;
    if (incomplete > 0) PlaceEntryInIncomplete(incomplete);
    Context->Rec = Records.FullRecords() + 1;
}

void TPXEntryNavigation::PlaceEntryInIncomplete(int32_t n) {
    Context->Page = 1;
    int32_t found = -1;
    for (int32_t i = 0; i < Instructions->Count(); ++i) {
        if (Instructions->Get(i)->Kind == ikPage) {
            ++Context->Page;
            Context->PageStart = i + 1;
        } else if (const TPXFieldInstruction* f = FieldAt(i); f && f->Column + f->Width - 1 > n) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        // Every character but the line end is present: the last field is the
        // one still to be confirmed.
        found = Layout.LastField();
        Context->PageStart = PageStartOf(found);
        Context->Page = PageNumberOf(Context->PageStart);
    }
    EntryPos = found;
    const TPXFieldInstruction* f = FieldAt(found);
    if (f->Column <= n) {
        std::string& record = Records.Current();
        const int32_t last = std::min(n, f->Column + f->Width - 1);
        for (int32_t c = f->Column; c <= last; ++c)
            record[size_t(c - 1)] = '*';
    }
}

void TPXEntryNavigation::ResetNewRecord() {
    Records.ClearBuffers();
    SetEntryPosition(-1);
    Context->Page = 1;
    Context->PageStart = 0;
    Context->Cur = EntryPos;
    Context->LastWritten = -1;
    Context->GroupLabel.clear();
    Context->ActiveFilters.Clear();
}

void TPXEntryNavigation::SetEntryPosition(int32_t after) {
    if (InIncomplete()) EntryPos = Layout.FieldAfter(after);
}

int32_t TPXEntryNavigation::IncompleteLength() const {
    const TPXFieldInstruction* f = FieldAt(EntryPos);
    return f ? f->Column - 1 : 0;
}

void TPXEntryNavigation::LoadRecord() {
    Records.Load(Context->Rec);
}

size_t TPXEntryNavigation::StoredBytes() const {
    if (InIncomplete() && EntryPos < Instructions->Count())
        return size_t(FieldAt(EntryPos)->Column - 1);
    return size_t(Records.LineLength());
}

void TPXEntryNavigation::SaveRecord() {
    if (Records.Unsaved()) Records.Write(Context->Rec, StoredBytes());
}

void TPXEntryNavigation::FieldTextInto(int32_t i, std::string& out) const {
    out.clear();
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f || (InIncomplete() && i > EntryPos)) return;
    const char* p = Records.Current().data() + (f->Column - 1);
    const size_t w = size_t(f->Width);
    bool allStars = true;
    bool escape = false;
    for (size_t k = 0; k < w; ++k) {
        if (p[k] != '*') allStars = false;
        if (p[k] == '\\') escape = true;
    }
    if (allStars) return;
    out.assign(p, w);
    if (escape) out = ReplaceAll(std::move(out), "\\n", "\r\n");
}

std::string_view TPXEntryNavigation::FieldView(int32_t i, std::string& scratch) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f || (InIncomplete() && i > EntryPos)) return std::string_view();
    const std::string_view raw(Records.Current().data() + (f->Column - 1), size_t(f->Width));
    if (raw.find_first_not_of('*') == std::string_view::npos) return std::string_view();
    if (raw.find('\\') == std::string_view::npos) return raw;
    FieldTextInto(i, scratch);
    return scratch;
}

std::string TPXEntryNavigation::FieldText(int32_t i) const {
    std::string text;
    FieldTextInto(i, text);
    return text;
}

std::string TPXEntryNavigation::PrevFieldText(int32_t i) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f) return std::string();
    return ReplaceAll(Records.Previous().substr(size_t(f->Column - 1), size_t(f->Width)), "\\n",
                      "\r\n");
}

void TPXEntryNavigation::StoreValue(std::string_view text) {
    const TPXFieldInstruction* f = FieldAt(Context->Cur);
    if (!f) return;
    std::string value = ReplaceAll(std::string(text), "\r\n", "\\n");
    // A lone line-break character would break the record structure of the file.
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    value.resize(size_t(f->Width), ' ');
    std::memcpy(Records.Current().data() + (f->Column - 1), value.data(), value.size());
    Context->LastWritten = Context->Cur;
    Records.MarkUnsaved();
}

std::string TPXEntryNavigation::RecordIdText() const {
    const TPXFieldInstruction* id = Instructions->FindRecId();
    int32_t v;
    if (!id ||
        !DataStrToInt(
            std::string_view(Records.Current()).substr(size_t(id->Column - 1), size_t(id->Width)),
            v))
        return "-----------";
    return Format("%.11d", v);
}

void TPXEntryNavigation::GoToRecord(int32_t n) {
    const int32_t full = Records.FullRecords();
    if (n < 1 || n > full + 1 || (n == full + 1 && !Host.CanAppend()))
        throw EPXData(LangText("<EN>Invalid record index.<PL>Nieprawidłowy indeks rekordu."));
    if (n == full + 1 && EntryPos < Context->Cur) {
        Host.GoToEnd();
    } else {
        SaveRecord();
        Context->Rec = n;
        LoadRecord();
    }
    Refresh();
}

void TPXEntryNavigation::Refresh() {
    if (Owner) Owner->OwnerRefresh();
}

void TPXEntryNavigation::RefreshNow() {
    if (Owner) Owner->OwnerRefreshNow();
}

void TPXEntryNavigation::Sound(int kind) {
    if (Owner) Owner->OwnerSound(kind);
}

bool TPXEntryNavigation::UpdateMode() const {
    return Owner != nullptr && Owner->OwnerUpdateMode();
}

bool TPXEntryNavigation::QualifiesInMode(const TPXFieldInstruction& f) const {
    const bool update = (f.Flags & ffUpdate) != 0;
    return UpdateMode() ? update : !update;
}

bool TPXEntryNavigation::Visitable(int32_t i) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f) return false;
    const bool update = (f->Flags & ffUpdate) != 0;
    if (UpdateMode()) return update;
    return !update || (InIncomplete() && i >= EntryPos);
}

void TPXEntryNavigation::AdvanceField() {
    TPXDataContext& c = *Context;
    const int32_t n = Instructions->Count();
    bool crossed = false;
    bool found = false;
    for (int32_t b = c.Cur + 1; b < n; ++b) {
        const uint8_t kind = Instructions->Get(b)->Kind;
        if (kind == ikPage) {
            ++c.Page;
            c.PageStart = b + 1;
            crossed = true;
        } else if (kind == ikField) {
            c.Cur = b;
            if (Visitable(b)) {
                found = true;
                break;
            }
        }
    }
    if (crossed) Sound(1);
    if (found && crossed) {
        if (InIncomplete()) EntryPos = std::max(c.Cur, EntryPos);
        SaveRecord();
    }
    if (!found) {
        if (c.Rec == Records.FullRecords() && UpdateMode()) {
            int32_t last = -1;
            for (int32_t i = n - 1; i >= 0 && last < 0; --i)
                if (const TPXFieldInstruction* f = FieldAt(i); f && (f->Flags & ffUpdate)) last = i;
            if (last >= 0) {
                // The walk above ran to the end of the record; the page is
                // the one of the field we stay on.
                c.PageStart = PageStartOf(last);
                c.Page = PageNumberOf(c.PageStart);
                c.Cur = last - 1;
                Host.NextField();
                return;
            }
        }
        if (!crossed) Sound(1);
        const bool completed = InIncomplete();
        if (completed) {
            Records.AddFullRecord();
            c.ActiveFilters.Clear();
            // The completed record is written whole, with its line end.
            Records.MarkUnsaved();
            try {
                SaveRecord();
            } catch (...) {
                Records.DropFullRecord();
                throw;
            }
            ++Completions;
        } else {
            SaveRecord();
        }
        ++c.Rec;
        if (completed) SetEntryPosition(-1);
        if (InIncomplete()) Records.KeepCurrentAsPrevious();
        LoadRecord();
        c.PageStart = 0;
        c.Page = 1;
        for (int32_t i = 0; i < n; ++i) {
            const TPXGenericInstruction* instruction = Instructions->Get(i);
            if (instruction->Kind == ikPage) {
                ++c.Page;
                c.PageStart = i + 1;
            } else if (const TPXFieldInstruction* f = FieldAt(i); f && QualifiesInMode(*f)) {
                c.Cur = i - 1;
                Host.NextField();
                break;
            }
        }
    }
    if (InIncomplete()) EntryPos = std::max(c.Cur, EntryPos);
}

void TPXEntryNavigation::PreviousField() {
    TPXDataContext& c = *Context;
    const int32_t page = c.Page;
    const int32_t pageStart = c.PageStart;
    bool found = false;
    for (int32_t k = c.Cur - 1; k >= 0; --k) {
        const TPXGenericInstruction* instruction = Instructions->Get(k);
        if (const TPXFieldInstruction* f = FieldAt(k)) {
            if (QualifiesInMode(*f)) {
                c.Cur = k;
                found = true;
                break;
            }
        } else if (instruction->Kind == ikPage) {
            --c.Page;
            SaveRecord();
            c.PageStart = PageStartOf(k);
        }
    }
    if (found) return;
    if (c.Rec > 1) {
        SaveRecord();
        --c.Rec;
        LoadRecord();
        for (int32_t k = Instructions->Count() - 1; k >= 0; --k)
            if (const TPXFieldInstruction* f = FieldAt(k); f && QualifiesInMode(*f)) {
                c.Cur = k;
                break;
            }
        c.PageStart = PageStartOf(c.Cur);
        c.Page = PageNumberOf(c.PageStart);
    } else {
        // On record 1 with nothing before the field the position stays.
        c.Page = page;
        c.PageStart = pageStart;
    }
}

void TPXEntryNavigation::FirstFieldOnPage() {
    TPXDataContext& c = *Context;
    for (int32_t k = c.Cur - 1; k >= 0; --k) {
        if (Instructions->Get(k)->Kind == ikPage) break;
        if (FieldAt(k)) c.Cur = k;
    }
}

void TPXEntryNavigation::LastFieldOnPage() {
    TPXDataContext& c = *Context;
    for (int32_t i = c.Cur + 1; i < Instructions->Count(); ++i) {
        if (Instructions->Get(i)->Kind == ikPage) break;
        if (!FieldAt(i)) continue;
        if (InIncomplete() && i > EntryPos) break;
        c.Cur = i;
    }
}

void TPXEntryNavigation::FirstRecord() {
    if (Context->Rec > 1) {
        SaveRecord();
        Context->Rec = 1;
        LoadRecord();
    }
    FirstField();
}

void TPXEntryNavigation::FirstField() {
    TPXDataContext& c = *Context;
    if (c.PageStart < 1) {
        FirstFieldOnPage();
        return;
    }
    SaveRecord();
    c.PageStart = 0;
    c.Page = 1;
    c.Cur = -1;
    Host.NextField();
}

void TPXEntryNavigation::PrevRecord_() {
    if (Context->Rec >= 2) {
        SaveRecord();
        --Context->Rec;
        LoadRecord();
    }
}

void TPXEntryNavigation::NextRecordInFile() {
    TPXDataContext& c = *Context;
    if (c.Rec < Records.FullRecords() || (c.Rec == Records.FullRecords() && c.Cur <= EntryPos)) {
        SaveRecord();
        ++c.Rec;
        LoadRecord();
    }
}

void TPXEntryNavigation::GoToEntryEnd() {
    TPXDataContext& c = *Context;
    if (!InIncomplete()) {
        SaveRecord();
        c.Rec = Records.FullRecords() + 1;
        LoadRecord();
        c.PageStart = 0;
        c.Cur = 0;
    }
    EndOfRecord();
}

void TPXEntryNavigation::EndOfRecord() {
    TPXDataContext& c = *Context;
    SaveRecord();
    c.PageStart = InIncomplete() ? EntryPos : Instructions->Count() - 1;
    c.PageStart = std::min(c.PageStart, Instructions->Count() - 1);
    while (c.PageStart > 0 && Instructions->Get(c.PageStart - 1)->Kind != ikPage)
        --c.PageStart;
    c.Page = PageNumberOf(c.PageStart);
    c.Cur = c.PageStart;
    LastFieldOnPage();
}

void TPXEntryNavigation::NextEntered() {
    if (!InIncomplete() || Context->Cur < EntryPos) Host.NextField();
}

void TPXEntryNavigation::EvaluateFilters(bool afterEntry) {
    const int32_t cur = Context->Cur;
    const TPXFieldInstruction* f = FieldAt(cur);
    if (!f || f->IsText()) return;
    if (afterEntry && !InIncomplete()) return;
    const auto* numeric = static_cast<const TPXNumericInstruction*>(f);
    TActiveFilters& filters = Context->ActiveFilters;
    if (numeric->Filters && !numeric->Filters->empty()) {
        filters.DeleteOwnedBy(cur);
        int32_t v;
        if (DataStrToInt(FieldText(cur), v)) {
            const TFilterList& list = *numeric->Filters;
            for (size_t k = 0; k < list.size(); ++k) {
                const bool active = list[k].Values.Contains(v);
                for (int32_t j = 0; j < list[k].Targets.Count(); ++j) {
                    if (list[k].Kind == fkSignal)
                        filters.Add(cur, int32_t(k), j, active ? 1 : 0);
                    else if (active)
                        filters.Add(cur, int32_t(k), j, 1);
                }
            }
        }
    }
    if (afterEntry) MarkRanges(f->Label, false, true);
}

void TPXEntryNavigation::MarkRanges(const std::string& label, bool starting, bool newRecordOnly) {
    if (label.empty() || (newRecordOnly && !InIncomplete())) return;
    TActiveFilters& filters = Context->ActiveFilters;
    for (int32_t i = filters.Count() - 1; i >= 0; --i) {
        TActiveFilterItem& item = filters.Items[size_t(i)];
        const auto* owner = static_cast<const TPXNumericInstruction*>(FieldAt(item.FieldIndex));
        const TIRange& range = (*owner->Filters)[size_t(item.FilterIndex)].Targets[item.RangeIndex];
        if (starting && range.FromLabel == label) item.InEffect = 1;
        if (!starting && range.ToLabel == label) filters.Delete(i);
    }
}

void TPXEntryNavigation::RebuildFilters() {
    if (!InIncomplete()) return;
    TPXDataContext& c = *Context;
    c.ActiveFilters.Clear();
    const int32_t cur = c.Cur;
    for (int32_t i = 0; i < cur; ++i) {
        const TPXFieldInstruction* f = FieldAt(i);
        if (!f) continue;
        c.Cur = i;
        EvaluateFilters(false);
        MarkRanges(f->Label, true, true);
        MarkRanges(f->Label, false, true);
    }
    c.Cur = cur;
}

void TPXEntryNavigation::AcceptTail() {
    if (Host.ValidateCurrent() && Host.VerifyCurrent(TypedFill)) {
        EvaluateFilters(true);
        Host.NextField();
    }
}

void TPXEntryNavigation::FillValue(const std::string& text) {
    if (!FieldAt(Context->Cur)) return;
    StoreValue(text);
    AcceptTail();
}

void TPXEntryNavigation::AcceptTyped() {
    const TPXFieldInstruction* f = FieldAt(Context->Cur);
    if (!f) return;
    std::string t = FieldText(Context->Cur);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    if (!f->IsText()) {
        if (t.empty()) t.assign(1, '0');
        if (int32_t(t.size()) < f->Width) {
            const size_t pad = size_t(f->Width) - t.size();
            if (t[0] >= '0' && t[0] <= '9')
                t.insert(0, pad, '0');
            else if (t[0] == '+' || t[0] == '-')
                t.insert(1, pad, '0');
        }
    }
    TypedFill = true;
    try {
        FillValue(t);
    } catch (...) {
        TypedFill = false;
        throw;
    }
    TypedFill = false;
}

void TPXEntryNavigation::FillIdentifier() {
    const int32_t cur = Context->Cur;
    const TPXFieldInstruction* f = FieldAt(cur);
    if (!f) return;
    std::string text;
    if (Context->Rec == 1) {
        text = AutoText(cur);
    } else {
        const std::string previous = PrevFieldText(cur);
        int32_t v;
        if (previous == std::string(size_t(f->Width), '9')) {
            text = previous;
        } else if (!DataStrToInt(previous, v)) {
            text = AutoText(cur);
        } else {
            const int64_t next = int64_t(v) + 1;
            text = std::to_string(next < 0 ? -next : next);
            if (int32_t(text.size()) < f->Width - (next < 0 ? 1 : 0))
                text.insert(0, size_t(f->Width - (next < 0 ? 1 : 0)) - text.size(), '0');
            if (next < 0) text.insert(0, 1, '-');
        }
    }
    FillValue(text);
}

void TPXEntryNavigation::CopyPrevious() {
    if (Context->Rec > 1) FillValue(PrevFieldText(Context->Cur));
}

void TPXEntryNavigation::MarkUndefined() {
    const TPXFieldInstruction* f = FieldAt(Context->Cur);
    if (!f) return;
    StoreValue(std::string(size_t(f->Width), '#'));
    EvaluateFilters(true);
    Host.NextField();
}

void TPXEntryNavigation::Execute(TPXCommand a) {
    switch (a) {
        case cmdFillConst:
        case cmdFillFiltered:
        case cmdFillAuto:
            if (FieldAt(Context->Cur)) FillValue(AutoText(Context->Cur));
            break;
        case cmdNextEntered:
            NextEntered();
            break;
        case cmdAcceptTyped:
            AcceptTyped();
            break;
        case cmdFirstError:
            GoToError(0);
            break;
        case cmdLastError:
            GoToError(Host.MessageList().Count() - 1);
            break;
        case cmdNextError:
            GoToError(ErrorIndex + 1);
            break;
        case cmdPrevError:
            GoToError(ErrorIndex - 1);
            break;
        case cmdConfirmNext:
            EvaluateFilters(true);
            Host.NextField();
            break;
        case cmdToEnd:
            Host.GoToEnd();
            break;
        case cmdFirstRecord:
            FirstRecord();
            break;
        case cmdMarkUndefined:
            MarkUndefined();
            break;
        case cmdFillIdentifier:
            FillIdentifier();
            break;
        case cmdCopyPrevious:
            CopyPrevious();
            break;
        case cmdNextPage:
            LastFieldOnPage();
            NextEntered();
            break;
        case cmdLastFieldOnPage:
            LastFieldOnPage();
            break;
        case cmdFirstFieldOnPage:
            FirstFieldOnPage();
            break;
        case cmdPrevPage:
            FirstFieldOnPage();
            PreviousField();
            break;
        case cmdNextRecord:
            Host.NextRecord();
            break;
        case cmdEndOfRecord:
            EndOfRecord();
            break;
        case cmdFirstField:
            FirstField();
            break;
        case cmdPrevRecord:
            PrevRecord_();
            break;
        case cmdPrevField:
            PreviousField();
            break;
        default:
            break;
    }
}

void TPXEntryNavigation::DoCommand(TPXCommand a, bool validate) {
    TPXDataContext& c = *Context;
    const int64_t completionsAtStart = Completions;
    bool firstPass = true;
    for (;;) {
        // Leaving the current field of new ground: group bookkeeping.
        if (InIncomplete() && c.Cur >= c.LastWritten) {
            if (const TPXFieldInstruction* f = FieldAt(c.Cur)) {
                if (!f->Group.empty()) c.GroupLabel = f->Group;
                if (f->Label == c.GroupLabel) c.GroupLabel.clear();
                MarkRanges(f->Label, false, true);
            }
        }
        if (validate && !Host.ValidateCurrent()) return;
        // Only the value the command leaves is the operator's; later passes
        // stand on fields the store fills itself.
        if (validate && firstPass && !Host.VerifyCurrent(true)) return;
        firstPass = false;
        const bool wasEntry = InIncomplete() && c.Cur == EntryPos;
        if (a < 0 || a > cmdPrevField) {
            RefreshNow();
            if (Owner)
                Owner->OwnerMessage(
                    TOwnerBox::Error,
                    FormatText(LangText("<EN>Invalid parameter of DoCommand = %d.\r\nREPORT TO THE "
                                        "ADMINISTRATOR!!!\r\n\r\nYou can continue to enter data."
                                        "<PL>Błędny parametr DoCommand = %d.\r\nKONIECZNIE ZGŁOŚ "
                                        "ADMINISTRATOROWI!!!\r\n\r\nPo zgłoszeniu dane można "
                                        "wprowadzać dalej."),
                               a));
            Refresh();
            return;
        }
        Execute(a);
        if (InIncomplete() && c.Cur == EntryPos && !wasEntry) RebuildFilters();
        if (!InIncomplete() || c.Cur != EntryPos || c.Cur == c.LastWritten || !FieldAt(c.Cur))
            break;
        // A record filled from its first field to its end without the user
        // (a script whose every field is automatic) ends the command, so
        // automatic filling can never append records without end.
        if (Completions - completionsAtStart >= 2) break;
        const TPXFieldInstruction* f = FieldAt(c.Cur);
        if (!UpdateMode() && (f->Flags & ffUpdate)) {
            a = cmdMarkUndefined;
            continue;
        }
        if ((f->Flags & ffBeep) && a != cmdFillFiltered && Owner) Owner->OwnerBeep();
        MarkRanges(f->Label, true, true);
        if (!c.GroupLabel.empty() && a == cmdFillAuto) continue;
        if (c.ActiveFilters.IsFiltered()) {
            a = cmdFillFiltered;
        } else if (f->Flags & ffConst) {
            a = cmdFillConst;
        } else {
            a = cmdFillIdentifier;
            if (!(f->Flags & ffRecId)) {
                if (c.Cur >= AutoBoundary) break;
                if (AutoBoundary == c.Cur + 1) c.ActiveFilters.Clear();
                a = cmdFillAuto;
            }
        }
    }
    Refresh();
}

void TPXEntryNavigation::GoToError(int32_t index) {
    TEHList& list = Host.MessageList();
    if (list.Count() == 0 || index < 0 || index >= list.Count()) return;
    const TEHMessage* m = list.Get(index);
    int32_t record;
    int32_t field;
    if (const auto* data = dynamic_cast<const TPXDataMessage*>(m)) {
        record = data->Record;
        field = data->FieldIndex;
    } else {
        record = int32_t(uint32_t(m->Position) & 0xFFFFu);
        field = int32_t(uint32_t(m->Position) >> 16);
    }
    ErrorIndex = index;
    // Only positions inside this file and script can be shown.
    if (record < 1 || record > Records.FullRecords() + (Host.CanAppend() ? 1 : 0) ||
        !FieldAt(field))
        return;
    TPXDataContext& c = *Context;
    if (record != c.Rec) {
        SaveRecord();
        c.Rec = record;
        LoadRecord();
    }
    if (field == c.Cur) return;
    const int32_t pageStart = PageStartOf(field);
    if (pageStart != c.PageStart) SaveRecord();
    c.PageStart = pageStart;
    c.Page = PageNumberOf(pageStart);
    c.Cur = field;
}

}  // namespace tallyra::core
