#include "cliutil.h"
#include "merge/tfilemerger.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"
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
    "input itself. Progress and the record count go to standard output.\n"
    "\n"
    "Options:\n"
    "  --lang en|pl    language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 merged, 1 failed (the reason is printed), 2 usage error.\n";

int RunMerge(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    const auto usage = [&](const std::string& message) {
        err << "tallyra merge: " << message << "\nTry 'tallyra merge --help'.\n";
        return ExitUsage;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << MergeHelp;
            return ExitOk;
        } else if (arg == "--lang") {
            if (!TakeLanguageOption(args, i)) return usage("--lang takes en or pl");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() < 3) return usage("give a script, the output file and at least one input");
    const std::vector<std::string> inputs(files.begin() + 2, files.end());
    try {
        TPXMessageList messages;
        const TScriptOptions options = DefaultScriptOptions();
        messages.Limit = LimitForErrorMode(options.ErrorMode, options.ErrorCount);
        std::string error;
        const auto bytes = ReadFileBytes(files[0], error);
        if (!bytes) throw EGeneric(files[0] + ": " + error);
        TPXDictionary script(NormalizeLineEnds(*bytes), options, messages);
        if (messages.CountKinds({mkError}) > 0) {
            messages.Sort();
            err << "tallyra merge: " << files[0] << ": " << CheckSummary(messages) << "\n";
            for (int32_t i = 0; i < messages.Count(); ++i)
                if (messages.Get(i)->Kind == mkError) err << "  " << messages.FormatItem(i) << "\n";
            return ExitFound;
        }
        std::vector<std::string> report;
        TFileMerger merger(script, inputs, report, files[1], &out);
        merger.Run();
    } catch (const ETallyraError& e) {
        out.flush();
        err << "tallyra merge: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
