// SPDX-License-Identifier: GPL-3.0-or-later
#include "operatorlog.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../export/csvwriter.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

constexpr size_t MaxLineBytes = size_t(64) << 10;
// No count of one session comes near this; it keeps the sums far from
// overflowing.
constexpr int64_t MaxCount = 1000000000000LL;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string FormatTime(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    char buffer[32];
    if (gmtime_r(&t, &tm) == nullptr ||
        std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm) == 0)
        return "1970-01-01T00:00:00Z";
    return buffer;
}

bool ParseTime(std::string_view text, int64_t& seconds) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z')
        return false;
    const auto number = [&](size_t at, size_t n, int64_t& out) {
        out = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    };
    int64_t y, mo, d, h, mi, s;
    if (!number(0, 4, y) || !number(5, 2, mo) || !number(8, 2, d) || !number(11, 2, h) ||
        !number(14, 2, mi) || !number(17, 2, s))
        return false;
    static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo < 1 || mo > 12 || d < 1 || d > monthDays[mo - 1] || (mo == 2 && d == 29 && !leap) ||
        h > 23 || mi > 59 || s > 59)
        return false;
    seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

bool ParseCount(std::string_view text, int64_t& value) {
    if (text.empty() || text.size() > 13) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value <= MaxCount;
}

// Splits a CSV line; false when a quoted field is not closed properly (also
// when it would go on past the line: a line break inside quotes) or a quote
// stands inside a field that is not quoted.
bool SplitCsv(std::string_view line, std::vector<std::string>& fields) {
    fields.clear();
    size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',') return false;
        } else {
            const size_t end = std::min(line.find(',', i), line.size());
            field.assign(line.substr(i, end - i));
            if (field.find('"') != std::string::npos) return false;
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size()) return true;
        ++i;  // the comma
    }
}

// A name the log can hold: UTF-8 (a malformed byte becomes "?"), control
// characters as blanks.
std::string LogName(std::string_view name) {
    std::string out;
    for (size_t pos = 0; pos < name.size();) {
        const size_t start = pos;
        const char32_t c = DecodeUtf8(name, pos);
        if (c == 0xFFFD && name.substr(start, pos - start) != "\xEF\xBF\xBD")
            out += '?';
        else if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            out += ' ';
        else
            out.append(name.substr(start, pos - start));
    }
    return out;
}

// Whether a name read from a log is text the log may hold: valid UTF-8
// without control characters.
bool IsLogName(std::string_view name) {
    for (size_t pos = 0; pos < name.size();) {
        const size_t start = pos;
        const char32_t c = DecodeUtf8(name, pos);
        if ((c == 0xFFFD && name.substr(start, pos - start) != "\xEF\xBF\xBD") || c < 0x20 ||
            (c >= 0x7F && c < 0xA0))
            return false;
    }
    return true;
}

