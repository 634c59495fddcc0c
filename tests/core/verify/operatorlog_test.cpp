// SPDX-License-Identifier: GPL-3.0-or-later
// The operator log: the line format written by the station and read back by
// the statistics, appending to a log, and broken lines reported by number.
#include "verify/operatorlog.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/data/data_fixture.h"
#include "shell/langtext.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TTempDir;
using testing::WriteAll;

constexpr int64_t At14 = 1796911200;  // 2026-12-10T14:00:00Z

TEST(OperatorLog, WritesTheHeaderAndOneLinePerSession) {
    EXPECT_EQ(OperatorLogHeader(),
              "operator,start,end,records,keystrokes,keystrokes_per_hour,esc_changes,"
              "forced_values,first_entry_errors,verifier_slips\r\n");
    TOperatorSession s;
    s.Operator = "anna";
    s.Start = At14;
    s.End = At14 + 5400;
    s.Records = 12;
    s.Keystrokes = 5401;
    s.EscChanges = 2;
    s.ForcedValues = 1;
    EXPECT_EQ(FormatOperatorLogLine(s),
              "anna,2026-12-10T14:00:00Z,2026-12-10T15:30:00Z,12,5401,3601,2,1,,\r\n");
    s.Verify = true;
    s.FirstEntryErrors = 3;
    s.Operator = "Kowalski, \"Jan\"\r\nII";
    EXPECT_EQ(FormatOperatorLogLine(s),
              "\"Kowalski, \"\"Jan\"\"  II\",2026-12-10T14:00:00Z,2026-12-10T15:30:00Z,12,5401,"
              "3601,2,1,3,0\r\n");
    // A rate beyond every count still reads back.
    s.Keystrokes = 1000000000000;
    s.End = s.Start + 1;
    std::string line = FormatOperatorLogLine(s);
    EXPECT_NE(line.find(",3600000000000000,"), std::string::npos) << line;
    TOperatorSession back;
    std::string error;
    EXPECT_TRUE(ParseOperatorLogLine(line.substr(0, line.size() - 2), back, error)) << error;
    EXPECT_EQ(OperatorLogName("/d/survey.dat"), "/d/survey.dat.log");
    EXPECT_EQ(KeystrokesPerHour(10, 0), 0);
}

TEST(OperatorLog, LinesReadBackAsWritten) {
    std::vector<TOperatorSession> sessions(4);
    sessions[0] = {"anna", At14, At14 + 60, 1, 100, 0, 0, false, 0, 0};
    sessions[1] = {"Łucja Żak", At14 - 86400 * 366, At14, 900, 123456, 7, 3, true, 11, 4};
    sessions[2] = {"a,\"b\"", 0, 951782400 /* 2000-02-29 */, 0, 0, 0, 0, true, 0, 0};
    sessions[3] = {"x", At14, At14, 5, 5, 5, 5, false, 0, 0};
    for (const TOperatorSession& s : sessions) {
        std::string line = FormatOperatorLogLine(s);
        line.resize(line.size() - 2);
        TOperatorSession back;
        std::string error;
        ASSERT_TRUE(ParseOperatorLogLine(line, back, error)) << line << ": " << error;
        EXPECT_EQ(back.Operator, s.Operator);
        EXPECT_EQ(back.Start, s.Start) << line;
        EXPECT_EQ(back.End, s.End) << line;
        EXPECT_EQ(back.Records, s.Records);
        EXPECT_EQ(back.Keystrokes, s.Keystrokes);
        EXPECT_EQ(back.EscChanges, s.EscChanges);
        EXPECT_EQ(back.ForcedValues, s.ForcedValues);
        EXPECT_EQ(back.Verify, s.Verify);
        EXPECT_EQ(back.FirstEntryErrors, s.FirstEntryErrors);
        EXPECT_EQ(back.VerifierSlips, s.VerifierSlips);
    }
}

