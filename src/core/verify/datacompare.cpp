#include "datacompare.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "../script/tpxdictionary.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "../spss/tvarcoll.h"
#include "datainput.h"

namespace tallyra::core {

namespace {

// The identifiers of one file, `Width` bytes per record in record order,
// with an open-addressing hash table from identifier to its first record.
class TKeyIndex {
public:
    TKeyIndex(std::string keys, size_t width) : Keys(std::move(keys)), Width(width) {
        const size_t count = width > 0 ? Keys.size() / width : 0;
        size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        Table.assign(capacity, -1);
        Mask = capacity - 1;
        Flags.assign(count, 0);
        for (size_t r = 0; r < count; ++r) {
            size_t slot = Hash(Key(int32_t(r))) & Mask;
            while (Table[slot] >= 0 && Key(Table[slot]) != Key(int32_t(r)))
                slot = (slot + 1) & Mask;
            if (Table[slot] < 0) {
                Table[slot] = int32_t(r);
            } else {
                Flags[size_t(Table[slot])] |= HasRepeats;
                Flags[r] |= Repeat;
            }
        }
    }
    std::string_view Key(int32_t r) const {
        return std::string_view(Keys).substr(size_t(r) * Width, Width);
    }
    int32_t Count() const { return int32_t(Flags.size()); }
    // The first record (from 0) holding `key`, or -1.
    int32_t Find(std::string_view key) const {
        size_t slot = Hash(key) & Mask;
        while (Table[slot] >= 0) {
            if (Key(Table[slot]) == key) return Table[slot];
            slot = (slot + 1) & Mask;
        }
        return -1;
    }
    // Whether another record of the file holds the same identifier.
    bool Repeated(int32_t r) const { return Flags[size_t(r)] != 0; }
    bool FirstOfRepeated(int32_t r) const { return Flags[size_t(r)] == HasRepeats; }

private:
    static constexpr uint8_t Repeat = 1;      // a later record with a key seen before
    static constexpr uint8_t HasRepeats = 2;  // the first record of a repeated key
    static size_t Hash(std::string_view key) { return std::hash<std::string_view>()(key); }

