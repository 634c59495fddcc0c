// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxdatainfo.h"

#include <map>
#include <unordered_map>

#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

char32_t FoldCase(char32_t u) {
    if (u >= 'A' && u <= 'Z') return u + 32;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 32;
    if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) return u | 1;
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u & 1) ? u + 1 : u;
    if (u == 0x178) return 0xFF;
    return u;
}

struct TFoldTable {
    char32_t Folded[256];
    TFoldTable() {
        for (int b = 0; b < 256; ++b)
            Folded[b] = FoldCase(Cp1250ToUnicode(static_cast<unsigned char>(b)));
    }
};

const TFoldTable& Folds() {
    static const TFoldTable table;
    return table;
}

}  // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
    const TFoldTable& t = Folds();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char32_t x = t.Folded[static_cast<unsigned char>(a[i])];
        const char32_t y = t.Folded[static_cast<unsigned char>(b[i])];
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string FieldInfoText(const TPXDataHandler& store, int32_t field) {
    const TPXFieldInstruction* f = store.FieldAt(field);
    if (!f) return std::string();
    std::string text = LangText("<EN>Field <PL>Pole ");
    text += LangText(f->IsText() ? "<EN>text<PL>tekstowe" : "<EN>numeric<PL>numeryczne");
    text += FormatText(LangText("<EN> %s\r\nPosition in the record: %d\r\nWidth: %d\r\nAutomatic "
                                "value: %s\r\n<PL> %s\r\nPozycja w rekordzie: %d\r\nSzerokość: "
                                "%d\r\nWartość automatyczna: %s\r\n"),
                       Cp1250ToUtf8(f->Left).c_str(), f->Column, f->Width,
                       Cp1250ToUtf8(f->Auto).c_str());
    if (!f->IsText()) {
        text += LangText("<EN>Range of valid values: <PL>Zakres dopuszczalnych wartości: ");
        text += Cp1250ToUtf8(static_cast<const TPXNumericInstruction*>(f)->Range.ToText()) + "\r\n";
        if (f->Flags & ffRecId)
            text += LangText(
                        "<EN>This field is the record identifier.<PL>To pole jest "
                        "identyfikatorem rekordu.") +
                    "\r\n";
    }
    if (f->Flags & ffConst)
        text +=
            LangText("<EN>This field is a constant field.<PL>To pole jest polem stałym.") + "\r\n";
    text += "\r\n";
    const TPXInstructionList& list = store.InstructionList();
    int32_t fields = 0;
    int32_t numeric = 0;
    int32_t texts = 0;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (const TPXFieldInstruction* g = store.FieldAt(i)) {
            ++fields;
            (g->IsText() ? texts : numeric) += 1;
        }
    text += FormatText(
        LangText("<EN>Number of full records in the file: %d\r\nCurrent record: %d\r\nNumber of "
                 "pages in a record: %d\r\nNumber of fields in a record: %d\r\n  numeric: "
                 "%d\r\n  text: %d\r\nNumber of characters in a record: %d"
                 "<PL>Liczba pełnych rekordów w pliku: %d\r\nBieżący rekord: %d\r\nLiczba stron "
                 "w rekordzie: %d\r\nLiczba pól w rekordzie: %d\r\n  numerycznych: %d\r\n  "
                 "tekstowych: %d\r\nLiczba znaków w rekordzie: %d"),
        store.FullCount(), store.Context().Rec, store.Dictionary().PageCount, fields, numeric,
        texts, store.RecordChars());
    return text;
}

std::string ContextInfoText(const TPXDataHandler& store) {
    const TPXDataContext& c = store.Context();
    std::string text = LangText("<EN>Active group: <PL>Aktywna grupa: ");
    text += c.GroupLabel.empty() ? LangText("<EN>[none]<PL>[brak]") : Cp1250ToUtf8(c.GroupLabel);
    text += "\r\n\r\n";
    text += LangText("<EN>Active filters: <PL>Aktywne filtry: ");
    if (c.ActiveFilters.Count() == 0) text += LangText("<EN>[none]<PL>[brak]");
    for (const TActiveFilterItem& item : c.ActiveFilters.Items) {
        const auto* owner =
            static_cast<const TPXNumericInstruction*>(store.FieldAt(item.FieldIndex));
        const TIRange& range = (*owner->Filters)[size_t(item.FilterIndex)].Targets[item.RangeIndex];
        text += "\r\n  " + Cp1250ToUtf8(range.FromLabel) + ".." + Cp1250ToUtf8(range.ToLabel);
    }
    return text;
}

std::string FindRecord(TPXDataHandler& store, bool byIdentifier, const std::string& text) {
    try {
        if (byIdentifier) {
            store.FindByIdentifier(text);
        } else {
            int32_t n;
            if (!DataStrToInt(text, n))
                return LangText("<EN>Invalid number.<PL>Nieprawidłowa liczba.");
            store.GoToRecord(n);
        }
    } catch (const ETallyraError& e) {
        return e.Text();
    }
    return std::string();
}

TFreqRow FreqTitles() {
    return {LangText("<EN>Value<PL>Wartość"), LangText("<EN>Frequency<PL>Liczebność"),
            LangText("<EN>Percent<PL>Procent"), LangText("<EN>Cumulative pct.<PL>Łączny pct.")};
}

std::vector<TFreqRow> FreqRows(const TFreqList& list) {
    int64_t total = 0;
    for (const TFreqEntry& e : list)
        total += e.Count;
    std::vector<TFreqRow> rows;
    int64_t running = 0;
    for (const TFreqEntry& e : list) {
        running += e.Count;
        TFreqRow row{e.Value, std::to_string(e.Count), "-", "-"};
        if (total > 0) {
            row[2] = Format("%1.1f%%", double(e.Count) * 100.0 / double(total));
            row[3] = Format("%1.1f%%", double(running) * 100.0 / double(total));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace tallyra::core
