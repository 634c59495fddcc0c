// SPDX-License-Identifier: GPL-3.0-or-later
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
// Each slot keeps the upper half of the identifier's hash beside the record,
// so that probing touches the identifiers themselves only on a likely match.
class TKeyIndex {
public:
    TKeyIndex(std::string keys, size_t width) : Keys(std::move(keys)), Width(width) {
        const size_t count = width > 0 ? Keys.size() / width : 0;
        size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        Table.assign(capacity, 0);
        Mask = capacity - 1;
        Flags.assign(count, 0);
        for (size_t r = 0; r < count; ++r) {
            const std::string_view key = Key(int32_t(r));
            const uint64_t hash = Hash(key);
            size_t slot = hash & Mask;
            int32_t found = -1;
            for (; Table[slot] != 0; slot = (slot + 1) & Mask)
                if (Matches(Table[slot], hash, key)) {
                    found = Record(Table[slot]);
                    break;
                }
            if (found < 0) {
                Table[slot] = (hash & ~uint64_t(0xFFFFFFFF)) | uint64_t(r + 1);
            } else {
                Flags[size_t(found)] |= HasRepeats;
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
        const uint64_t hash = Hash(key);
        for (size_t slot = hash & Mask; Table[slot] != 0; slot = (slot + 1) & Mask)
            if (Matches(Table[slot], hash, key)) return Record(Table[slot]);
        return -1;
    }
    // Whether another record of the file holds the same identifier.
    bool Repeated(int32_t r) const { return Flags[size_t(r)] != 0; }
    bool FirstOfRepeated(int32_t r) const { return Flags[size_t(r)] == HasRepeats; }

private:
    static constexpr uint8_t Repeat = 1;      // a later record with a key seen before
    static constexpr uint8_t HasRepeats = 2;  // the first record of a repeated key
    static uint64_t Hash(std::string_view key) { return std::hash<std::string_view>()(key); }
    static int32_t Record(uint64_t slot) { return int32_t(slot & 0xFFFFFFFF) - 1; }
    bool Matches(uint64_t slot, uint64_t hash, std::string_view key) const {
        return (slot >> 32) == (hash >> 32) && Key(Record(slot)) == key;
    }

    std::string Keys;
    size_t Width;
    std::vector<uint64_t> Table;  // 0 = empty
    size_t Mask = 0;
    std::vector<uint8_t> Flags;
};

// The field layout of the script and the comparison of one pair of records.
struct TComparer {
    explicit TComparer(const TPXDictionary& script) : L(size_t(script.LineLength)) {
        for (int32_t i = 0; i < script.Instructions.Count(); ++i)
            if (const TPXFieldInstruction* f = script.Instructions.Field(i))
                Fields.push_back({i, f});
        if (const TPXFieldInstruction* id = script.Instructions.FindRecId()) {
            IdAt = size_t(id->Column - 1);
            IdWidth = size_t(id->Width);
        }
    }
    // Appends the differing fields of one pair of records, keyed by `key`
    // (called only when a field differs).
    template <class Key>
    void Compare(const char* a, const char* b, int32_t recordA, int32_t recordB, const Key& key,
                 std::vector<TFieldDifference>& out) const {
        // Most pairs agree: one comparison of the whole record settles them.
        if (std::memcmp(a, b, L - 2) == 0) return;
        const std::string text = key();
        for (const auto& [index, f] : Fields) {
            const size_t at = size_t(f->Column - 1), width = size_t(f->Width);
            if (std::memcmp(a + at, b + at, width) == 0) continue;
            out.push_back({text, recordA, recordB, index, std::string(a + at, width),
                           std::string(b + at, width)});
        }
    }
    std::string_view Id(const char* record) const {
        return std::string_view(record + IdAt, IdWidth);
    }
    size_t L;
    std::vector<std::pair<int32_t, const TPXFieldInstruction*>> Fields;
    size_t IdAt = 0;
    size_t IdWidth = 0;
};

// Reads records by number for the pairs found through the index, through
// one cached block: a record near the one asked for last (either side) brings
// in the block around it, so files in the same or the reverse order, or
// shifted, are read in large blocks; a record far away is read alone, so a
// shuffled file costs one small read per record instead of one block.
class TRecordReader {
public:
    TRecordReader(const TDataInput& input, size_t lineLength)
        : Input(input),
          L(lineLength),
          PerBlock(int32_t(std::max<size_t>(1, (size_t(256) << 10) / lineLength))),
          Block(size_t(PerBlock) * lineLength) {}
    const char* Get(int32_t n) {
        if (n < First || n >= First + Count) {
            const bool near = Last > 0 && n >= Last - PerBlock && n <= Last + PerBlock;
            First = near && n < Last ? std::max(1, n - PerBlock + 1) : n;
            Count = near ? std::min(PerBlock, Input.FullCount() - First + 1) : 1;
            Input.ReadRecords(First, Count, Block.data());
        }
        Last = n;
        return Block.data() + size_t(n - First) * L;
    }

private:
    const TDataInput& Input;
    size_t L;
    int32_t PerBlock;
    std::vector<char> Block;
    int32_t First = 0;
    int32_t Count = 0;
    int32_t Last = 0;
};

// Calls the progress now and then: once every 65536 steps. After a second
// pass begins the figures go on from where the first left off, so that a
// gauge never moves back.
struct TProgressTicker {
    void Tick(const TDataInput& a, const TDataInput& b) {
        if (!Progress || (++Steps & 0xFFFF) != 0) return;
        const int64_t done = int64_t(a.Position()) + b.Position();
        Reported = Base + (Total > 0 ? done * (Total - Base) / Total : 0);
        Progress(Reported, Total);
    }
    void Restart() { Base = Reported; }
    const TCompareProgress& Progress;
    int64_t Total;
    uint32_t Steps = 0;
    int64_t Base = 0;
    int64_t Reported = 0;
};

void PairByNumber(const TComparer& comparer, TDataInput& a, TDataInput& b, TProgressTicker& ticker,
                  TComparisonResult& result) {
    const char* ra = nullptr;
    const char* rb = nullptr;
    for (;;) {
        const bool haveA = a.Next(ra);
        const bool haveB = b.Next(rb);
        if (!haveA && !haveB) break;
        if (haveA && haveB) {
            const int32_t n = a.Position();
            comparer.Compare(
                ra, rb, n, n, [n] { return std::to_string(n); }, result.Differences);
            ++result.Paired;
        } else if (haveA) {
            result.OnlyInFirst.push_back({std::to_string(a.Position()), a.Position()});
        } else {
            result.OnlyInSecond.push_back({std::to_string(b.Position()), b.Position()});
        }
        ticker.Tick(a, b);
    }
}

// The next record of a file whose identifiers are expected in strictly
// ascending byte order; false in `sorted` (and the end) when one is not.
struct TSortedScan {
    TSortedScan(TDataInput& input, const TComparer& comparer)
        : Input(input), C(comparer), Last(comparer.IdWidth, '\0') {}
    bool Next() {
        if (!Input.Next(Record)) return false;
        const std::string_view id = C.Id(Record);
        if (Input.Position() > 1 && id.compare(Last) <= 0) {
            Sorted = false;
            return false;
        }
        std::memcpy(Last.data(), id.data(), id.size());
        return true;
    }
    TDataInput& Input;
    const TComparer& C;
    std::string Last;
    const char* Record = nullptr;
    bool Sorted = true;
};

// Pairing by identifier when both files hold their identifiers in ascending
// order (as the station numbers new records): one merging pass over both
// files, with no index. False, with `result` to be discarded, as soon as a
// file turns out not to be in order.
bool MergeSorted(const TComparer& comparer, TDataInput& a, TDataInput& b, TProgressTicker& ticker,
                 TComparisonResult& result) {
    TSortedScan sa(a, comparer), sb(b, comparer);
    bool haveA = sa.Next(), haveB = sb.Next();
    while ((haveA || haveB) && sa.Sorted && sb.Sorted) {
        const int order = !haveA   ? 1
                          : !haveB ? -1
                                   : comparer.Id(sa.Record).compare(comparer.Id(sb.Record));
        if (order == 0) {
            const std::string_view id = comparer.Id(sa.Record);
            comparer.Compare(
                sa.Record, sb.Record, a.Position(), b.Position(), [id] { return std::string(id); },
                result.Differences);
            ++result.Paired;
        } else if (order < 0) {
            result.OnlyInFirst.push_back({std::string(comparer.Id(sa.Record)), a.Position()});
        } else {
            result.OnlyInSecond.push_back({std::string(comparer.Id(sb.Record)), b.Position()});
        }
        if (order <= 0) haveA = sa.Next();
        if (order >= 0) haveB = sb.Next();
        ticker.Tick(a, b);
    }
    return sa.Sorted && sb.Sorted;
}

// Pairing by identifier in any order: one pass over both files collects
// the identifiers and compares the records that stand at the same position
// with the same identifier; the identifiers' index then finds every other
// pair, whose records are read again by number.
void PairThroughIndex(const TComparer& comparer, TDataInput& a, TDataInput& b,
                      TProgressTicker& ticker, TComparisonResult& result) {
    const size_t width = comparer.IdWidth;
    std::string keysA, keysB;
    keysA.reserve(size_t(a.FullCount()) * width);
    keysB.reserve(size_t(b.FullCount()) * width);
    std::vector<bool> comparedInPlace(size_t(std::min(a.FullCount(), b.FullCount())), false);
    const char* ra = nullptr;
    const char* rb = nullptr;
    for (;;) {
        const bool haveA = a.Next(ra);
        const bool haveB = b.Next(rb);
        if (!haveA && !haveB) break;
        if (haveA) keysA.append(comparer.Id(ra));
        if (haveB) keysB.append(comparer.Id(rb));
        if (haveA && haveB && comparer.Id(ra) == comparer.Id(rb)) {
            const std::string_view id = comparer.Id(ra);
            comparer.Compare(
                ra, rb, a.Position(), b.Position(), [id] { return std::string(id); },
                result.Differences);
            comparedInPlace[size_t(a.Position() - 1)] = true;
        }
        ticker.Tick(a, b);
    }

    const TKeyIndex indexA(std::move(keysA), width), indexB(std::move(keysB), width);
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
        // A record compared in place has its partner at the same position.
        const bool inPlace = size_t(r) < comparedInPlace.size() && comparedInPlace[size_t(r)];
        const int32_t s = inPlace ? r : indexB.Find(indexA.Key(r));
        if (s < 0) {
            result.OnlyInFirst.push_back({std::string(indexA.Key(r)), r + 1});
        } else if (!indexB.Repeated(s)) {
            ++result.Paired;
            if (!inPlace) later.emplace_back(r, s);
        }
    }
    for (int32_t s = 0; s < indexB.Count(); ++s)
        if (!indexB.Repeated(s) &&
            !(size_t(s) < comparedInPlace.size() && comparedInPlace[size_t(s)]) &&
            indexA.Find(indexB.Key(s)) < 0)
            result.OnlyInSecond.push_back({std::string(indexB.Key(s)), s + 1});
    if (later.empty()) return;
    TRecordReader readA(a, comparer.L), readB(b, comparer.L);
    for (const auto& [r, s] : later) {
        const std::string_view id = indexA.Key(r);
        comparer.Compare(
            readA.Get(r + 1), readB.Get(s + 1), r + 1, s + 1, [id] { return std::string(id); },
            result.Differences);
    }
    std::stable_sort(result.Differences.begin(), result.Differences.end(),
                     [](const TFieldDifference& x, const TFieldDifference& y) {
                         return x.RecordFirst < y.RecordFirst;
                     });
}

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
    TDataInput a(first, int32_t(comparer.L)), b(second, int32_t(comparer.L));
    const int64_t total = int64_t(a.FullCount()) + b.FullCount();
    TProgressTicker ticker{progress, total};
    TComparisonResult result;
    if (by == TPairBy::Number) {
        PairByNumber(comparer, a, b, ticker, result);
    } else if (!MergeSorted(comparer, a, b, ticker, result)) {
        result = TComparisonResult();
        a.Rewind();
        b.Rewind();
        ticker.Restart();
        PairThroughIndex(comparer, a, b, ticker, result);
    }
    result.By = by;
    result.FieldCount = int32_t(comparer.Fields.size());
    result.RecordsFirst = a.Position();
    result.RecordsSecond = b.Position();
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
