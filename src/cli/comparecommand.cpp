// SPDX-License-Identifier: GPL-3.0-or-later
#include "comparecommand.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cliargs.h"
#include "cliutil.h"
#include "datautil.h"
#include "jsonwriter.h"
#include "script/tscriptoptions.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/fdio.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "verify/datacompare.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const CompareHelp =
    "Usage: tallyra compare [OPTIONS] SCRIPT FIRST SECOND\n"
    "\n"
    "Compares two keyings of the same questionnaires, the data files FIRST and\n"
    "SECOND written under SCRIPT. Full records are paired by the record\n"
    "identifier when the script has one, otherwise by record number, and\n"
    "compared field by field; incomplete last records are ignored. Prints one\n"
    "line per differing field, per record found in one file only and per\n"
    "identifier repeated in a file (its records are not paired), then a\n"
    "summary. Neither file is changed.\n"
    "\n"
    "Options:\n"
    "  --by identifier|number  how records are paired\n"
    "  --json          print one JSON object: records_first, records_second,\n"
    "                  paired, fields_compared, differences (record, field,\n"
    "                  column, first, second), only_in_first, only_in_second,\n"
    "                  duplicates_first, duplicates_second, rate_per_10000,\n"
    "                  by_field\n"
    "  --lang en|pl    language of the texts (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Fields are named by their variable names as 'tallyra vars' gives them.\n"
    "Exit status: 0 when the files agree, 1 when anything differs, 2 on usage\n"
    "or I/O errors and for a file that does not fit the script.\n";

namespace {

// Prints the I/O error of a data file that cannot be read, naming it.
bool Readable(const std::string& path, std::ostream& err) {
    try {
        OpenRegularFile(path, O_RDONLY);
        return true;
    } catch (const ETallyraError& e) {
        err << "tallyra compare: " << path << ": " << ConsoleText(e.Text()) << "\n";
        return false;
    }
}

void PrintJson(const TComparisonResult& r, const TPXDictionary& script,
               const std::vector<std::string>& names, std::ostream& out) {
    TJsonWriter json;
    json.BeginObject();
    json.Key("records_first");
    json.Number(r.RecordsFirst);
    json.Key("records_second");
    json.Number(r.RecordsSecond);
    json.Key("paired");
    json.Number(r.Paired);
    json.Key("fields_compared");
    json.Number(r.FieldsCompared);
    json.Key("differences");
    json.BeginArray();
    for (const TFieldDifference& d : r.Differences) {
        json.BeginObject();
        json.Key("record");
        json.String(Cp1250ToUtf8(d.Key));
        json.Key("field");
        json.String(Cp1250ToUtf8(names[size_t(d.FieldIndex)]));
        json.Key("column");
        json.Number(script.Instructions.Field(d.FieldIndex)->Column);
        json.Key("first");
        json.String(Cp1250ToUtf8(d.First));
        json.Key("second");
        json.String(Cp1250ToUtf8(d.Second));
        json.EndObject();
    }
    json.EndArray();
    const auto keys = [&](const char* name, const std::vector<TRecordKey>& list) {
        json.Key(name);
        json.BeginArray();
        for (const TRecordKey& k : list)
            json.String(Cp1250ToUtf8(k.Key));
        json.EndArray();
    };
    keys("only_in_first", r.OnlyInFirst);
    keys("only_in_second", r.OnlyInSecond);
    const auto texts = [&](const char* name, const std::vector<std::string>& list) {
        json.Key(name);
        json.BeginArray();
        for (const std::string& k : list)
            json.String(Cp1250ToUtf8(k));
        json.EndArray();
    };
    texts("duplicates_first", r.DuplicatesFirst);
    texts("duplicates_second", r.DuplicatesSecond);
    json.Key("rate_per_10000");
    json.Double(r.RatePer10000());
    json.Key("by_field");
    json.BeginObject();
    // In field order; fields sharing a name (which the variable set would
    // refuse) share one entry.
    std::vector<int64_t> counts(names.size(), 0);
    for (const TFieldDifference& d : r.Differences)
        ++counts[size_t(d.FieldIndex)];
    std::vector<std::pair<std::string, int64_t>> byName;
    for (size_t i = 0; i < counts.size(); ++i) {
        if (counts[i] == 0) continue;
        auto same = std::find_if(byName.begin(), byName.end(),
                                 [&](const auto& entry) { return entry.first == names[i]; });
        if (same == byName.end())
            byName.emplace_back(names[i], counts[i]);
        else
            same->second += counts[i];
    }
    for (const auto& [name, count] : byName) {
        json.Key(Cp1250ToUtf8(name));
        json.Number(count);
    }
    json.EndObject();
    json.EndObject();
    out << json.Text() << "\n";
}

void PrintText(const TComparisonResult& r, const TPXDictionary& script,
               const std::vector<std::string>& names, std::ostream& out) {
    const std::string differs = LangText(
        "<EN>record %s, %s (column %d): first \"%s\", second \"%s\""
        "<PL>rekord %s, %s (kolumna %d): pierwszy \"%s\", drugi \"%s\"");
    for (const TFieldDifference& d : r.Differences)
        out << FormatText(differs, Cp1250ToUtf8(d.Key).c_str(),
                          Cp1250ToUtf8(names[size_t(d.FieldIndex)]).c_str(),
                          script.Instructions.Field(d.FieldIndex)->Column,
                          Cp1250ToUtf8(d.First).c_str(), Cp1250ToUtf8(d.Second).c_str())
            << "\n";
    const auto keys = [&](const char* text, const std::vector<TRecordKey>& list) {
        const std::string selected = LangText(text);
        for (const TRecordKey& k : list)
            out << FormatText(selected, Cp1250ToUtf8(k.Key).c_str()) << "\n";
    };
    keys("<EN>record %s only in the first file<PL>rekord %s tylko w pierwszym pliku",
         r.OnlyInFirst);
    keys("<EN>record %s only in the second file<PL>rekord %s tylko w drugim pliku", r.OnlyInSecond);
    const auto repeated = [&](const char* text, const std::vector<std::string>& list) {
        const std::string selected = LangText(text);
        for (const std::string& k : list)
            out << FormatText(selected, Cp1250ToUtf8(k).c_str()) << "\n";
    };
    repeated(
        "<EN>identifier %s repeated in the first file, its records not paired"
        "<PL>identyfikator %s powtórzony w pierwszym pliku, jego rekordy bez pary",
        r.DuplicatesFirst);
    repeated(
        "<EN>identifier %s repeated in the second file, its records not paired"
        "<PL>identyfikator %s powtórzony w drugim pliku, jego rekordy bez pary",
        r.DuplicatesSecond);
    out << ConsoleText(ComparisonSummaryText(r));
}

}  // namespace

