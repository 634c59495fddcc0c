// SPDX-License-Identifier: GPL-3.0-or-later
#include "tentrykeyboard.h"

#include <algorithm>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// Blanks and other characters up to 32 removed at both ends.
std::string Trim(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return text.substr(first, last - first);
}

}  // namespace

std::string NoFullRecordsText() {
    return LangText(
        "<EN>There are no FULL records in the data.<PL>W danych nie ma ani jednego PEŁNEGO "
        "rekordu.");
}

std::string DataNotCheckedText() {
    return LangText("<EN>Data not checked yet.<PL>Dane nie były jeszcze sprawdzane.");
}

std::string CheckResultText(int32_t errors) {
    if (errors == 0) return LangText("<EN>The data is OK!<PL>Dane są OK!");
    return FormatText(LangText("<EN>The data is not ok.\r\nErrors found: %d.<PL>Dane nie są "
                               "ok.\r\nZnaleziono błędów: %d."),
                      errors);
}

TEntryKeyboard::TEntryKeyboard(TPXDataHandler& store, IPXDataOwner& owner)
    : Store(store), Owner(owner) {}

TPXFieldEditor* TEntryKeyboard::Focused() const {
    if (FocusIndex < 0 || FocusIndex >= int32_t(PageEditors.size())) return nullptr;
    return PageEditors[size_t(FocusIndex)].get();
}

void TEntryKeyboard::StartEntry(bool viewer) {
    UpdateKnown = false;
    LastRec = LastPageStart = LastCur = -1;
    try {
        Command(viewer ? cmdFirstRecord : cmdToEnd, false);
        ProcessQueue();
    } catch (const ETallyraError& e) {
        Owner.OwnerMessage(TOwnerBox::Error, e.Text());
    }
}

void TEntryKeyboard::QueueRefresh() {
    if (Queue.empty() || Queue.back() != TEvent::Refresh) Queue.push_back(TEvent::Refresh);
}

void TEntryKeyboard::ProcessQueue() {
    // Events queue further events (a refresh after EditorChanged's command);
    // each command moves on or stops, so the queue drains.
    while (!Queue.empty()) {
        const TEvent event = Queue.front();
        Queue.pop_front();
        if (event == TEvent::EditorChanged)
            EditorChanged();
        else
            Refresh();
    }
}

void TEntryKeyboard::Command(TPXCommand a, bool validate) {
    Store.DoCommand(a, validate);
}

void TEntryKeyboard::Press(const TKeyStroke& key) {
    ++KeyCount;
    try {
        switch (key.Key) {
            case TKey::F7:
                ToggleSound();
                break;
            case TKey::F8:
                ToggleUpdateMode();
                break;
            case TKey::F9:
                CheckAll();
                break;
            case TKey::F10:
                CheckCurrent();
                break;
            case TKey::F11:
                PrevError();
                break;
            case TKey::F12:
                NextError();
                break;
            case TKey::F1:
            case TKey::F2:
            case TKey::F3:
            case TKey::F4:
            case TKey::F5:
            case TKey::F6:
                break;
            default: {
                TPXFieldEditor* editor = Focused();
                if (!editor) break;
                const uint64_t generation = Generation;
                KeyDown(key, editor);
                if (generation != Generation) editor = nullptr;
                char c = 0;
                if (!key.Ctrl && !key.Alt) {
                    if (key.Key == TKey::Char) c = key.Char;
                    if (key.Key == TKey::Enter) c = 13;
                    if (key.Key == TKey::Esc) c = 27;
                    if (key.Key == TKey::KPPlus) c = '+';
                }
                if (editor && c != 0) CharFilter(c, editor);
                if (generation != Generation) editor = nullptr;
                if (editor) ControlKey(key, editor);
            }
        }
        ProcessQueue();
    } catch (const ETallyraError& e) {
        Queue.clear();
        Owner.OwnerMessage(TOwnerBox::Error, e.Text());
        try {
            Refresh();
        } catch (const ETallyraError&) {
        }
    }
}

