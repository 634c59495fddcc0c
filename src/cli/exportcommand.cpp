// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportcommand.h"

#include <filesystem>

#include "cliargs.h"
#include "cliutil.h"
#include "data/tpddatahandler.h"
#include "datautil.h"
#include "export/atomicoutput.h"
#include "export/dataexport.h"
#include "script/tscriptoptions.h"
#include "selectionargs.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "spss/spssexport.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const ExportHelp =
    "Usage: tallyra export [OPTIONS] SCRIPT DATA OUT\n"
    "\n"
    "Writes the full records of DATA as a data set with the variables of SCRIPT:\n"
    "the names, variable labels, value labels and missing values of the SPSS\n"
    "syntax export. Numeric fields become numbers (blank and \"#\" fields are\n"
    "system-missing), text fields strings without trailing blanks. OUT appears\n"
    "only when it is complete.\n"
    "\n"
    "Options:\n"
    "  --format F        sav, zsav, por, dta or csv (default: OUT's extension)\n"
    "  --fields LIST     fields separated by commas, each named by its label, its\n"
    "                    variable name or its 0-based instruction index (default:\n"
    "                    all)\n"
    "  --records RANGES  record numbers as in the viewer's range dialog, e.g.\n"
    "                    \"1,3,5-12\" or \"4-\" (default: all full records)\n"
    "  --no-labels       leave out the variable labels\n"
    "  --missing-8       numeric variables get the missing value 9..98\n"
    "  --missing-9       numeric variables get the missing value 9..99\n"
    "  --var-size N      maximum length of variable names derived from labels (8)\n"
    "  --lenient         a numeric field that holds no number becomes\n"
    "                    system-missing (the count is reported) instead of\n"
    "                    stopping the export\n"
    "  --labels          CSV: write value labels instead of codes\n"
    "  --raw             CSV: write texts exactly, also those a spreadsheet would\n"
    "                    run as formulas (see below)\n"
    "  --cut-texts       sav, zsav: cut texts longer than the 32767 bytes a system\n"
    "                    file's string holds (at a character boundary; the count\n"
    "                    is reported) instead of stopping the export\n"
    "  --force           replace OUT when it exists already\n"
    "  --lang en|pl      language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help        show this help\n"
    "\n"
    "Texts are written as UTF-8 (sav and zsav with their encoding record, dta\n"
    "release 118, CSV with a byte order mark); the portable format (por) has no\n"
    "Polish letters and gets their base letters. Stata has no user-missing\n"
    "values: there the missing codes stay plain numbers. A text longer than 32767\n"
    "bytes in UTF-8 (Polish letters take two) stops a sav or zsav export with its\n"
    "variable named, unless --cut-texts is given.\n"
    "\n"
    "CSV: a text cell, or a value label written with --labels, that begins with\n"
    "\"=\", \"+\", \"-\", \"@\", a tab or a CR gets an apostrophe in front, so that a\n"
    "spreadsheet shows it as text instead of running it as a formula; texts that\n"
    "are plain numbers (\"-5\") and numeric cells stay as they are. --raw writes\n"
    "every text exactly.\n"
    "\n"
    "An incomplete last record of DATA is left out, and the result says so.\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed (the reason is printed), 2 usage error.\n";

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    std::optional<std::string> fieldsText;
    std::optional<std::string> recordsText;
    std::optional<std::string> formatText;
    bool force = false;
    TDataExportOptions options;
    const TCliCommand command{"export", ExportHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> table = {
        TextOption("--fields", fieldsText),
        TextOption("--records", recordsText),
        TextOption("--format", formatText),
        FlagOption("--no-labels", [&options] { options.Spss.VariableLabels = false; }),
        FlagOption("--missing-8", options.Spss.Missing8),
        FlagOption("--missing-9", options.Spss.Missing9),
        FlagOption("--lenient", options.Lenient),
        FlagOption("--labels", options.CsvValueLabels),
        FlagOption("--raw", options.CsvRaw),
        FlagOption("--cut-texts", options.CutLongTexts),
        FlagOption("--force", force),
        VarSizeOption(),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, table, args, files, out, err)) return *exit;
    if (files.size() != 3) return usage("give a script, a data file and the output file");
    const std::string& target = files[2];
    const auto format =
        formatText ? DataSetFormatFromWord(*formatText) : DataSetFormatFromName(target);
    if (!format)
        return usage(formatText ? "--format takes sav, zsav, por, dta or csv"
                                : "OUT's extension names no format; give --format");
    options.Format = *format;
    if (options.CsvValueLabels && *format != TDataSetFormat::Csv)
        return usage("--labels is for CSV output only");
    if (options.CsvRaw && *format != TDataSetFormat::Csv)
        return usage("--raw is for CSV output only");
    if (options.CutLongTexts && *format != TDataSetFormat::Sav && *format != TDataSetFormat::Zsav)
        return usage("--cut-texts is for sav and zsav output only");

    try {
        RefuseInputAsOutput(target, {files[0], files[1]});
    } catch (const ETallyraError& e) {
        err << "tallyra export: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !force) {
        err << "tallyra export: " << target << " exists already (--force replaces it)\n";
        return ExitFound;
    }
    const auto script = LoadDataScript(files[0], err);
    if (!script) return ExitFound;
    const TPXDictionary& dictionary = *script->Dictionary;
    if (fieldsText) {
        std::string unknown;
        const auto fields = ParseFieldList(dictionary, *fieldsText, unknown);
        if (!fields) return usage("no field '" + unknown + "' in the script");
        options.Fields = *fields;
    }
    const auto size = std::filesystem::file_size(files[1], ec);
    if (ec) {
        err << "tallyra: " << files[1] << ": " << ConsoleText(SystemErrorText(ec.value())) << "\n";
        return ExitFound;
    }
    const int64_t fullCount = dictionary.LineLength > 0 ? int64_t(size) / dictionary.LineLength : 0;
    if (recordsText) {
        options.Records = ParseRecordList(*recordsText, fullCount);
        if (!options.Records) {
            err << "tallyra export: " << ConsoleText(InvalidRangeText()) << "\n";
            return ExitFound;
        }
    }
    // The progress line is rewritten in place; an open one is ended before
    // any other message.
    bool progressOpen = false;
    if (fullCount > 100000)
        options.Progress = [&err, &progressOpen](int64_t done, int64_t total) {
            err << "\r" << ConsoleText(LangText("<EN>Exporting<PL>Eksport")) << ": "
                << (total > 0 ? done * 100 / total : 100) << "%" << std::flush;
            progressOpen = true;
        };
    const auto endProgress = [&] {
        if (progressOpen) err << "\n";
        progressOpen = false;
    };

    std::string error;
    const auto bytes = ReadFileBytes(files[0], error);
    if (!bytes) {
        err << "tallyra export: " << files[0] << ": " << error << "\n";
        return ExitFound;
    }
    try {
        const auto vars = BuildScriptVars(
            *bytes, DefaultScriptOptions(), SPSSVarSize(),
            LangText("<EN>Cannot export the data.\r\nErrors found in script."
                     "<PL>Nie można wyeksportować danych.\r\nZnaleziono błędy w skrypcie."));
        const TDataExportSummary summary =
            ExportDataSet(dictionary, *vars, files[1], target, options);
        endProgress();
        out << ConsoleText(FormatText(
                   LangText("<EN>%lld records, %d variables written to %s.<PL>Zapisano %lld "
                            "rekordów, %d zmiennych do %s."),
                   static_cast<long long>(summary.Records), summary.Variables, target.c_str()))
            << "\n";
        if (summary.LenientValues > 0)
            out << ConsoleText(FormatText(LangText("<EN>Values that are not numbers, written as "
                                                   "system-missing: %lld.<PL>Wartości niebędące "
                                                   "liczbami, zapisane jako braki systemowe: "
                                                   "%lld."),
                                          static_cast<long long>(summary.LenientValues)))
                << "\n";
        if (options.CutLongTexts)
            out << ConsoleText(FormatText(LangText("<EN>Texts cut to the %d bytes a system file's "
                                                   "string holds: %lld.<PL>Teksty przycięte do %d "
                                                   "bajtów, które mieści napis pliku "
                                                   "systemowego: %lld."),
                                          SavMaxString, static_cast<long long>(summary.TextsCut)))
                << "\n";
        if (summary.IncompleteLeftOut)
            out << ConsoleText(FormatText(LangText("<EN>The incomplete last record of %s was left "
                                                   "out.<PL>Niepełny ostatni rekord pliku %s "
                                                   "pominięto."),
                                          files[1].c_str()))
                << "\n";
    } catch (const EPXData&) {
        endProgress();
        err << ConsoleText(DataMismatchText(files[1])) << "\n";
        return ExitFound;
    } catch (const ETallyraError& e) {
        endProgress();
        err << "tallyra export: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
