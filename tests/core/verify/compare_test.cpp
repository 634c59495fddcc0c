// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of two keyings: pairing by identifier and by number, the
// findings, and the refusal of files that do not fit the script.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/data/data_fixture.h"
#include "data/tpxdatahandler.h"
#include "shell/langtext.h"
#include "verify/datacompare.h"

namespace tallyra::core {
namespace {

using testing::TScript;
using testing::TTempDir;
using testing::WriteAll;

// Record: identifier (columns 1-3), sex (4), name (5-8), then CR LF.
const char* const WithId =
    "left='id' width=3 recid*\r\n"
    "left='Sex' varname=sex width=1 range=[1:2]*\r\n"
    "left='Name' text width=4*\r\n";
const char* const WithoutId =
    "left='id' width=3*\r\n"
    "left='Sex' varname=sex width=1 range=[1:2]*\r\n"
    "left='Name' text width=4*\r\n";

// A difference as "key/record first/record second/field: first|second".
std::string Describe(const TFieldDifference& d) {
    return d.Key + "/" + std::to_string(d.RecordFirst) + "/" + std::to_string(d.RecordSecond) +
           "/" + std::to_string(d.FieldIndex) + ": " + d.First + "|" + d.Second;
}

std::vector<std::string> Keys(const std::vector<TRecordKey>& keys) {
    std::vector<std::string> out;
    for (const TRecordKey& k : keys)
        out.push_back(k.Key + "@" + std::to_string(k.Record));
    return out;
}

struct TCompareCase {
    const char* Name;
    const char* Script;
    std::string First;
    std::string Second;
    TPairBy By;
    int32_t RecordsFirst, RecordsSecond, Paired;
    std::vector<std::string> Differences;
    std::vector<std::string> OnlyInFirst, OnlyInSecond;
    std::vector<std::string> DuplicatesFirst, DuplicatesSecond;
};

void PrintTo(const TCompareCase& c, std::ostream* os) {
    *os << c.Name;
}

const std::vector<TCompareCase> Cases = {
    {"IdenticalFiles",
     WithId,
     "0011Anna\r\n0022Olek\r\n",
     "0011Anna\r\n0022Olek\r\n",
     TPairBy::Identifier,
     2,
     2,
     2,
     {},
     {},
     {},
     {},
     {}},
    {"OneDifferingField",
     WithId,
     "0011Anna\r\n0022Olek\r\n",
     "0011Anna\r\n0021Olek\r\n",
     TPairBy::Identifier,
     2,
     2,
     2,
     {"002/2/2/1: 2|1"},
     {},
     {},
     {},
     {}},
    {"RecordOnlyInTheSecondFile",
     WithId,
     "0011Anna\r\n0022Olek\r\n",
     "0011Anna\r\n0022Olek\r\n0031Ewa \r\n",
     TPairBy::Identifier,
     2,
     3,
     2,
     {},
     {},
     {"003@3"},
     {},
     {}},
    {"RecordOnlyInTheFirstFile",
     WithId,
     "0011Anna\r\n0022Olek\r\n0031Ewa \r\n",
     "0011Anna\r\n0031Ewa \r\n",
     TPairBy::Identifier,
     3,
     2,
     2,
     {},
     {"002@2"},
     {},
     {},
     {}},
    // Record 1 of each file is compared in the pass over both files, then
    // dropped: its identifier repeats in the first file.
    {"DuplicateIdentifierInTheFirstFileIsNotPaired",
     WithId,
     "0011Anna\r\n0022Olek\r\n0012Anna\r\n",
     "0012Anna\r\n0022Olka\r\n",
     TPairBy::Identifier,
     3,
     2,
     1,
     {"002/2/2/2: Olek|Olka"},
     {},
     {},
     {"001"},
     {}},
    {"DuplicateIdentifierInTheSecondFile",
     WithId,
     "0011Anna\r\n",
     "0011Anna\r\n0011Anna\r\n",
     TPairBy::Identifier,
     1,
     2,
     0,
     {},
     {},
     {},
     {},
     {"001"}},
    {"RecordsInAnotherOrderArePairedByIdentifier",
     WithId,
     "0011Anna\r\n0022Olek\r\n0031Ewa \r\n",
     "0031Ewa \r\n0011Ania\r\n0022Olek\r\n",
     TPairBy::Identifier,
     3,
     3,
     3,
     {"001/1/2/2: Anna|Ania"},
     {},
     {},
     {},
     {}},
    // The merging pass has passed 001 and 002 when the second file turns
    // out not to be in order; what it found is dropped.
    {"OrderBrokenLateFallsBackToTheIndex",
     WithId,
     "0011Anna\r\n0022Olek\r\n0031Ewa \r\n",
     "0011Anna\r\n0031Ewa \r\n0022Olka\r\n",
     TPairBy::Identifier,
     3,
     3,
     3,
     {"002/2/3/2: Olek|Olka"},
     {},
     {},
     {},
     {}},
    {"PairingByNumberWithoutIdentifier",
     WithoutId,
     "0011Anna\r\n0022Olek\r\n0031Ewa \r\n",
     "0011Anna\r\n0032Olek\r\n",
     TPairBy::Number,
     3,
     2,
     2,
     {"2/2/2/0: 002|003"},
     {"3@3"},
     {},
     {},
     {}},
    {"PairingByNumberIgnoresTheIdentifier",
     WithId,
     "0011Anna\r\n",
     "0021Anna\r\n0031Anna\r\n",
     TPairBy::Number,
     1,
     2,
     1,
     {"1/1/1/0: 001|002"},
     {},
     {"2@2"},
     {},
     {}},
    {"IncompleteLastRecordIsIgnored",
     WithId,
     "0011Anna\r\n0022Ol",
     "0011Anna\r\n",
     TPairBy::Identifier,
     1,
     1,
     1,
     {},
     {},
     {},
     {},
     {}},
    {"CtrlZAfterTheRecordsIsIgnored",
     WithId,
     "0011Anna\r\n\x1a",
     "0011Anna\r\n",
     TPairBy::Identifier,
     1,
     1,
     1,
     {},
     {},
     {},
     {},
     {}},
    {"EmptyFiles", WithId, "", "", TPairBy::Identifier, 0, 0, 0, {}, {}, {}, {}, {}},
};

class CompareCases : public ::testing::TestWithParam<TCompareCase> {};

TEST_P(CompareCases, FindsWhatDiffers) {
    const TCompareCase& c = GetParam();
    TScript script(c.Script);
    TTempDir dir;
    WriteAll(dir.File("a.dat"), c.First);
    WriteAll(dir.File("b.dat"), c.Second);
    const TComparisonResult r =
        CompareDataFiles(*script.Dictionary, dir.File("a.dat"), dir.File("b.dat"), c.By);
    EXPECT_EQ(r.RecordsFirst, c.RecordsFirst);
    EXPECT_EQ(r.RecordsSecond, c.RecordsSecond);
    EXPECT_EQ(r.Paired, c.Paired);
    EXPECT_EQ(r.FieldCount, 3);
    EXPECT_EQ(r.FieldsCompared, int64_t(c.Paired) * 3);
    std::vector<std::string> differences;
    for (const TFieldDifference& d : r.Differences)
        differences.push_back(Describe(d));
    EXPECT_EQ(differences, c.Differences);
    EXPECT_EQ(Keys(r.OnlyInFirst), c.OnlyInFirst);
    EXPECT_EQ(Keys(r.OnlyInSecond), c.OnlyInSecond);
    EXPECT_EQ(r.DuplicatesFirst, c.DuplicatesFirst);
    EXPECT_EQ(r.DuplicatesSecond, c.DuplicatesSecond);
    const bool agree = c.Differences.empty() && c.OnlyInFirst.empty() && c.OnlyInSecond.empty() &&
                       c.DuplicatesFirst.empty() && c.DuplicatesSecond.empty();
    EXPECT_EQ(r.Agree(), agree);
    EXPECT_DOUBLE_EQ(r.RatePer10000(),
                     c.Paired > 0 ? double(c.Differences.size()) * 10000.0 / (c.Paired * 3) : 0.0);
}

INSTANTIATE_TEST_SUITE_P(TDataComparison, CompareCases, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

// Files the store would refuse are refused with the station's text, naming
// the file; the first file is checked as well as the second.
TEST(TDataComparison, RefusesFilesThatDoNotFitTheScript) {
    SetCurrentLanguage(LangEnglish);
    TScript script(WithId);
    TTempDir dir;
    WriteAll(dir.File("good.dat"), "0011Anna\r\n0022Olek\r\n");
    const std::vector<std::pair<const char*, std::string>> bad = {
        {"record one byte short", "0011Ann\r\n0022Olek\r\n"},
        {"record one byte long", "0011Annaa\r\n0022Olek\r\n"},
        {"line break inside a record", "0011An\r\n\r\n"},
        {"line break in the incomplete record", "0011Anna\r\n00\n"},
    };
    for (const auto& [what, bytes] : bad) {
        const std::string path = dir.File("bad.dat");
        WriteAll(path, bytes);
        for (const bool badFirst : {true, false}) {
            try {
                CompareDataFiles(*script.Dictionary, badFirst ? path : dir.File("good.dat"),
                                 badFirst ? dir.File("good.dat") : path, TPairBy::Identifier);
                ADD_FAILURE() << what << ": not refused";
            } catch (const EPXData& e) {
                EXPECT_EQ(e.Text(), DataMismatchText(path)) << what;
                EXPECT_NE(e.Text().find("The data structure does not correspond with the script."),
                          std::string::npos);
            }
        }
    }
}

TEST(TDataComparison, ReportsMissingFilesAndAMissingIdentifier) {
    SetCurrentLanguage(LangEnglish);
    TScript withId(WithId), withoutId(WithoutId);
    TTempDir dir;
    WriteAll(dir.File("a.dat"), "0011Anna\r\n");
    try {
        CompareDataFiles(*withId.Dictionary, dir.File("a.dat"), dir.File("none.dat"),
                         TPairBy::Identifier);
        ADD_FAILURE() << "missing file accepted";
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), dir.File("none.dat") + ": File not found.");
    }
    try {
        CompareDataFiles(*withoutId.Dictionary, dir.File("a.dat"), dir.File("a.dat"),
                         TPairBy::Identifier);
        ADD_FAILURE() << "pairing by a missing identifier accepted";
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "No record identifier in the script.");
    }
    EXPECT_EQ(DefaultPairing(*withId.Dictionary), TPairBy::Identifier);
    EXPECT_EQ(DefaultPairing(*withoutId.Dictionary), TPairBy::Number);
}