void TEntryKeyboard::KeyDown(const TKeyStroke& key, TPXFieldEditor* editor) {
    Queue.push_back(TEvent::EditorChanged);
    KeypadPlus = key.Key == TKey::KPPlus;
    const bool validate = editor->Modified();
    switch (key.Key) {
        case TKey::Esc:
            if (editor->Modified()) ++EscCount;
            editor->Undo();
            if (editor->FieldIndex() == Store.Context().Cur) Store.StoreValue(editor->Text());
            break;
        case TKey::PgUp:
            Command(key.Ctrl  ? cmdFirstFieldOnPage
                    : key.Alt ? cmdPrevRecord
                              : cmdPrevPage,
                    validate);
            break;
        case TKey::PgDn:
            Command(key.Ctrl  ? cmdLastFieldOnPage
                    : key.Alt ? cmdNextRecord
                              : cmdNextPage,
                    validate);
            break;
        case TKey::End:
            if (key.Ctrl)
                Command(cmdToEnd, validate);
            else if (editor->IsMultiLine())
                editor->TrimToEnd();
            break;
        case TKey::Home:
            if (key.Ctrl)
                Command(cmdFirstRecord, validate);
            else if (editor->IsMultiLine())
                editor->Home();
            break;
        case TKey::Up:
            if (key.Ctrl)
                Command(cmdFirstField, validate);
            else if (editor->CaretOnFirstLine())
                Command(cmdPrevField, validate);
            break;
        case TKey::Down:
            if (key.Ctrl)
                Command(cmdEndOfRecord, validate);
            else if (editor->CaretOnLastLine())
                Command(cmdNextEntered, validate);
            break;
        case TKey::Ins:
            Command(cmdCopyPrevious, false);
            break;
        case TKey::KPPlus:
            if (key.Ctrl) Command(cmdMarkUndefined, false);
            break;
        default:
            break;
    }
}

void TEntryKeyboard::CharFilter(char c, TPXFieldEditor* editor) {
    if (c == '+' && KeypadPlus) {
        std::string padded = editor->Text();
        const size_t width = size_t(std::max(editor->Field().Width, 0));
        if (padded.size() < width) padded.resize(width, ' ');
        const size_t blanks = size_t(std::count(padded.begin(), padded.end(), ' '));
        if (blanks == 0 || blanks == padded.size()) Command(cmdFillAuto, false);
        return;
    }
    if (c == 13) {
        Command(cmdAcceptTyped, false);
        return;
    }
    if (c == 27) return;
    if (editor->IsMasked() && static_cast<unsigned char>(c) > 31 && (c < '0' || c > '9')) {
        Owner.OwnerBeep();
        if (editor->Caret() == 0 && (c == '+' || c == '-')) editor->TypeChar(c);
        return;
    }
    editor->TypeChar(c);
}

void TEntryKeyboard::ControlKey(const TKeyStroke& key, TPXFieldEditor* editor) {
    switch (key.Key) {
        case TKey::BS:
            editor->Backspace();
            break;
        case TKey::Del:
            editor->Delete();
            break;
        case TKey::Left:
            editor->MoveLeft();
            break;
        case TKey::Right:
            editor->MoveRight();
            break;
        case TKey::Home:
            editor->MoveHome();
            break;
        case TKey::End:
            editor->MoveEnd();
            break;
        case TKey::Up:
            editor->MoveUp();
            break;
        case TKey::Down:
            editor->MoveDown();
            break;
        default:
            break;
    }
}

void TEntryKeyboard::EditorChanged() {
    TPXFieldEditor* editor = Focused();
    if (!editor || !editor->Modified() || editor->FieldIndex() != Store.Context().Cur) return;
    Store.StoreValue(editor->Text());
    if (int32_t(editor->Text().size()) == editor->MaxLength() &&
        editor->Caret() == editor->MaxLength()) {
        editor->SetCaret(0);
        Command(cmdConfirmNext, true);
    }
}