TEST(OperatorLog, AppendsWithOneHeaderAndEndsATornLine) {
    TTempDir dir;
    const std::string data = dir.File("d.dat");
    AppendOperatorLog(data, {"anna", At14, At14 + 3600, 10, 3000, 1, 0, false, 0, 0});
    AppendOperatorLog(data, {"olek", At14, At14 + 1800, 4, 1000, 0, 2, true, 3, 1});
    const std::string log = dir.File("d.dat.log");
    const std::string two =
        OperatorLogHeader() +
        "anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,10,3000,3000,1,0,,\r\n"
        "olek,2026-12-10T14:00:00Z,2026-12-10T14:30:00Z,4,1000,2000,0,2,3,1\r\n";
    EXPECT_EQ(ReadAll(log), two);
    // A station that died in the middle of its line.
    WriteAll(log, two + "anna,2026-12-1");
    AppendOperatorLog(data, {"anna", At14, At14 + 3600, 5, 2000, 0, 0, true, 1, 2});
    EXPECT_EQ(ReadAll(log),
              two +
                  "anna,2026-12-1\r\n"
                  "anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,5,2000,2000,0,0,1,2\r\n");

    SetCurrentLanguage(LangEnglish);
    const TOperatorStats stats = ReadOperatorStats(log);
    EXPECT_TRUE(stats.HasHeader);
    EXPECT_EQ(stats.Sessions, 3);
    ASSERT_EQ(stats.ErrorCount, 1);
    EXPECT_EQ(stats.Errors[0].Line, 4);
    EXPECT_EQ(stats.Errors[0].Text, "wrong number of columns: 2 instead of 10");
    ASSERT_EQ(stats.Operators.size(), 2u);
    const TOperatorTotals& anna = stats.Operators[0];
    EXPECT_EQ(anna.Operator, "anna");
    EXPECT_EQ(anna.Sessions, 2);
    EXPECT_EQ(anna.Seconds, 7200);
    EXPECT_EQ(anna.Records, 15);
    EXPECT_EQ(anna.Keystrokes, 5000);
    EXPECT_EQ(anna.EscChanges, 1);
    EXPECT_EQ(anna.VerifySessions, 1);
    EXPECT_EQ(anna.FirstEntryErrors, 1);
    EXPECT_EQ(anna.VerifierSlips, 2);
    EXPECT_EQ(stats.Operators[1].Operator, "olek");
    EXPECT_EQ(stats.Operators[1].ForcedValues, 2);
}

TEST(OperatorLog, BrokenLinesAreReportedByNumberAndPassedOver) {
    SetCurrentLanguage(LangEnglish);
    const std::string good = "anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,";
    const struct {
        std::string Line;
        std::string Error;
    } cases[] = {
        {"anna,2026-12-10T14:00:00Z", "wrong number of columns: 2 instead of 10"},
        {good + ",", "wrong number of columns: 11 instead of 10"},
        {"anna,2026-12-10 14:00:00,2026-12-10T15:00:00Z,1,2,2,0,0,,",
         "column \"start\" is not a time (YYYY-MM-DDTHH:MM:SSZ): \"2026-12-10 14:00:00\""},
        {"anna,2026-12-10T14:00:00Z,2026-02-29T15:00:00Z,1,2,2,0,0,,",
         "column \"end\" is not a time (YYYY-MM-DDTHH:MM:SSZ): \"2026-02-29T15:00:00Z\""},
        {"anna,2026-12-10T14:00:00Z,2026-12-10T13:00:00Z,1,2,2,0,0,,",
         "the session ends before it starts"},
        {"anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,-1,2,2,0,0,,",
         "column \"records\" is not a count: \"-1\""},
        {"anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,99999999999999,2,0,0,,",
         "column \"keystrokes\" is not a count: \"99999999999999\""},
        {"anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,3,",
         "column \"verifier_slips\" is not a count: \"\""},
        {"\"anna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,",
         "a quoted text is not closed properly"},
        {"\"an\"na,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,",
         "a quoted text is not closed properly"},
        {",2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,", "the operator's name is empty"},
        {std::string(70000, 'x'), "the line is too long"},
    };
    std::string log = OperatorLogHeader() + good + "\n";
    for (const auto& c : cases)
        log += c.Line + "\r\n" + good + "\r\n";
    // The same log joined to itself, as two logs copied together are.
    log += "\r\n" + OperatorLogHeader() + good;
    TTempDir dir;
    WriteAll(dir.File("d.dat.log"), log);
    for (const TOperatorStats& stats :
         {SumOperatorLog(log), ReadOperatorStats(dir.File("d.dat.log"))}) {
        ASSERT_EQ(stats.ErrorCount, int64_t(std::size(cases)));
        for (size_t i = 0; i < std::size(cases); ++i) {
            EXPECT_EQ(stats.Errors[i].Line, int64_t(3 + 2 * i));
            EXPECT_EQ(stats.Errors[i].Text, cases[i].Error);
        }
        ASSERT_EQ(stats.Operators.size(), 1u);
        EXPECT_EQ(stats.Operators[0].Sessions, int64_t(std::size(cases)) + 2);
        EXPECT_EQ(stats.Sessions, int64_t(std::size(cases)) + 2);
    }
}

TEST(OperatorLog, AFileWithoutTheHeaderIsNotSummed) {
    SetCurrentLanguage(LangEnglish);
    const TOperatorStats stats =
        SumOperatorLog("\r\nanna,2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,\r\n");
    EXPECT_FALSE(stats.HasHeader);
    ASSERT_EQ(stats.ErrorCount, 1);
    EXPECT_EQ(stats.Errors[0].Line, 2);
    EXPECT_EQ(stats.Errors[0].Text.rfind("this is not an operator log: the first line is not "
                                         "\"operator,start,",
                                         0),
              0u);
    EXPECT_TRUE(stats.Operators.empty());
    // An empty file, or one of blank lines, is no log either.
    for (const char* text : {"", "\r\n\r\n"}) {
        const TOperatorStats empty = SumOperatorLog(text);
        EXPECT_FALSE(empty.HasHeader);
        ASSERT_EQ(empty.ErrorCount, 1);
        EXPECT_EQ(empty.Errors[0].Line, text[0] ? 2 : 1);
        EXPECT_EQ(empty.Errors[0].Text,
                  "this is not an operator log: it has no header line \"operator,start,end,records,"
                  "keystrokes,keystrokes_per_hour,esc_changes,forced_values,first_entry_errors,"
                  "verifier_slips\"");
    }
}

