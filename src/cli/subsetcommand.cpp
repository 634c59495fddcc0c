// SPDX-License-Identifier: GPL-3.0-or-later
#include "subsetcommand.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "cliargs.h"
#include "cliutil.h"
#include "data/datafile.h"
#include "data/tpddatahandler.h"
#include "datautil.h"
#include "script/tscriptoptions.h"
#include "selectionargs.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/ioerror.h"
#include "spss/saveselection.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const SubsetHelp =
    "Usage: tallyra subset [OPTIONS] SCRIPT DATA OUT --fields LIST --records RANGES\n"
    "\n"
    "Saves the chosen fields of the chosen records of DATA as the viewer's Save\n"
    "selection does: OUT gets the data, OUT with .slo a script describing exactly\n"
    "those fields, OUT with .sps the SPSS syntax for it.\n"
    "\n"
    "  --fields LIST     fields separated by commas, each named by its label, its\n"
    "                    variable name or its 0-based instruction index\n"
    "  --records RANGES  record numbers as in the viewer's range dialog, e.g.\n"
    "                    \"1,3,5-12\" or \"4-\" (from 4 to the last record)\n"
    "  --force           replace output files that exist already\n"
    "  --var-size N      maximum length of variable names (default 8)\n"
    "  --lang en|pl      language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help        show this help\n"
    "\n"
    "Exit status: 0 saved, 1 refused or failed (the reason is printed), 2 usage error.\n";

int RunSubset(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    std::optional<std::string> fieldsText;
    std::optional<std::string> recordsText;
    bool force = false;
    const TCliCommand command{"subset", SubsetHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> options = {
        TextOption("--fields", fieldsText),
        TextOption("--records", recordsText),
        FlagOption("--force", force),
        VarSizeOption(),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 3) return usage("give a script, a data file and the output file");
    if (!fieldsText) return usage("--fields is missing");
    if (!recordsText) return usage("--records is missing");

    const auto script = LoadDataScript(files[0], err);
    if (!script) return ExitFound;
    const TPXDictionary& dictionary = *script->Dictionary;

    std::string unknown;
    const auto fields = ParseFieldList(dictionary, *fieldsText, unknown);
    if (!fields) return usage("no field '" + unknown + "' in the script");

    int64_t size = 0;
    try {
        // Only to count the records for the ranges; the save takes the reader
        // lock again while it reads.
        const TFd data = OpenDataFileForReading(files[1]);
        struct stat info {};
        if (::fstat(data.Get(), &info) != 0) RaiseFileError(files[1], errno);
        size = info.st_size;
    } catch (const ETallyraError& e) {
        err << "tallyra subset: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    const int64_t fullCount = dictionary.LineLength > 0 ? int64_t(size) / dictionary.LineLength : 0;
    const auto records = ParseRecordList(*recordsText, fullCount);
    if (!records) {
        err << "tallyra subset: " << ConsoleText(InvalidRangeText()) << "\n";
        return ExitFound;
    }

    try {
        const TRecordSelection selection = RecordsFromSortedList(*records);
        CheckSaveSelection(dictionary, files[1], *fields, selection, files[2], files[0]);
        const std::string existing = ExistingSaveSelectionFiles(SaveSelectionNames(files[2]));
        if (!existing.empty() && !force) {
            err << "tallyra subset: these files exist already (--force replaces them):\n"
                << ConsoleText(existing) << "\n";
            return ExitFound;
        }
        const TSaveSelectionSummary summary = SaveSelection(
            dictionary, files[1], *fields, selection, files[2], SPSSVarSize(), files[0]);
        out << ConsoleText(summary.Information()) << "\n";
    } catch (const ETallyraError& e) {
        err << "tallyra subset: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