// More records than one read block holds, in the same order (one merging
// pass) and with the second file reversed (every pair found through the
// identifiers' index and read again by number): the same findings.
TEST(TDataComparison, PairsManyRecordsInAnyOrder) {
    TScript script(
        "left='id' width=6 recid*\r\nleft='Sex' width=1 range=[1:2]*\r\n"
        "left='Name' text width=200*\r\n");
    TTempDir dir;
    std::string a, b;
    const int n = 3000;  // about 620 KB: three blocks
    std::vector<std::string> records;
    for (int i = 1; i <= n; ++i) {
        char id[8];
        std::snprintf(id, sizeof id, "%06d", i);
        records.push_back(std::string(id) + "1" + std::string(200, char('a' + i % 26)) + "\r\n");
        a += records.back();
    }
    records[1499][6] = '2';
    std::string sameOrder;
    for (const std::string& r : records)
        sameOrder += r;
    for (int i = n - 1; i >= 0; --i)
        b += records[size_t(i)];
    WriteAll(dir.File("a.dat"), a);
    WriteAll(dir.File("same.dat"), sameOrder);
    WriteAll(dir.File("reversed.dat"), b);
    for (const auto& [second, recordSecond] :
         {std::pair<const char*, int>{"same.dat", 1500}, {"reversed.dat", 1501}}) {
        int64_t lastDone = 0, lastTotal = 0;
        const TComparisonResult r =
            CompareDataFiles(*script.Dictionary, dir.File("a.dat"), dir.File(second),
                             TPairBy::Identifier, [&](int64_t done, int64_t total) {
                                 lastDone = done;
                                 lastTotal = total;
                             });
        EXPECT_EQ(r.Paired, n) << second;
        ASSERT_EQ(r.Differences.size(), 1u) << second;
        EXPECT_EQ(Describe(r.Differences[0]),
                  "001500/1500/" + std::to_string(recordSecond) + "/1: 1|2");
        EXPECT_TRUE(r.OnlyInFirst.empty());
        EXPECT_TRUE(r.OnlyInSecond.empty());
        EXPECT_EQ(lastDone, 2 * n);
        EXPECT_EQ(lastTotal, 2 * n);
    }
    // One stray line break deep inside the second block is still found.
    b[size_t(2500) * 209 + 100] = '\n';
    WriteAll(dir.File("reversed.dat"), b);
    EXPECT_THROW(CompareDataFiles(*script.Dictionary, dir.File("a.dat"), dir.File("reversed.dat"),
                                  TPairBy::Identifier),
                 EPXData);
}

