// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliargs.h"
#include "cliutil.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"
#include "spsscommands.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const SpssHelp =
    "Usage: tallyra spss [OPTIONS] SCRIPT OUT.sps\n"
    "\n"
    "Checks SCRIPT and exports its variables as SPSS syntax, as the script\n"
    "editor's SPSS export does: DATA LIST (for the data file named like OUT.sps\n"
    "with the extension .dat), VARIABLE LABELS, VALUE LABELS and MISSING VALUES.\n"
    "\n"
    "Options:\n"
    "  --no-labels     leave out the variable labels\n"
    "  --missing-8     numeric variables get the missing value 9..98\n"
    "  --missing-9     numeric variables get the missing value 9..99\n"
    "  --var-size N    maximum length of variable names derived from labels (8)\n"
    "  --lang en|pl    language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 written, 1 failed (the reason is printed), 2 usage error.\n";

int RunSpss(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TSPSExportOptions options;
    std::vector<std::string> files;
    const TCliCommand command{"spss", SpssHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> table = {
        FlagOption("--no-labels", [&options] { options.VariableLabels = false; }),
        FlagOption("--missing-8", options.Missing8),
        FlagOption("--missing-9", options.Missing9),
        VarSizeOption(),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, table, args, files, out, err)) return *exit;
    if (files.size() != 2) return usage("give a script and the .sps file to write");
    std::string error;
    const auto bytes = ReadFileBytes(files[0], error);
    if (!bytes) {
        err << "tallyra spss: " << files[0] << ": " << error << "\n";
        return ExitFound;
    }
    try {
        ExportScriptToSPS(files[0], *bytes, DefaultScriptOptions(), files[1], options,
                          SPSSVarSize());
    } catch (const ETallyraError& e) {
        err << "tallyra spss: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
