// SPDX-License-Identifier: GPL-3.0-or-later
// The bulk passes of TPXDataHandler: the data check, frequencies and the
// search by identifier, each one scan of the complete records.
#include <map>
#include <unordered_map>

#include "../shell/errors.h"
#include "../shell/langtext.h"
#include "tpxdatahandler.h"
#include "tpxdatainfo.h"

namespace tallyra::core {

// What a pass that must leave the store as it found it keeps: the position
// and the record shown with its unsaved mark (the incomplete record's field
// being typed is not on disk yet).
struct TPXDataHandler::TKeptPosition {
    explicit TKeptPosition(TPXDataHandler& store)
        : Store(store),
          Context(store.Navigation.Position()),
          Record(store.Records.Current()),
          Unsaved(store.Records.Unsaved()) {}
    // Moves, so that putting things back allocates nothing.
    ~TKeptPosition() {
        Store.Navigation.Position() = std::move(Context);
        Store.Records.Current().swap(Record);
        if (Unsaved)
            Store.Records.MarkUnsaved();
        else
            Store.Records.ForgetChanges();
    }
    TKeptPosition(const TKeptPosition&) = delete;
    TKeptPosition& operator=(const TKeptPosition&) = delete;

    TPXDataHandler& Store;
    TPXDataContext Context;
    std::string Record;
    const bool Unsaved;
};

template <class TVisit>
void TPXDataHandler::ScanRecords(int32_t first, int32_t last, TVisit&& visit) {
    TRecordScanner scanner(Records.DataFile(), Records.LineLength(), first, last);
    const char* data;
    size_t size;
    int32_t record;
    while (scanner.Next(data, size, record)) {
        Navigation.Position().Rec = record;
        Records.LoadBytes(data, size);
        if (!visit(record)) return;
    }
}

void TPXDataHandler::CheckData(bool all, uint8_t mask) {
    TEHList& list = MessageList();
    list.Clear();
    list.Limit = 16000;
    SaveRecord();
    {
        const TKeptPosition kept(*this);
        int32_t first = 1;
        int32_t last = Records.FullRecords();
        if (!all) {
            if (InIncomplete()) return;
            first = last = Navigation.Position().Rec;
        }
        std::vector<std::string_view> texts(size_t(Layout.Count()));
        std::vector<std::string> scratch(size_t(Layout.Count()));
        try {
            ScanRecords(first, last, [&](int32_t record) {
                CheckRecord(record, mask, texts, scratch);
                return true;
            });
        } catch (const EMessagesLimit&) {
            // The list is full: the check ends with the errors kept so far.
        }
    }
    Navigation.ForgetErrorPosition();
    if (list.Count() == 0) {
        if (DataOwner) DataOwner->OwnerRefreshNow();
    } else {
        DoCommand(cmdNextError, false);
    }
}

TFreqList TPXDataHandler::CountValues(int32_t field) {
    SaveRecord();
    struct TLess {
        bool operator()(const std::string& a, const std::string& b) const {
            return CompareTextNoCase(a, b) < 0;
        }
    };
    std::map<std::string, int32_t, TLess> counts;
    {
        const TKeptPosition kept(*this);
        // Most files hold few distinct values: an exact-text cache saves the
        // case-folding comparisons for all but the first sight of each.
        std::unordered_map<std::string, int32_t*> seen;
        std::string t;
        ScanRecords(1, Records.FullRecords(), [&](int32_t) {
            Navigation.FieldTextInto(field, t);
            if (const auto hit = seen.find(t); hit != seen.end()) {
                ++*hit->second;
                return true;
            }
            int32_t& count = counts.try_emplace(t, 0).first->second;
            ++count;
            if (seen.size() < 100000) seen.emplace(t, &count);
            return true;
        });
    }

    TFreqList list;
    list.reserve(counts.size());
    const TPXFieldInstruction* f = FieldAt(field);
    const TPXValLabs* labels = nullptr;
    if (f && !f->IsText()) labels = &static_cast<const TPXNumericInstruction*>(f)->ValLabs;
    for (const auto& [value, count] : counts) {
        TFreqEntry entry{value, count};
        int32_t v;
        if (labels && !labels->empty() && DataStrToInt(value, v)) {
            for (const TPXValLab& label : *labels) {
                if (label.Value != v) continue;
                const std::string text = label.Text.size() >= 2
                                             ? label.Text.substr(1, label.Text.size() - 2)
                                             : std::string();
                entry.Value += " (" + text + ")";
                break;
            }
        }
        list.push_back(std::move(entry));
    }
    return list;
}

void TPXDataHandler::FindByIdentifier(std::string_view text) {
    const int32_t idIndex = Layout.IdentifierIndex();
    if (idIndex < 0)
        throw EPXData(LangText(
            "<EN>No record identifier in the script.<PL>Brak identyfikatora rekordu w skrypcie."));
    const TPXFieldInstruction* id = FieldAt(idIndex);
    std::string wanted(text);
    if (int32_t(wanted.size()) < id->Width)
        wanted.insert(0, size_t(id->Width) - wanted.size(), '0');
    TPXDataContext& c = Navigation.Position();
    const int32_t start = c.Rec;
    SaveRecord();
    int32_t found = 0;
    std::string value;
    ScanRecords(1, Records.FullRecords(), [&](int32_t record) {
        Navigation.FieldTextInto(idIndex, value);
        if (value == wanted) found = record;
        return found == 0;
    });
    const int32_t next = Records.FullRecords() + 1;
    if (found == 0 && CanAppend()) {
        c.Rec = next;
        LoadRecord();
        Navigation.FieldTextInto(idIndex, value);
        if (value == wanted) found = next;
    }
    if (found == 0) {
        c.Rec = start;
        LoadRecord();
        GoToRecord(start);
        throw EPXData(
            LangText("<EN>Given record identifier not found."
                     "<PL>Nie znaleziono podanego identyfikatora rekordu."));
    }
    GoToRecord(found);
}

}  // namespace tallyra::core