    std::string Keys;
    size_t Width;
    std::vector<int32_t> Table;
    size_t Mask = 0;
    std::vector<uint8_t> Flags;
};

struct TComparer {
    explicit TComparer(const TPXDictionary& script) : L(size_t(script.LineLength)) {
        for (int32_t i = 0; i < script.Instructions.Count(); ++i)
            if (const TPXFieldInstruction* f = script.Instructions.Field(i))
                Fields.push_back({i, f});
    }
    // Appends the differing fields of one pair of records.
    void Compare(const char* a, const char* b, int32_t recordA, int32_t recordB,
                 std::string_view key, std::vector<TFieldDifference>& out) const {
        // Most pairs agree: one comparison of the whole record settles them.
        if (std::memcmp(a, b, L - 2) == 0) return;
        for (const auto& [index, f] : Fields) {
            const size_t at = size_t(f->Column - 1), width = size_t(f->Width);
            if (std::memcmp(a + at, b + at, width) == 0) continue;
            out.push_back({std::string(key), recordA, recordB, index, std::string(a + at, width),
                           std::string(b + at, width)});
        }
    }
    size_t L;
    std::vector<std::pair<int32_t, const TPXFieldInstruction*>> Fields;
};

}  // namespace

bool TComparisonResult::Agree() const {
    return Differences.empty() && OnlyInFirst.empty() && OnlyInSecond.empty() &&
           DuplicatesFirst.empty() && DuplicatesSecond.empty();
}

double TComparisonResult::RatePer10000() const {
    return FieldsCompared > 0 ? double(Differences.size()) * 10000.0 / double(FieldsCompared) : 0.0;
}

TPairBy DefaultPairing(const TPXDictionary& script) {
    return script.Instructions.FindRecId() != nullptr ? TPairBy::Identifier : TPairBy::Number;
}

TComparisonResult CompareDataFiles(const TPXDictionary& script, const std::string& first,
                                   const std::string& second, TPairBy by,
                                   const TCompareProgress& progress) {
    if (script.Instructions.LineLength() < 3)
        throw EGeneric(LangText(
            "<EN>The script defines no data fields.<PL>Skrypt nie definiuje żadnych pól danych."));
    const TPXFieldInstruction* id = script.Instructions.FindRecId();
    if (by == TPairBy::Identifier && id == nullptr)
        throw EGeneric(LangText(
            "<EN>No record identifier in the script.<PL>Brak identyfikatora rekordu w skrypcie."));
    const TComparer comparer(script);
    TComparisonResult result;
    result.By = by;
    result.FieldCount = int32_t(comparer.Fields.size());

    TDataInput a(first, int32_t(comparer.L)), b(second, int32_t(comparer.L));
    const bool byId = by == TPairBy::Identifier;
    const size_t idAt = byId ? size_t(id->Column - 1) : 0;
    const size_t idWidth = byId ? size_t(id->Width) : 0;
    std::string keysA, keysB;
    // Pairs already compared in the one pass over both files: records at the
    // same position with the same identifier (the usual case of two keyings
    // of one pile of questionnaires).
    std::vector<bool> comparedInPlace;
    if (byId) {
        keysA.reserve(size_t(a.FullCount()) * idWidth);
        keysB.reserve(size_t(b.FullCount()) * idWidth);
        comparedInPlace.assign(size_t(std::min(a.FullCount(), b.FullCount())), false);
    }
    const int64_t total = int64_t(a.FullCount()) + b.FullCount();
    for (uint32_t step = 1;; ++step) {
        const char* ra = nullptr;
        const char* rb = nullptr;
        const bool haveA = a.Next(ra);
        const bool haveB = b.Next(rb);
        if (!haveA && !haveB) break;
        if (!byId) {
            if (haveA && haveB) {
                comparer.Compare(ra, rb, a.Position(), b.Position(), std::to_string(a.Position()),
                                 result.Differences);
                ++result.Paired;
            } else if (haveA) {
                result.OnlyInFirst.push_back({std::to_string(a.Position()), a.Position()});
            } else {
                result.OnlyInSecond.push_back({std::to_string(b.Position()), b.Position()});
            }
        } else {
            if (haveA) keysA.append(ra + idAt, idWidth);
            if (haveB) keysB.append(rb + idAt, idWidth);
            if (haveA && haveB && std::memcmp(ra + idAt, rb + idAt, idWidth) == 0) {
                comparer.Compare(ra, rb, a.Position(), b.Position(),
                                 std::string_view(ra + idAt, idWidth), result.Differences);
                comparedInPlace[size_t(a.Position() - 1)] = true;
            }
        }
        if (progress && (step & 0xFFFF) == 0) progress(int64_t(a.Position()) + b.Position(), total);
    }
    result.RecordsFirst = a.Position();
    result.RecordsSecond = b.Position();

    if (byId) {
        const TKeyIndex indexA(std::move(keysA), idWidth), indexB(std::move(keysB), idWidth);
        for (int32_t r = 0; r < indexA.Count(); ++r)
            if (indexA.FirstOfRepeated(r)) result.DuplicatesFirst.emplace_back(indexA.Key(r));
        for (int32_t r = 0; r < indexB.Count(); ++r)
            if (indexB.FirstOfRepeated(r)) result.DuplicatesSecond.emplace_back(indexB.Key(r));
        // A pair compared in place whose identifier turned out to repeat in
        // either file is not a pair after all.
        std::erase_if(result.Differences, [&](const TFieldDifference& d) {
            return indexA.Repeated(d.RecordFirst - 1) || indexB.Repeated(d.RecordSecond - 1);
        });
        std::vector<std::pair<int32_t, int32_t>> later;  // pairs still to compare
        for (int32_t r = 0; r < indexA.Count(); ++r) {
            if (indexA.Repeated(r)) continue;
            const int32_t s = indexB.Find(indexA.Key(r));
            if (s < 0) {
                result.OnlyInFirst.push_back({std::string(indexA.Key(r)), r + 1});
            } else if (!indexB.Repeated(s)) {
                ++result.Paired;
                if (!(s == r && comparedInPlace[size_t(r)])) later.emplace_back(r, s);
            }
        }
        for (int32_t s = 0; s < indexB.Count(); ++s)
            if (!indexB.Repeated(s) && indexA.Find(indexB.Key(s)) < 0)
                result.OnlyInSecond.push_back({std::string(indexB.Key(s)), s + 1});
        if (!later.empty()) {
            std::string ra(comparer.L, '\0'), rb(comparer.L, '\0');
            for (const auto& [r, s] : later) {
                a.ReadRecord(r + 1, ra.data());
                b.ReadRecord(s + 1, rb.data());
                comparer.Compare(ra.data(), rb.data(), r + 1, s + 1, indexA.Key(r),
                                 result.Differences);
            }
            std::stable_sort(result.Differences.begin(), result.Differences.end(),
                             [](const TFieldDifference& x, const TFieldDifference& y) {
                                 return x.RecordFirst < y.RecordFirst;
                             });
        }
    }
    result.FieldsCompared = int64_t(result.Paired) * result.FieldCount;
    if (progress) progress(total, total);
    return result;
}

std::string ComparisonSummaryText(const TComparisonResult& result) {
    std::string text =
        FormatText(LangText("<EN>Records: %d in the first file, %d in the second, %d paired.\r\n"
                            "<PL>Rekordy: %d w pierwszym pliku, %d w drugim, %d w parach.\r\n"),
                   result.RecordsFirst, result.RecordsSecond, result.Paired);
    text +=
        FormatText(LangText("<EN>Fields compared: %lld, differences: %lld (%.2f per 10 000).\r\n"
                            "<PL>Porównane pola: %lld, różnice: %lld (%.2f na 10 000).\r\n"),
                   static_cast<long long>(result.FieldsCompared),
                   static_cast<long long>(result.Differences.size()), result.RatePer10000());
    if (!result.OnlyInFirst.empty() || !result.OnlyInSecond.empty())
        text += FormatText(LangText("<EN>Records only in the first file: %lld, only in the "
                                    "second: %lld.\r\n<PL>Rekordy tylko w pierwszym pliku: %lld, "
                                    "tylko w drugim: %lld.\r\n"),
                           static_cast<long long>(result.OnlyInFirst.size()),
                           static_cast<long long>(result.OnlyInSecond.size()));
    if (!result.DuplicatesFirst.empty() || !result.DuplicatesSecond.empty())
        text += FormatText(LangText("<EN>Repeated identifiers: %lld in the first file, %lld in "
                                    "the second.\r\n<PL>Powtórzone identyfikatory: %lld w "
                                    "pierwszym pliku, %lld w drugim.\r\n"),
                           static_cast<long long>(result.DuplicatesFirst.size()),
                           static_cast<long long>(result.DuplicatesSecond.size()));
    text += result.Agree() ? LangText("<EN>The files agree.\r\n<PL>Pliki są zgodne.\r\n")
                           : LangText("<EN>The files differ.\r\n<PL>Pliki się różnią.\r\n");
    return text;
}

std::vector<std::string> FieldVariableNames(const std::string& scriptFile,
                                            const TPXDictionary& script, int maxNameLength) {
    // The script reader of the variable set, without its validation: a name
    // that set would refuse (a repeated one, say) still names its field here.
    TVarColl vars;
    vars.ReadScript(scriptFile, maxNameLength);
    std::vector<std::string> names(size_t(script.Instructions.Count()));
    int32_t v = 0;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i) {
        const TPXFieldInstruction* f = script.Instructions.Field(i);
        if (f == nullptr) continue;
        if (v >= vars.Count() || vars.Get(v)->Start != f->Column)
            throw EGeneric(FormatText(
                LangText("<EN>The script file \"%s\" has changed.<PL>Plik skryptu \"%s\" "
                         "został zmieniony."),
                scriptFile.c_str()));
        names[size_t(i)] = vars.Get(v++)->Name;
    }
    return names;
}

}  // namespace tallyra::core