void TEntryKeyboard::BuildPage() {
    PageEditors.clear();
    ++Generation;
    FocusIndex = -1;
    const TPXInstructionList& list = Store.InstructionList();
    for (int32_t i = std::max(Store.Context().PageStart, 0); i < list.Count(); ++i) {
        if (list.Get(i)->Kind == ikField) {
            auto* field = static_cast<TPXFieldInstruction*>(list.Get(i));
            auto editor = std::make_unique<TPXFieldEditor>(*field, i);
            editor->SetText(Store.FieldText(i));
            editor->SetCaret(0);
            PageEditors.push_back(std::move(editor));
        }
        if (i + 1 < list.Count() && list.Get(i + 1)->Kind == ikPage) break;
    }
}

void TEntryKeyboard::Refresh() {
    const TPXDataContext& c = Store.Context();
    bool rebuilt = false;
    if (c.PageStart != LastPageStart) {
        BuildPage();
        rebuilt = true;
    } else if (c.Rec != LastRec) {
        const bool full = !Store.InIncomplete();
        for (auto& editor : PageEditors) {
            const int32_t i = editor->FieldIndex();
            editor->SetText(full || i < Store.EntryPos() ? Trim(Store.FieldText(i))
                                                         : std::string());
        }
    } else {
        const int32_t lo = std::min(c.Cur, LastCur);
        const int32_t hi = std::max(c.Cur, LastCur);
        for (auto& editor : PageEditors) {
            const int32_t i = editor->FieldIndex();
            if (i < lo || i > hi) continue;
            editor->SetText(Trim(Store.FieldText(i)));
            editor->SelectAll();
        }
    }
    int32_t focus = -1;
    for (size_t k = 0; k < PageEditors.size(); ++k) {
        TPXFieldEditor& editor = *PageEditors[k];
        if (editor.FieldIndex() == c.Cur) {
            editor.Enabled = true;
            focus = int32_t(k);
        } else {
            editor.Enabled = false;
            editor.SetModified(false);
        }
    }
    if (focus != FocusIndex || rebuilt) {
        FocusIndex = focus;
        // Entering a one-line editor selects its text, so typing replaces it.
        if (TPXFieldEditor* editor = Focused(); editor && !editor->IsMultiLine())
            editor->SelectAll();
    }
    LastRec = c.Rec;
    LastPageStart = c.PageStart;
    LastCur = c.Cur;
}

void TEntryKeyboard::ToggleUpdateMode() {
    if (!UpdateKnown) {
        HasUpdateFields = false;
        for (int32_t i = 0; i < Store.InstructionCount(); ++i)
            if (const TPXFieldInstruction* f = Store.FieldAt(i); f && (f->Flags & ffUpdate))
                HasUpdateFields = true;
        UpdateKnown = true;
    }
    if (!HasUpdateFields) {
        Owner.OwnerMessage(
            TOwnerBox::Information,
            LangText("<EN>No fields marked for update.<PL>Brak pól przeznaczonych do "
                     "aktualizacji."));
        return;
    }
    if (UpdateMode) {
        UpdateMode = false;
        Command(cmdNextEntered, false);
        return;
    }
    // Without a full record there is nothing to update.
    if (Store.FullCount() == 0) {
        Owner.OwnerMessage(TOwnerBox::Error, NoFullRecordsText());
        return;
    }
    UpdateMode = true;
    TPXDataContext& c = Store.Context();
    if (Store.InIncomplete()) {
        Store.SaveRecord();
        c.Rec = Store.FullCount();
        Store.LoadRecord();
    }
    Command(cmdFirstField, false);
    for (int32_t i = 0; i < Store.InstructionCount(); ++i)
        if (const TPXFieldInstruction* f = Store.FieldAt(i); f && (f->Flags & ffUpdate)) {
            c.Cur = i;
            // The page shown is the one holding that field.
            int32_t start = 0;
            int32_t page = 1;
            for (int32_t k = 0; k < i; ++k)
                if (Store.InstructionList().Get(k)->Kind == ikPage) {
                    start = k + 1;
                    ++page;
                }
            if (start != c.PageStart) Store.SaveRecord();
            c.PageStart = start;
            c.Page = page;
            break;
        }
    QueueRefresh();
}