std::string CsvField(std::string text) {
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// Sums lines fed one by one.
class TLogSummer {
public:
    void Line(std::string_view line, bool tooLong = false) {
        ++Number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (Number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (line.empty() || Stopped) return;
        const std::string header = Header();
        if (!Stats.HasHeader) {
            if (line != header) {
                Error(FormatText(LangText("<EN>this is not an operator log: the first line is "
                                          "not \"%s\"<PL>to nie jest dziennik operatorów: "
                                          "pierwszy wiersz nie brzmi \"%s\""),
                                 header.c_str()));
                Stopped = true;
                return;
            }
            Stats.HasHeader = true;
            return;
        }
        if (line == header) return;  // logs joined together
        if (tooLong) {
            Error(LangText("<EN>the line is too long<PL>wiersz jest za długi"));
            return;
        }
        TOperatorSession s;
        std::string error;
        if (!ParseOperatorLogLine(line, s, error)) {
            Error(error);
            return;
        }
        TOperatorTotals& t = Totals[s.Operator];
        if (!AddOperatorSession(t, s, error)) {
            if (t.Sessions == 0) Totals.erase(s.Operator);
            Error(error);
            return;
        }
        ++Stats.Sessions;
    }
    TOperatorStats Finish() {
        // An empty file, or one of blank lines, is no log either.
        if (!Stats.HasHeader && Stats.ErrorCount == 0) {
            Number = std::max<int64_t>(Number, 1);
            Error(FormatText(LangText("<EN>this is not an operator log: it has no header line "
                                      "\"%s\"<PL>to nie jest dziennik operatorów: nie ma w nim "
                                      "wiersza nagłówka \"%s\""),
                             Header().c_str()));
        }
        for (auto& [name, totals] : Totals)
            Stats.Operators.push_back(std::move(totals));
        return std::move(Stats);
    }

private:
    static std::string Header() {
        std::string header = OperatorLogHeader();
        header.resize(header.size() - 2);
        return header;
    }
    void Error(std::string text) {
        if (Stats.Errors.size() < MaxOperatorLogErrors)
            Stats.Errors.push_back({Number, std::move(text)});
        ++Stats.ErrorCount;
    }
    TOperatorStats Stats;
    std::map<std::string, TOperatorTotals> Totals;
    int64_t Number = 0;
    bool Stopped = false;
};

}  // namespace

bool AddOperatorSession(TOperatorTotals& totals, const TOperatorSession& s, std::string& error) {
    // The session counts whole or not at all.
    const struct {
        int64_t* Sum;
        int64_t Add;
        const char* Name;
    } sums[] = {
        {&totals.Sessions, 1, "sessions"},
        {&totals.Seconds, s.End - s.Start, "seconds"},
        {&totals.Records, s.Records, "records"},
        {&totals.Keystrokes, s.Keystrokes, "keystrokes"},
        {&totals.EscChanges, s.EscChanges, "esc_changes"},
        {&totals.ForcedValues, s.ForcedValues, "forced_values"},
        {&totals.VerifySessions, s.Verify ? 1 : 0, "verify_sessions"},
        {&totals.FirstEntryErrors, s.Verify ? s.FirstEntryErrors : 0, "first_entry_errors"},
        {&totals.VerifierSlips, s.Verify ? s.VerifierSlips : 0, "verifier_slips"},
    };
    for (const auto& sum : sums)
        if (*sum.Sum > std::numeric_limits<int64_t>::max() - sum.Add) {
            error =
                FormatText(LangText("<EN>the operator's sum of %s would pass %lld; the line "
                                    "is left out<PL>suma operatora (%s) przekroczyłaby %lld; "
                                    "wiersz pominięto"),
                           sum.Name, static_cast<long long>(std::numeric_limits<int64_t>::max()));
            return false;
        }
    for (const auto& sum : sums)
        *sum.Sum += sum.Add;
    totals.Operator = s.Operator;
    return true;
}

int64_t KeystrokesPerHour(int64_t keystrokes, int64_t seconds) {
    if (seconds <= 0) return 0;
    const long double rate = (long double)keystrokes * 3600.0L / (long double)seconds;
    return rate >= 9.2e18L ? std::numeric_limits<int64_t>::max() : int64_t(rate + 0.5L);
}

std::string OperatorLogHeader() {
    std::string header;
    for (const std::string_view column : OperatorLogColumns) {
        if (!header.empty()) header += ',';
        header += column;
    }
    return header + "\r\n";
}

std::string OperatorLogName(const std::string& dataFile) {
    return dataFile + ".log";
}

std::string OperatorNameFromEnvironment() {
    for (const char* variable : {"TALLYRA_OPERATOR", "USER", "LOGNAME"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_name != nullptr && *found->pw_name != '\0')
        return found->pw_name;
    return "?";
}

std::string FormatOperatorLogLine(const TOperatorSession& s) {
    const auto n = [](int64_t v) { return std::to_string(v); };
    // A spreadsheet opening the log must not run a name as a formula.
    std::string line = CsvField(CsvSafeText(LogName(s.Operator))) + "," + FormatTime(s.Start) +
                       "," + FormatTime(s.End) + "," + n(s.Records) + "," + n(s.Keystrokes) + "," +
                       n(KeystrokesPerHour(s.Keystrokes, s.End - s.Start)) + "," + n(s.EscChanges) +
                       "," + n(s.ForcedValues) + ",";
    if (s.Verify)
        line += n(s.FirstEntryErrors) + "," + n(s.VerifierSlips);
    else
        line += ",";
    return line + "\r\n";
}

void AppendOperatorLog(const std::string& dataFile, const TOperatorSession& session) {
    // A folder, device or pipe of the log's name is refused without opening
    // it for good.
    TFd fd = OpenRegularFile(OperatorLogName(dataFile), O_RDWR | O_APPEND | O_CREAT, 0666);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) RaiseSystemError(errno);
    std::string text;
    if (info.st_size == 0) {
        text = OperatorLogHeader();
    } else {
        // A line torn by an earlier crash is ended, so that this one stands
        // on its own line.
        char last = '\n';
        if (::pread(fd.Get(), &last, 1, info.st_size - 1) != 1) RaiseSystemError(errno);
        if (last != '\n') text = "\r\n";
    }
    text += FormatOperatorLogLine(session);
    WriteFull(fd.Get(), text.data(), text.size());
    if (::fdatasync(fd.Get()) != 0 && errno != EINVAL) RaiseSystemError(errno);
    if (::close(fd.Release()) != 0) RaiseSystemError(errno);
}

bool ParseOperatorLogLine(std::string_view line, TOperatorSession& s, std::string& error) {
    std::vector<std::string> f;
    if (!SplitCsv(line, f)) {
        error = LangText(
            "<EN>a quoted text is not closed properly<PL>tekst w cudzysłowie nie "
            "jest poprawnie zamknięty");
        return false;
    }
    if (f.size() != OperatorLogColumns.size()) {
        error = FormatText(LangText("<EN>wrong number of columns: %d instead of %d<PL>zła liczba "
                                    "kolumn: %d zamiast %d"),
                           int(f.size()), int(OperatorLogColumns.size()));
        return false;
    }
    const auto column = [](size_t i) { return std::string(OperatorLogColumns[i]); };
    s.Operator = f[0];
    // The apostrophe that kept a spreadsheet from running the name is not
    // part of it.
    if (s.Operator.starts_with('\'') && CsvLooksLikeFormula(s.Operator)) s.Operator.erase(0, 1);
    if (s.Operator.empty()) {
        error = LangText("<EN>the operator's name is empty<PL>nazwa operatora jest pusta");
        return false;
    }
    if (!IsLogName(s.Operator)) {
        error = LangText(
            "<EN>the operator's name is not UTF-8 text (or holds control characters)"
            "<PL>nazwa operatora nie jest tekstem UTF-8 (albo zawiera znaki sterujące)");
        return false;
    }
    for (size_t i : {size_t(1), size_t(2)})
        if (!ParseTime(f[i], i == 1 ? s.Start : s.End)) {
            error = FormatText(LangText("<EN>column \"%s\" is not a time (YYYY-MM-DDTHH:MM:SSZ): "
                                        "\"%s\"<PL>kolumna \"%s\" nie zawiera czasu "
                                        "(RRRR-MM-DDTGG:MM:SSZ): \"%s\""),
                               column(i).c_str(), f[i].c_str());
            return false;
        }
    if (s.End < s.Start) {
        error = LangText(
            "<EN>the session ends before it starts<PL>sesja kończy się przed "
            "rozpoczęciem");
        return false;
    }
    s.Verify = !f[8].empty() || !f[9].empty();
    int64_t* const counts[] = {&s.Records,      &s.Keystrokes,       nullptr,         &s.EscChanges,
                               &s.ForcedValues, &s.FirstEntryErrors, &s.VerifierSlips};
    for (size_t i = 3; i < f.size(); ++i) {
        int64_t value = 0;
        if (i >= 8 && !s.Verify) continue;
        // keystrokes_per_hour is derived (the sums recompute it): any
        // run of digits will do.
        const bool ok = i == 5 ? !f[i].empty() && f[i].size() <= 19 &&
                                     f[i].find_first_not_of("0123456789") == std::string::npos
                               : ParseCount(f[i], value);
        if (!ok) {
            error = FormatText(LangText("<EN>column \"%s\" is not a count: \"%s\"<PL>kolumna "
                                        "\"%s\" nie zawiera liczby: \"%s\""),
                               column(i).c_str(), f[i].c_str());
            return false;
        }
        if (int64_t* target = counts[i - 3]) *target = value;
    }
    if (!s.Verify) s.FirstEntryErrors = s.VerifierSlips = 0;
    return true;
}

TOperatorStats SumOperatorLog(std::string_view text) {
    TLogSummer summer;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        summer.Line(line.substr(0, MaxLineBytes), line.size() > MaxLineBytes);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return summer.Finish();
}

TOperatorStats ReadOperatorStats(const std::string& logFile) {
    const TFd fd = OpenRegularFile(logFile, O_RDONLY);
    TLogSummer summer;
    std::vector<char> block(size_t(256) << 10);
    std::string line;  // at most MaxLineBytes + 1 bytes of the current line
    bool tooLong = false;
    for (;;) {
        const size_t got = ReadFull(fd.Get(), block.data(), block.size());
        if (got == 0) break;
        std::string_view rest(block.data(), got);
        while (!rest.empty()) {
            const size_t end = rest.find('\n');
            const std::string_view piece = rest.substr(0, end);
            if (line.size() + piece.size() > MaxLineBytes) {
                tooLong = true;
                line.append(piece.substr(0, MaxLineBytes - line.size()));
            } else {
                line.append(piece);
            }
            if (end == std::string_view::npos) break;
            summer.Line(line, tooLong);
            line.clear();
            tooLong = false;
            rest.remove_prefix(end + 1);
        }
    }
    if (!line.empty() || tooLong) summer.Line(line, tooLong);
    return summer.Finish();
}

}  // namespace tallyra::core