int RunCompare(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool json = false;
    int by = -1;  // default: from the script
    const TCliCommand command{"compare", CompareHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const auto takeBy = [&by](const std::string& value) -> std::string {
        if (value == "identifier")
            by = int(TPairBy::Identifier);
        else if (value == "number")
            by = int(TPairBy::Number);
        else
            return "--by takes identifier or number";
        return {};
    };
    const std::vector<TCliOption> options = {
        FlagOption("--json", json),
        ValueOption("--by", takeBy, "--by takes identifier or number"),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 3) return usage("give a script and two data files");
    auto script = LoadDataScript(files[0], err);
    if (!script) return ExitUsage;
    if (!Readable(files[1], err) || !Readable(files[2], err)) return ExitUsage;
    const TPXDictionary& dictionary = *script->Dictionary;
    try {
        const std::vector<std::string> names =
            FieldVariableNames(files[0], dictionary, SPSSVarSize());
        const TComparisonResult result = CompareDataFiles(
            dictionary, files[1], files[2], by < 0 ? DefaultPairing(dictionary) : TPairBy(by));
        if (json)
            PrintJson(result, dictionary, names, out);
        else
            PrintText(result, dictionary, names, out);
        return result.Agree() ? ExitOk : ExitFound;
    } catch (const EPXData& e) {
        err << ConsoleText(e.Text()) << "\n";
    } catch (const ETallyraError& e) {
        err << "tallyra compare: " << ConsoleText(e.Text()) << "\n";
    }
    return ExitUsage;
}

}  // namespace tallyra::cli
