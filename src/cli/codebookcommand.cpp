// SPDX-License-Identifier: GPL-3.0-or-later
#include "codebookcommand.h"

#include <filesystem>

#include "cliargs.h"
#include "cliutil.h"
#include "datautil.h"
#include "export/atomicoutput.h"
#include "export/codebook.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "shell/fdio.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "spss/spssexport.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const CodebookHelp =
    "Usage: tallyra codebook [OPTIONS] SCRIPT [DATA] OUT.html\n"
    "\n"
    "Writes the codebook of SCRIPT as one self-contained HTML page (no scripts,\n"
    "styled for print): the pages and comments in order and, per field, its\n"
    "variable name and label, texts, columns, width, type, valid values,\n"
    "automatic value, filters and groups in words and its value labels. With\n"
    "DATA also each field's frequency table (as the frequency dialog counts)\n"
    "with a bar chart. Variable names are those of 'tallyra spss'.\n"
    "\n"
    "Options:\n"
    "  --lang en|pl    language of the page and the messages (default from\n"
    "                  LANG/LC_ALL)\n"
    "  --var-size N    maximum length of variable names derived from labels (8)\n"
    "  --force         replace OUT.html when it exists already\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed (the reason is printed), 2 usage error.\n";

int RunCodebook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    bool force = false;
    const TCliCommand command{"codebook", CodebookHelp};
    const auto usage = [&](const std::string& message) {
        return UsageError(command, message, err);
    };
    const std::vector<TCliOption> options = {
        FlagOption("--force", force),
        VarSizeOption(),
        LanguageOption(),
    };
    if (const auto exit = ReadCommandLine(command, options, args, files, out, err)) return *exit;
    if (files.size() != 2 && files.size() != 3)
        return usage("give a script, optionally a data file, and the page to write");
    const std::string& target = files.back();
    const std::string dataFile = files.size() == 3 ? files[1] : std::string();
    try {
        RefuseInputAsOutput(target, {files[0], dataFile.empty() ? files[0] : dataFile});
    } catch (const ETallyraError& e) {
        err << "tallyra codebook: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !force) {
        err << "tallyra codebook: " << target << " exists already (--force replaces it)\n";
        return ExitFound;
    }
    auto script = LoadDataScript(files[0], err);
    if (!script) return ExitFound;
    std::string error;
    const auto bytes = ReadFileBytes(files[0], error);
    if (!bytes) {
        err << "tallyra codebook: " << files[0] << ": " << error << "\n";
        return ExitFound;
    }
    std::unique_ptr<TPXDataHandler> store;
    if (!dataFile.empty()) {
        store = OpenReadingStore(*script, dataFile, err);
        if (!store) return ExitFound;
    }
    try {
        const auto vars = BuildScriptVars(
            *bytes, DefaultScriptOptions(), SPSSVarSize(),
            LangText("<EN>Cannot write the codebook.\r\nErrors found in script."
                     "<PL>Nie można zapisać książki kodów.\r\nZnaleziono błędy w skrypcie."));
        const std::string page = CodebookHtml(
            *script->Dictionary, *vars, std::filesystem::path(files[0]).filename().string(),
            store.get(), std::filesystem::path(dataFile).filename().string());
        TAtomicOutput output(target);
        try {
            WriteFull(output.Fd(), page.data(), page.size());
        } catch (const EGeneric& e) {
            throw EGeneric(FileErrorText(target, e.Text()));
        }
        output.Commit();
    } catch (const ETallyraError& e) {
        err << "tallyra codebook: " << ConsoleText(e.Text()) << "\n";
        return ExitFound;
    }
    return ExitOk;
}

}  // namespace tallyra::cli
