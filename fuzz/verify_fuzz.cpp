// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for double data entry: two random data files are compared
// under a small script, by identifier and by number, and every finding is
// checked against a plain reference pairing that holds all records in
// maps; the same bytes are read as an operator log, and a session made from
// them must read back as it was written.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "verify/datacompare.h"
#include "verify/operatorlog.h"

using namespace tallyra::core;

namespace {

// Record: identifier (2 characters), one digit, a text of 2: 7 bytes with
// CR LF. Short identifiers make repeats and shared identifiers common.
const char* const Script = "left='id' width=2 recid*left='d' width=1*left='t' text width=2*";
constexpr size_t L = 7;

std::string WorkFolder() {
    static const std::string folder = [] {
        const char* base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/tallyra-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

// The full records of a file, or false when the store would refuse it.
bool Records(const std::string& bytes, std::vector<std::string>& out) {
    size_t full = bytes.size() / L;
    size_t tail = bytes.size() % L;
    for (size_t r = 0; r < full; ++r) {
        const char* p = bytes.data() + r * L;
        if (p[L - 2] != '\r' || p[L - 1] != '\n') return false;
        if (std::memchr(p, '\r', L - 2) || std::memchr(p, '\n', L - 2)) return false;
        out.emplace_back(p, L);
    }
    const char* t = bytes.data() + full * L;
    if (tail == 1 && t[0] == 26) return true;
    const size_t body = std::min(tail, L - 2);
    return !(std::memchr(t, '\r', body) || std::memchr(t, '\n', body));
}

struct TRef {
    std::vector<std::string> Differences;  // "key/recordA/recordB/field:first|second"
    std::vector<std::string> OnlyInFirst, OnlyInSecond, DuplicatesFirst, DuplicatesSecond;
    int32_t Paired = 0;
};

const int32_t FieldIndexes[] = {0, 1, 2};
const size_t Columns[] = {0, 2, 3};
const size_t Widths[] = {2, 1, 2};

void Differ(const std::string& key, const std::string& a, const std::string& b, int32_t ra,
            int32_t rb, TRef& ref) {
    for (int f = 0; f < 3; ++f) {
        const std::string x = a.substr(Columns[f], Widths[f]), y = b.substr(Columns[f], Widths[f]);
        if (x != y)
            ref.Differences.push_back(key + "/" + std::to_string(ra) + "/" + std::to_string(rb) +
                                      "/" + std::to_string(FieldIndexes[f]) + ":" + x + "|" + y);
    }
}

TRef ByIdentifier(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    TRef ref;
    std::map<std::string, std::vector<int32_t>> ia, ib;
    std::vector<std::string> orderA, orderB;
    for (size_t r = 0; r < a.size(); ++r) {
        auto& list = ia[a[r].substr(0, 2)];
        if (list.empty()) orderA.push_back(a[r].substr(0, 2));
        list.push_back(int32_t(r));
    }
    for (size_t r = 0; r < b.size(); ++r) {
        auto& list = ib[b[r].substr(0, 2)];
        if (list.empty()) orderB.push_back(b[r].substr(0, 2));
        list.push_back(int32_t(r));
    }
    for (const std::string& k : orderA)
        if (ia[k].size() > 1) ref.DuplicatesFirst.push_back(k);
    for (const std::string& k : orderB)
        if (ib[k].size() > 1) ref.DuplicatesSecond.push_back(k);
    for (size_t r = 0; r < a.size(); ++r) {
        const std::string k = a[r].substr(0, 2);
        if (ia[k].size() > 1) continue;
        const auto found = ib.find(k);
        if (found == ib.end()) {
            ref.OnlyInFirst.push_back(k + "@" + std::to_string(r + 1));
        } else if (found->second.size() == 1) {
            ++ref.Paired;
            const int32_t s = found->second[0];
            Differ(k, a[r], b[size_t(s)], int32_t(r + 1), s + 1, ref);
        }
    }
    for (size_t s = 0; s < b.size(); ++s) {
        const std::string k = b[s].substr(0, 2);
        if (ib[k].size() == 1 && ia.count(k) == 0)
            ref.OnlyInSecond.push_back(k + "@" + std::to_string(s + 1));
    }
    return ref;
}

TRef ByNumber(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    TRef ref;
    for (size_t r = 0; r < std::max(a.size(), b.size()); ++r) {
        const std::string n = std::to_string(r + 1);
        if (r < a.size() && r < b.size()) {
            ++ref.Paired;
            Differ(n, a[r], b[r], int32_t(r + 1), int32_t(r + 1), ref);
        } else if (r < a.size()) {
            ref.OnlyInFirst.push_back(n + "@" + n);
        } else {
            ref.OnlyInSecond.push_back(n + "@" + n);
        }
    }
    return ref;
}

void Check(const TComparisonResult& r, const TRef& ref, size_t recordsA, size_t recordsB) {
    std::vector<std::string> differences, onlyA, onlyB;
    for (const TFieldDifference& d : r.Differences)
        differences.push_back(d.Key + "/" + std::to_string(d.RecordFirst) + "/" +
                              std::to_string(d.RecordSecond) + "/" + std::to_string(d.FieldIndex) +
                              ":" + d.First + "|" + d.Second);
    for (const TRecordKey& k : r.OnlyInFirst)
        onlyA.push_back(k.Key + "@" + std::to_string(k.Record));
    for (const TRecordKey& k : r.OnlyInSecond)
        onlyB.push_back(k.Key + "@" + std::to_string(k.Record));
    if (r.RecordsFirst != int32_t(recordsA) || r.RecordsSecond != int32_t(recordsB) ||
        r.Paired != ref.Paired || r.FieldsCompared != int64_t(ref.Paired) * 3 ||
        differences != ref.Differences || onlyA != ref.OnlyInFirst || onlyB != ref.OnlyInSecond ||
        r.DuplicatesFirst != ref.DuplicatesFirst || r.DuplicatesSecond != ref.DuplicatesSecond)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t split = std::min<size_t>(size_t(data[0]) * 4, size - 1);
    const std::string first(reinterpret_cast<const char*>(data + 1), split);
    const std::string second(reinterpret_cast<const char*>(data + 1 + split), size - 1 - split);

    TPXMessageList messages;
    TPXDictionary script(NormalizeLineEnds(Script), FixedReadingOptions(), messages);
    if (messages.CountKinds({mkError}) > 0) std::abort();
    const std::string a = WorkFolder() + "/a.dat", b = WorkFolder() + "/b.dat";
    std::ofstream(a, std::ios::binary | std::ios::trunc) << first;
    std::ofstream(b, std::ios::binary | std::ios::trunc) << second;
    std::vector<std::string> ra, rb;
    const bool valid = Records(first, ra) && Records(second, rb);
    for (const TPairBy by : {TPairBy::Identifier, TPairBy::Number}) {
        try {
            const TComparisonResult r = CompareDataFiles(script, a, b, by);
            if (!valid) std::abort();
            Check(r, by == TPairBy::Identifier ? ByIdentifier(ra, rb) : ByNumber(ra, rb), ra.size(),
                  rb.size());
        } catch (const EPXData&) {
            if (valid) std::abort();
        }
    }

    // The bytes as an operator log, with and without its header.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const TOperatorStats plain = SumOperatorLog(text);
    const TOperatorStats headed = SumOperatorLog(OperatorLogHeader() + text);
    if (!headed.HasHeader || headed.Errors.size() > MaxOperatorLogErrors) std::abort();
    if (plain.HasHeader && plain.Sessions != headed.Sessions) std::abort();

    // A session made from the bytes reads back as written (the name as the
    // log holds it: UTF-8 on one line), and writes the same line again.
    TOperatorSession s;
    s.Operator = first.empty() ? std::string("x") : first;
    s.Start = int64_t(data[0]) * 86400 * 97;
    s.End = s.Start + int64_t(size) * 13;
    s.Records = int64_t(size);
    s.Keystrokes = int64_t(split) * 1000;
    s.Verify = (data[0] & 1) != 0;
    s.FirstEntryErrors = s.Verify ? int64_t(data[1]) : 0;
    std::string line = FormatOperatorLogLine(s);
    line.resize(line.size() - 2);
    TOperatorSession back;
    std::string error;
    if (!ParseOperatorLogLine(line, back, error) || FormatOperatorLogLine(back) != line + "\r\n" ||
        back.Start != s.Start || back.End != s.End || back.Records != s.Records ||
        back.Keystrokes != s.Keystrokes || back.Verify != s.Verify ||
        back.FirstEntryErrors != s.FirstEntryErrors)
        std::abort();
    return 0;
}
