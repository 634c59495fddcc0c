// SPDX-License-Identifier: GPL-3.0-or-later
// The operator log of a data file: every station session appends one CSV
// line to "<data file>.log" (a header line first in a new log), and the
// statistics sum those lines per operator. The columns are defined here
// once, for the writer and the reader alike.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra::core {

// The columns of a log line, in order; the header line is these names joined
// with commas. Times are UTC, written "YYYY-MM-DDTHH:MM:SSZ". The last two
// are empty outside verify mode. The log is UTF-8 text with CR LF line ends.
inline constexpr std::array<std::string_view, 10> OperatorLogColumns = {
    "operator",             // the operator's name
    "start",                // when the session began
    "end",                  // when it ended
    "records",              // records completed
    "keystrokes",           // keys pressed
    "keystrokes_per_hour",  // keystrokes x 3600 / session seconds (rounded)
    "esc_changes",          // fields changed with Esc
    "forced_values",        // values forced out of range
    "first_entry_errors",   // verify mode: discrepancies that were the first keying's
    "verifier_slips",       // verify mode: discrepancies that were the verifier's
};

// One station session.
struct TOperatorSession {
    std::string Operator;  // UTF-8
    int64_t Start = 0;     // seconds since 1970-01-01 00:00 UTC
    int64_t End = 0;
    int64_t Records = 0;
    int64_t Keystrokes = 0;
    int64_t EscChanges = 0;
    int64_t ForcedValues = 0;
    bool Verify = false;  // the two discrepancy counts apply
    int64_t FirstEntryErrors = 0;
    int64_t VerifierSlips = 0;
};

// Keystrokes x 3600 / seconds, rounded; 0 when no time passed.
int64_t KeystrokesPerHour(int64_t keystrokes, int64_t seconds);

// The header line, CR LF included.
std::string OperatorLogHeader();
// The log's name for a data file: the data file's name with ".log" appended.
std::string OperatorLogName(const std::string& dataFile);
// The operator's name from the environment: TALLYRA_OPERATOR, else the
// login name (USER, LOGNAME, the user database), else "?".
std::string OperatorNameFromEnvironment();
// A session as one log line, CR LF included. Control characters (line
// breaks too) in the name become blanks and bytes that are no UTF-8 "?"; a
// name a spreadsheet would run as a formula gets an apostrophe in front (see
// CsvSafeText), which reading takes off again; a name holding a comma or a
// quote is quoted (quotes doubled).
std::string FormatOperatorLogLine(const TOperatorSession& session);
// Appends the session's line to OperatorLogName(dataFile), writing the
// header first when the log is new or empty and ending a torn last line
// first, and flushes it to disk. Raises EGeneric with the system's text.
void AppendOperatorLog(const std::string& dataFile, const TOperatorSession& session);

// Reads one log line (without its line end). False with `error` set (a
// selected text) when the line is broken (a quoted text going on past the
// line, a quote inside a text that is not quoted, a name that is no UTF-8
// text or holds control characters, ...); `session` is then unspecified.
bool ParseOperatorLogLine(std::string_view line, TOperatorSession& session, std::string& error);

// The sums of one operator's sessions.
struct TOperatorTotals {
    std::string Operator;
    int64_t Sessions = 0;
    int64_t Seconds = 0;
    int64_t Records = 0;
    int64_t Keystrokes = 0;
    int64_t EscChanges = 0;
    int64_t ForcedValues = 0;
    int64_t VerifySessions = 0;
    int64_t FirstEntryErrors = 0;
    int64_t VerifierSlips = 0;
};

// Adds one session to its operator's totals. False, with `error` set (a
// selected text) and `totals` unchanged, when a sum would pass the largest
// count (9 223 372 036 854 775 807).
bool AddOperatorSession(TOperatorTotals& totals, const TOperatorSession& session,
                        std::string& error);

// A broken line of a log: its number (from 1) and what is wrong (selected).
struct TOperatorLogError {
    int64_t Line = 0;
    std::string Text;
};

struct TOperatorStats {
    std::vector<TOperatorTotals> Operators;  // by name, byte order
    // Whether the first line was the header; without it nothing is summed.
    bool HasHeader = false;
    int64_t Sessions = 0;  // good lines summed
    // The first MaxOperatorLogErrors broken lines, and how many there were.
    std::vector<TOperatorLogError> Errors;
    int64_t ErrorCount = 0;
};
constexpr size_t MaxOperatorLogErrors = 100;

// Sums a log held in memory. Broken lines are reported and skipped, and so
// is a line that would make a sum pass the largest count; a repeated header
// line (logs joined together) is skipped. A text without the header line
// (an empty one too) is reported as no log. Never raises for the content.
TOperatorStats SumOperatorLog(std::string_view text);
// Sums a log file, read in blocks (lines longer than 64 KB are reported
// broken). Raises EGeneric with the system's text when it cannot be read.
TOperatorStats ReadOperatorStats(const std::string& logFile);

}  // namespace tallyra::core
