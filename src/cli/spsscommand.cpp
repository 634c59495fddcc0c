#include "cliutil.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
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
    const auto usage = [&](const std::string& message) {
        err << "tallyra spss: " << message << "\nTry 'tallyra spss --help'.\n";
        return ExitUsage;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << SpssHelp;
            return ExitOk;
        } else if (arg == "--no-labels") {
            options.VariableLabels = false;
        } else if (arg == "--missing-8") {
            options.Missing8 = true;
        } else if (arg == "--missing-9") {
            options.Missing9 = true;
        } else if (arg == "--var-size") {
            if (!TakeVarSizeOption(args, i)) return usage("--var-size takes a positive number");
        } else if (arg == "--lang") {
            if (!TakeLanguageOption(args, i)) return usage("--lang takes en or pl");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
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
