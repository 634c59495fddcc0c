#include "tpxdatahandler.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "../shell/privatetemp.h"

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

TPXDataMessage::TPXDataMessage(int32_t record, int32_t fieldIndex, int32_t code)
    : TPXMessage(mkError, int32_t((uint32_t(record) & 0xFFFFu) | (uint32_t(fieldIndex) << 16)),
                 code),
      Record(record),
      FieldIndex(fieldIndex) {}

std::unique_ptr<TEHMessage> TPXDataMessage::CreateCopy() const {
    return std::make_unique<TPXDataMessage>(Record, FieldIndex, Code);
}

TPXDataHandler::TPXDataHandler(TPXDictionary& dictionary, IPXDataOwner* owner)
    : Owner(owner),
      Dictionary(&dictionary),
      Instructions(&dictionary.Instructions),
      Layout(dictionary.Instructions) {}

TPXDataHandler::~TPXDataHandler() = default;

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForFile(TPXDictionary& dictionary,
                                                              bool makeBackup, IPXDataOwner* owner,
                                                              const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, makeBackup);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateForReading(TPXDictionary& dictionary,
                                                                 IPXDataOwner* owner,
                                                                 const std::string& fileName) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenFile(fileName, false, true);
    return store;
}

std::unique_ptr<TPXDataHandler> TPXDataHandler::CreateTemp(TPXDictionary& dictionary,
                                                           int32_t autoBoundary,
                                                           IPXDataOwner* owner,
                                                           const std::string& folder) {
    std::unique_ptr<TPXDataHandler> store(new TPXDataHandler(dictionary, owner));
    store->OpenTemp(autoBoundary, folder);
    return store;
}

void TPXDataHandler::OpenFile(const std::string& fileName, bool makeBackup, bool readOnly) {
    InitStore();
    const size_t tail = Records.Open(fileName, makeBackup, readOnly);
    if (tail > 0) PlaceEntryInIncomplete(int32_t(tail));
    Context->Rec = Records.FullRecords() + 1;
}

void TPXDataHandler::PlaceEntryInIncomplete(int32_t n) {
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

void TPXDataHandler::OpenTemp(int32_t autoBoundary, const std::string& folder) {
    InitStore();
    AutoBoundary = autoBoundary;
    Records.OpenTemp(folder.empty() ? PrivateTempFolder() : folder);
}

void TPXDataHandler::InitStore() {
    Records.Reset(Instructions->LineLength());
    Context = std::make_unique<TPXDataContext>(*Instructions);
    Context->Rec = 1;
    ResetNewRecord();
}

void TPXDataHandler::ResetNewRecord() {
    Records.ClearBuffers();
    SetEntryPosition(-1);
    Context->Page = 1;
    Context->PageStart = 0;
    Context->Cur = EntryPos;
    Context->LastWritten = -1;
    Context->GroupLabel.clear();
    Context->ActiveFilters.Clear();
}

void TPXDataHandler::SetEntryPosition(int32_t after) {
    if (InIncomplete()) EntryPos = Layout.FieldAfter(after);
}

int32_t TPXDataHandler::IncompleteLength() const {
    const TPXFieldInstruction* f = FieldAt(EntryPos);
    return f ? f->Column - 1 : 0;
}

TEHList& TPXDataHandler::MessageList() {
    if (Dictionary->Messages) return *Dictionary->Messages;
    if (!OwnMessages) OwnMessages = std::make_unique<TPXMessageList>();
    return *OwnMessages;
}

void TPXDataHandler::LoadRecord() {
    Records.Load(Context->Rec);
}

size_t TPXDataHandler::StoredBytes() const {
    if (InIncomplete() && EntryPos < Instructions->Count())
        return size_t(FieldAt(EntryPos)->Column - 1);
    return size_t(Records.LineLength());
}

void TPXDataHandler::SaveRecord() {
    if (Records.Unsaved()) Records.Write(Context->Rec, StoredBytes());
}

void TPXDataHandler::FieldTextInto(int32_t i, std::string& out) const {
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

std::string_view TPXDataHandler::FieldView(int32_t i, std::string& scratch) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f || (InIncomplete() && i > EntryPos)) return std::string_view();
    const std::string_view raw(Records.Current().data() + (f->Column - 1), size_t(f->Width));
    if (raw.find_first_not_of('*') == std::string_view::npos) return std::string_view();
    if (raw.find('\\') == std::string_view::npos) return raw;
    FieldTextInto(i, scratch);
    return scratch;
}

std::string TPXDataHandler::FieldText(int32_t i) const {
    std::string text;
    FieldTextInto(i, text);
    return text;
}

std::string TPXDataHandler::PrevFieldText(int32_t i) const {
    const TPXFieldInstruction* f = FieldAt(i);
    if (!f) return std::string();
    return ReplaceAll(Records.Previous().substr(size_t(f->Column - 1), size_t(f->Width)), "\\n",
                      "\r\n");
}

void TPXDataHandler::StoreValue(std::string_view text) {
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

std::string TPXDataHandler::RecordIdText() const {
    const TPXFieldInstruction* id = Instructions->FindRecId();
    int32_t v;
    if (!id ||
        !DataStrToInt(
            std::string_view(Records.Current()).substr(size_t(id->Column - 1), size_t(id->Width)),
            v))
        return "-----------";
    return Format("%.11d", v);
}

void TPXDataHandler::GoToRecord(int32_t n) {
    const int32_t full = Records.FullRecords();
    if (n < 1 || n > full + 1 || (n == full + 1 && !CanAppend()))
        throw EPXData(LangText("<EN>Invalid record index.<PL>Nieprawidłowy indeks rekordu."));
    if (n == full + 1 && EntryPos < Context->Cur) {
        GoToEnd();
    } else {
        SaveRecord();
        Context->Rec = n;
        LoadRecord();
    }
    Refresh();
}

void TPXDataHandler::Refresh() {
    if (Owner) Owner->OwnerRefresh();
}

void TPXDataHandler::RefreshNow() {
    if (Owner) Owner->OwnerRefreshNow();
}

void TPXDataHandler::Sound(int kind) {
    if (Owner) Owner->OwnerSound(kind);
}

bool TPXDataHandler::UpdateMode() const {
    return Owner != nullptr && Owner->OwnerUpdateMode();
}

bool TPXDataHandler::HasPartialRecord() const {
    return Records.HasPartialRecord();
}

void TPXDataHandler::CutToFullRecords() {
    Records.CutToFullRecords();
    if (InIncomplete()) LoadRecord();
}

}  // namespace tallyra::core
