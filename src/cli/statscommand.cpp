// SPDX-License-Identifier: GPL-3.0-or-later
#include "statscommand.h"

#include <algorithm>

#include "cliargs.h"
#include "cliutil.h"
#include "jsonwriter.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "verify/operatorlog.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const StatsHelp =
    "Usage: tallyra stats [OPTIONS] DATA.log\n"
    "\n"
    "Sums the operator log that the data station appends to beside a data file\n"
    "(one CSV line per session: operator, start, end, records, keystrokes,\n"
    "keystrokes_per_hour, esc_changes, forced_values, first_entry_errors,\n"
    "verifier_slips) and prints one row per operator: sessions, records,\n"
    "keystrokes, hours, keystrokes per hour, fields changed with Esc, values\n"
    "forced out of range and, for verify sessions, the discrepancies that were\n"
    "first-entry errors and those that were verifier slips. Broken lines are\n"
    "reported with their line numbers and left out of the sums.\n"
    "\n"
    "Options:\n"
    "  --json          print one JSON object\n"
    "  --lang en|pl    language of the texts (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 every line summed, 1 broken lines found, 2 on usage or I/O\n"
    "errors and for a file that is not an operator log.\n";

namespace {

// Display width of UTF-8 text: its code points.
size_t Width(const std::string& text) {
    return size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void PrintJson(const TOperatorStats& stats, std::ostream& out) {
    TJsonWriter json;
    json.BeginObject();
    json.Key("operators");
    json.BeginArray();
    for (const TOperatorTotals& t : stats.Operators) {
        json.BeginObject();
        json.Key("operator");
        json.String(t.Operator);
        json.Key("sessions");
        json.Number(t.Sessions);
        json.Key("seconds");
        json.Number(t.Seconds);
        json.Key("records");
        json.Number(t.Records);
        json.Key("keystrokes");
        json.Number(t.Keystrokes);
        json.Key("keystrokes_per_hour");
        json.Number(KeystrokesPerHour(t.Keystrokes, t.Seconds));
        json.Key("esc_changes");
        json.Number(t.EscChanges);
        json.Key("forced_values");
        json.Number(t.ForcedValues);
        json.Key("verify_sessions");
        json.Number(t.VerifySessions);
        json.Key("first_entry_errors");
        json.Number(t.FirstEntryErrors);
        json.Key("verifier_slips");
        json.Number(t.VerifierSlips);
        json.EndObject();
    }
    json.EndArray();
    json.Key("sessions");
    json.Number(stats.Sessions);
    json.Key("broken_lines");
    json.Number(stats.ErrorCount);
    json.EndObject();
    out << json.Text() << "\n";
}

void PrintTable(const TOperatorStats& stats, std::ostream& out) {
    if (stats.Operators.empty()) {
        out << LangText("<EN>No sessions in the log.<PL>W dzienniku nie ma żadnej sesji.") << "\n";
        return;
    }
    std::vector<std::vector<std::string>> rows;
    rows.push_back({LangText("<EN>operator<PL>operator"), LangText("<EN>sessions<PL>sesje"),
                    LangText("<EN>records<PL>rekordy"), LangText("<EN>keystrokes<PL>naciśnięcia"),
                    LangText("<EN>hours<PL>godziny"), LangText("<EN>per hour<PL>na godzinę"), "Esc",
                    LangText("<EN>forced<PL>wymuszone"),
                    LangText("<EN>first-entry errors<PL>błędy 1. wprowadzania"),
                    LangText("<EN>verifier slips<PL>pomyłki weryfikatora")});
    for (const TOperatorTotals& t : stats.Operators) {
        const bool verify = t.VerifySessions > 0;
        rows.push_back({t.Operator, std::to_string(t.Sessions), std::to_string(t.Records),
                        std::to_string(t.Keystrokes), Format("%.2f", double(t.Seconds) / 3600.0),
                        std::to_string(KeystrokesPerHour(t.Keystrokes, t.Seconds)),
                        std::to_string(t.EscChanges), std::to_string(t.ForcedValues),
                        verify ? std::to_string(t.FirstEntryErrors) : "-",
                        verify ? std::to_string(t.VerifierSlips) : "-"});
    }
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], Width(row[i]));
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - Width(row[i]), ' ');
            if (i > 0) line += "  ";
            // The name on the left, the figures on the right of their columns.
            line += i == 0 ? row[i] + pad : pad + row[i];
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << "\n";
    }
}

}  // namespace

int RunStats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool json = false;
    const TCliCommand command{"stats", StatsHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> options = {
        FlagOption("--json", json),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 1) return usage("give one operator log");
    TOperatorStats stats;
    try {
        stats = ReadOperatorStats(files[0]);
    } catch (const ETallyraError& e) {
        err << "tallyra stats: " << files[0] << ": " << ConsoleText(e.Text()) << "\n";
        return ExitUsage;
    }
    for (const TOperatorLogError& e : stats.Errors)
        err << files[0] << ":" << e.Line << ": " << e.Text << "\n";
    if (stats.ErrorCount > int64_t(stats.Errors.size()))
        err << FormatText(LangText("<EN>%s: %lld more broken lines<PL>%s: jeszcze %lld "
                                   "uszkodzonych wierszy"),
                          files[0].c_str(),
                          static_cast<long long>(stats.ErrorCount - int64_t(stats.Errors.size())))
            << "\n";
    if (!stats.HasHeader && stats.ErrorCount > 0) return ExitUsage;
    if (json)
        PrintJson(stats, out);
    else
        PrintTable(stats, out);
    return stats.ErrorCount > 0 ? ExitFound : ExitOk;
}

}  // namespace tallyra::cli