// Lines a hostile or careless hand made: a quoted name over two lines is
// broken as a whole (no half of it summed), a name that is no UTF-8 text
// or holds control characters is refused.
TEST(OperatorLog, NamesOverTwoLinesOrNotTextAreBrokenLines) {
    SetCurrentLanguage(LangEnglish);
    const std::string rest = ",2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,";
    const std::string log = OperatorLogHeader() + "\"Jan\r\n Kowalski\"" + rest + "\r\n" +
                            "Za\xBF\xF3\xB3\xE6" + rest + "\r\n" +  // code page 1250, not UTF-8
                            "\x1B[2Jmallory" + rest + "\r\n" + "anna" + rest + "\r\n";
    const TOperatorStats stats = SumOperatorLog(log);
    ASSERT_EQ(stats.ErrorCount, 4);
    EXPECT_EQ(stats.Errors[0].Line, 2);
    EXPECT_EQ(stats.Errors[0].Text, "a quoted text is not closed properly");
    EXPECT_EQ(stats.Errors[1].Line, 3);
    EXPECT_EQ(stats.Errors[1].Text, "a quoted text is not closed properly");
    const std::string notText =
        "the operator's name is not UTF-8 text (or holds control characters)";
    EXPECT_EQ(stats.Errors[2].Line, 4);
    EXPECT_EQ(stats.Errors[2].Text, notText);
    EXPECT_EQ(stats.Errors[3].Line, 5);
    EXPECT_EQ(stats.Errors[3].Text, notText);
    ASSERT_EQ(stats.Operators.size(), 1u);
    EXPECT_EQ(stats.Operators[0].Operator, "anna");
    EXPECT_EQ(stats.Sessions, 1);

    // The writer never makes such lines: malformed bytes become "?",
    // control characters blanks.
    TOperatorSession s;
    s.Operator = "Za\xBF\x1B[2J\t";
    s.Start = s.End = At14;
    const std::string line = FormatOperatorLogLine(s);
    EXPECT_EQ(line.substr(0, line.find(',')), "Za? [2J ");
    TOperatorSession back;
    std::string error;
    EXPECT_TRUE(ParseOperatorLogLine(line.substr(0, line.size() - 2), back, error)) << error;
}

// A name a spreadsheet would run as a formula is written behind an
// apostrophe, which reading takes off again.
TEST(OperatorLog, NamesThatLookLikeFormulasAreGuardedAndReadBack) {
    const struct {
        const char* Name;
        const char* Written;
    } cases[] = {
        {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
        {"@admin", "'@admin"},
        {"-anna", "'-anna"},
        {"+48", "+48"},
        {"'=x", "''=x"},
        {"'anna", "'anna"},
        {"anna", "anna"},
    };
    for (const auto& c : cases) {
        TOperatorSession s;
        s.Operator = c.Name;
        s.Start = s.End = At14;
        const std::string line = FormatOperatorLogLine(s);
        EXPECT_EQ(line.substr(0, line.find(",2026")), c.Written);
        TOperatorSession back;
        std::string error;
        ASSERT_TRUE(ParseOperatorLogLine(line.substr(0, line.size() - 2), back, error)) << error;
        EXPECT_EQ(back.Operator, c.Name);
    }
}

// No sum passes the largest count silently: the session that would make one
// pass is left out whole and reported. (Reaching it through a log takes
// 9.2 million lines of the largest counts, so the rule is tried here.)
TEST(OperatorLog, ASumThatWouldOverflowLeavesTheSessionOut) {
    SetCurrentLanguage(LangEnglish);
    TOperatorTotals totals;
    totals.Operator = "anna";
    totals.Sessions = 3;
    totals.Records = std::numeric_limits<int64_t>::max() - 10;
    totals.Keystrokes = 100;
    TOperatorSession s{"anna", At14, At14 + 60, 11, 5, 0, 0, false, 0, 0};
    const TOperatorTotals before = totals;
    std::string error;
    EXPECT_FALSE(AddOperatorSession(totals, s, error));
    EXPECT_EQ(error,
              "the operator's sum of records would pass 9223372036854775807; the line is left out");
    EXPECT_EQ(totals.Sessions, before.Sessions);
    EXPECT_EQ(totals.Keystrokes, before.Keystrokes);
    EXPECT_EQ(totals.Records, before.Records);
    s.Records = 10;
    EXPECT_TRUE(AddOperatorSession(totals, s, error));
    EXPECT_EQ(totals.Records, std::numeric_limits<int64_t>::max());
    EXPECT_EQ(totals.Sessions, 4);
    EXPECT_EQ(totals.Keystrokes, 105);
    EXPECT_EQ(totals.Seconds, 60);
}

}  // namespace
}  // namespace tallyra::core