void TEntryKeyboard::RunCheck(bool all) {
    if (Store.FullCount() == 0) {
        Owner.OwnerMessage(TOwnerBox::Error, NoFullRecordsText());
        return;
    }
    if (!all && Store.InIncomplete()) {
        Owner.OwnerMessage(TOwnerBox::Error,
                           LangText("<EN>You are currently in an incomplete record.\r\nMove to one "
                                    "of the earlier ones.<PL>Znajdujesz się w niepełnym "
                                    "rekordzie.\r\nPrzejdź do jednego z wcześniejszych."));
        return;
    }
    const std::string question =
        all ? LangText("<EN>Check ALL the data?<PL>Sprawdzić WSZYSTKIE dane?")
            : LangText("<EN>Check only THIS record?<PL>Sprawdzić tylko TEN rekord?");
    uint8_t mask = CheckMask;
    if (!Owner.OwnerAskCheckOptions(question, mask)) return;
    CheckMask = mask;
    Store.CheckData(all, CheckMask);
    Checked = true;
    Owner.OwnerMessage(TOwnerBox::Information, CheckResultText(Store.MessageList().Count()));
}

void TEntryKeyboard::CheckAll() {
    RunCheck(true);
}
void TEntryKeyboard::CheckCurrent() {
    RunCheck(false);
}

bool TEntryKeyboard::PrevErrorEnabled() {
    return Store.MessageList().Count() > 0 && Store.ErrorIndex() > 0;
}

bool TEntryKeyboard::NextErrorEnabled() {
    return Store.MessageList().Count() > 0 && Store.ErrorIndex() < Store.MessageList().Count() - 1;
}

void TEntryKeyboard::PrevError() {
    TPXFieldEditor* editor = Focused();
    if (editor && PrevErrorEnabled()) Command(cmdPrevError, editor->Modified());
}

void TEntryKeyboard::NextError() {
    TPXFieldEditor* editor = Focused();
    if (editor && NextErrorEnabled()) Command(cmdNextError, editor->Modified());
}

bool TEntryKeyboard::CanClose() {
    TPXFieldEditor* editor = Focused();
    if (editor && editor->Modified() && editor->FieldIndex() == Store.Context().Cur)
        return Store.ValidateCurrent();
    return true;
}

std::string TEntryKeyboard::ErrorInfoText() {
    if (!Checked) return DataNotCheckedText();
    TEHList& list = Store.MessageList();
    if (list.Count() > 0 && Store.ErrorIndex() >= 0 && Store.ErrorIndex() < list.Count())
        return FormatText(LangText("<EN>Error<PL>Błąd<*> %d/%d: %s"), Store.ErrorIndex() + 1,
                          list.Count(), list.Get(Store.ErrorIndex())->GetText().c_str());
    return LangText("<EN>No errors found in data.<PL>Nie znaleziono błędów w danych.");
}

std::string TEntryKeyboard::StatusText() const {
    const TPXFieldEditor* editor = Focused();
    const TPXDataContext& c = Store.Context();
    const int32_t rec = editor ? c.Rec : 0;
    const int32_t page = editor ? c.Page : 0;
    const int32_t column = editor ? editor->Caret() + editor->Field().Column : 0;
    const std::string id = editor ? Store.RecordIdText() : std::string("-----------");
    return FormatText(LangText("<EN>REC: %.5d<PL>REK: %.5d"), rec) + "  " +
           FormatText(LangText("<EN>PG: %.4d<PL>STR: %.4d"), page) + "  " +
           FormatText(LangText("<EN>COL: %.5d<PL>KOL: %.5d"), column) + "  " +
           FormatText(LangText("<EN>IDEN: %s<PL>IDEN: %s"), id.c_str());
}

}  // namespace tallyra::core
