// SPDX-License-Identifier: GPL-3.0-or-later
#include "freqcommand.h"

#include "cliargs.h"
#include "cliutil.h"
#include "data/tpxdatainfo.h"
#include "datautil.h"
#include "jsonwriter.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/langtext.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const FreqHelp =
    "Usage: tallyra freq [OPTIONS] SCRIPT DATA FIELD\n"
    "\n"
    "Prints the frequency distribution of FIELD over the full records of DATA as\n"
    "the data entry window's \"Field frequencies\" dialog shows it: value (with its\n"
    "value label), frequency, percent and cumulative percent, tab-separated under\n"
    "a title line. FIELD is the field's label, its variable name or its 0-based\n"
    "instruction index. The file is not changed.\n"
    "\n"
    "Options:\n"
    "  --json          print one JSON object\n"
    "  --lang en|pl    language of the texts (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 when the table was printed, 2 on usage or I/O errors or when\n"
    "there is nothing to count.\n";

int RunFreq(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool json = false;
    const TCliCommand command{"freq", FreqHelp, true};
    const std::vector<TCliOption> options = {FlagOption("--json", json), LanguageOption()};
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 3)
        return UsageError(command, "give a script, a data file and a field", err);
    auto script = LoadDataScript(files[0], err);
    if (!script) return ExitUsage;
    const int32_t field = FindFieldArgument(*script->Dictionary, Utf8ToCp1250(files[2]));
    if (field < 0) return UsageError(command, "no field '" + files[2] + "' in the script", err);
    auto store = OpenReadingStore(*script, files[1], err);
    if (!store) return ExitUsage;
    const std::string none = LangText(
        "<EN>There are no records in the data for this field.<PL>W danych nie ma ani jednego "
        "rekordu dla tego pola.");
    if (store->FullCount() == 0) {
        err << "tallyra freq: " << files[1] << ": " << none << "\n";
        return ExitUsage;
    }
    TFreqList list;
    try {
        list = store->CountValues(field);
    } catch (const ETallyraError& e) {
        err << "tallyra: " << e.Text() << "\n";
        return ExitUsage;
    }
    if (list.empty()) {
        err << "tallyra freq: " << files[1] << ": " << none << "\n";
        return ExitUsage;
    }
    const auto rows = FreqRows(list);
    if (json) {
        TJsonWriter writer;
        writer.BeginObject();
        writer.Key("field");
        writer.Number(field);
        writer.Key("rows");
        writer.BeginArray();
        for (size_t i = 0; i < rows.size(); ++i) {
            writer.BeginObject();
            writer.Key("value");
            writer.String(Cp1250ToUtf8(rows[i][0]));
            writer.Key("count");
            writer.Number(list[i].Count);
            writer.Key("percent");
            writer.String(rows[i][2]);
            writer.Key("cumulative");
            writer.String(rows[i][3]);
            writer.EndObject();
        }
        writer.EndArray();
        writer.EndObject();
        out << writer.Text() << "\n";
        return ExitOk;
    }
    const TFreqRow titles = FreqTitles();
    out << titles[0] << "\t" << titles[1] << "\t" << titles[2] << "\t" << titles[3] << "\n";
    for (const TFreqRow& row : rows)
        out << Cp1250ToUtf8(row[0]) << "\t" << row[1] << "\t" << row[2] << "\t" << row[3] << "\n";
    return ExitOk;
}

}  // namespace tallyra::cli
