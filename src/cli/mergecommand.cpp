// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "cliargs.h"
#include "cliutil.h"
#include "merge/tfilemerger.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "spsscommands.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const MergeHelp =
    "Usage: tallyra merge [OPTIONS] SCRIPT OUT.dat IN...\n"
    "\n"
    "Checks SCRIPT, then appends the records of every input data file to OUT.dat\n"
    "in the order given, after checking that each input consists of records of\n"
    "the script's length. An input may be a pattern with * and ?; its matches\n"
    "are merged once each. A partial last record of an input is cut off the\n"
    "input itself (only while no one else has the input open). Progress and the\n"
    "record count go to standard output. An input that a data entry program\n"
    "has open is refused as in use. OUT.dat is written under a temporary name\n"
    "and takes its place only when the merge is complete.\n"
    "\n"
    "Options:\n"
    "  --force         replace OUT.dat when it exists already\n"
    "  --lang en|pl    language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 merged, 1 failed or some input could not be merged (the\n"
    "reason is printed), 2 usage error.\n";

int RunMerge(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool force = false;
    const TCliCommand command{"merge", MergeHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> options = {
        FlagOption("--force", force),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() < 3) return usage("give a script, the output file and at least one input");
    const std::vector<std::string> inputs(files.begin() + 2, files.end());
    try {
        TPXMessageList messages;
        const TScriptOptions options = DefaultScriptOptions();
        messages.Limit = LimitForErrorMode(options.ErrorMode, options.ErrorCount);
        std::string error;
        const auto bytes = ReadFileBytes(files[0], error);
        if (!bytes) throw EGeneric(FileErrorText(files[0], error));
        TPXDictionary script(NormalizeLineEnds(*bytes), options, messages);
        if (messages.CountKinds({mkError}) > 0) {
            messages.Sort();
            err << "tallyra merge: " << files[0] << ": " << CheckSummary(messages) << "\n";
            for (int32_t i = 0; i < messages.Count(); ++i)
                if (messages.Get(i)->Kind == mkError) err << "  " << messages.FormatItem(i) << "\n";
            return ExitFound;
        }
        // The output must not take the place of the script; an existing output
        // is replaced only when asked to.
        if (SameFile(files[1], files[0]))
            throw EGeneric(FormatText(
                LangText("<EN>The output file \"%s\" is the script.<PL>Plik wynikowy \"%s\" "
                         "jest skryptem."),
                files[1].c_str()));
        // (An output named among the inputs is refused by the merger itself.)
        const bool amongInputs =
            std::any_of(inputs.begin(), inputs.end(), [&](const std::string& input) {
                return input.find_first_of("*?") == std::string::npos && SameFile(input, files[1]);
            });
        if (!force && !amongInputs && PathExists(files[1]))
            throw EGeneric(FormatText(
                LangText("<EN>The output file \"%s\" exists already (--force replaces it)."
                         "<PL>Plik wynikowy \"%s\" już istnieje (--force go zastępuje)."),
                files[1].c_str()));
        std::vector<std::string> report;
        TFileMerger merger(script, inputs, report, files[1], &out);
        merger.Run();
        if (merger.Failed > 0) {
            err << "tallyra merge: "
                << ConsoleText(FormatText(
                       LangText("<EN>%d of the input files could not be merged.<PL>Nie udało się "
                                "dołączyć %d z plików źródłowych."),
                       merger.Failed))
                << "\n";
            return ExitFound;
        }
    } catch (const ETallyraError& e) {
        out.flush();
        err << "tallyra merge: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