TEST(TDataComparison, SummaryIsWrittenInBothLanguages) {
    TComparisonResult r;
    r.RecordsFirst = 3;
    r.RecordsSecond = 4;
    r.Paired = 3;
    r.FieldCount = 3;
    r.FieldsCompared = 9;
    r.Differences.push_back({"002", 2, 2, 1, "2", "1"});
    r.OnlyInSecond.push_back({"004", 4});
    SetCurrentLanguage(LangEnglish);
    EXPECT_EQ(ComparisonSummaryText(r),
              "Records: 3 in the first file, 4 in the second, 3 paired.\r\n"
              "Fields compared: 9, differences: 1 (1111.11 per 10 000).\r\n"
              "Records only in the first file: 0, only in the second: 1.\r\n"
              "The files differ.\r\n");
    SetCurrentLanguage(LangPolish);
    EXPECT_EQ(ComparisonSummaryText(TComparisonResult()),
              "Rekordy: 0 w pierwszym pliku, 0 w drugim, 0 w parach.\r\n"
              "Porównane pola: 0, różnice: 0 (0.00 na 10 000).\r\n"
              "Pliki są zgodne.\r\n");
    SetCurrentLanguage(LangEnglish);
}

// A merging pass that gives up for the index still moves the gauge only
// forward.
TEST(TDataComparison, ProgressNeverMovesBack) {
    TScript script("left='id' width=6 recid*\r\nleft='Sex' width=1 range=[1:2]*\r\n");
    TTempDir dir;
    const int n = 70000;
    std::string a, b;
    for (int i = 1; i <= n; ++i) {
        char record[16];
        std::snprintf(record, sizeof record, "%06d1\r\n", i);
        a += record;
        // In order up to 68000, then backwards: the merging pass has moved
        // the gauge past the half when it gives up.
        std::snprintf(record, sizeof record, "%06d1\r\n", i <= 68000 ? i : n + 68001 - i);
        b += record;
    }
    WriteAll(dir.File("a.dat"), a);
    WriteAll(dir.File("b.dat"), b);
    std::vector<int64_t> seen;
    const TComparisonResult r =
        CompareDataFiles(*script.Dictionary, dir.File("a.dat"), dir.File("b.dat"),
                         TPairBy::Identifier, [&](int64_t done, int64_t total) {
                             EXPECT_EQ(total, 2 * n);
                             seen.push_back(done);
                         });
    EXPECT_EQ(r.Paired, n);
    EXPECT_TRUE(r.Differences.empty());
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 2 * n);
}

}  // namespace
}  // namespace tallyra::core
