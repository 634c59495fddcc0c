// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line program `tallyra`: the engine without a display.
#include <csignal>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "checkcommand.h"
#include "checkdatacommand.h"
#include "cliutil.h"
#include "codebookcommand.h"
#include "comparecommand.h"
#include "dbcommand.h"
#include "entercommand.h"
#include "exportcommand.h"
#include "freqcommand.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "spsscommands.h"
#include "statscommand.h"
#include "subsetcommand.h"
#include "tallyra_version.h"

namespace {

const char* const MainHelp =
    "Usage: tallyra COMMAND [OPTIONS] ARGS...\n"
    "\n"
    "Tallyra keys paper survey questionnaires into fixed-width data files under\n"
    "data-entry scripts (.slo). This program runs the same engine as Tallyra\n"
    "Studio without a display.\n"
    "\n"
    "Commands:\n"
    "  check      check scripts and report their errors, warnings and hints\n"
    "  spss       export a script's variables as SPSS syntax\n"
    "  vars       print the variables of a script, SPSS syntax, listing, system\n"
    "             file or column list\n"
    "  merge      merge data files written under one script\n"
    "  subset     save chosen fields and records as a new data file with its\n"
    "             script and SPSS syntax\n"
    "  enter      play a key script through data entry on a data file\n"
    "  check-data check a data file against its script\n"
    "  freq       print the frequency table of one field of a data file\n"
    "  compare    compare two keyings of the same questionnaires (double entry)\n"
    "  stats      sum the operators' figures of a station's operator log\n"
    "  export     write a data file as an SPSS, Stata or CSV data set\n"
    "  codebook   write the HTML codebook of a script (with frequencies of a\n"
    "             data file)\n"
    "  db         collect many stations' records in a PostgreSQL database\n"
    "             (db init | publish | status | pull)\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help ('tallyra COMMAND --help' for a command)\n"
    "  --version      show the version\n";

int RunCommand(int argc, char** argv) {
    using namespace tallyra;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << MainHelp;
        return cli::ExitUsage;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "-h" || command == "--help" || command == "help") {
        std::cout << MainHelp;
        return cli::ExitOk;
    }
    if (command == "--version") {
        std::cout << "tallyra " << TALLYRA_VERSION << "\n" << TALLYRA_LICENCE_LINE << "\n";
        return cli::ExitOk;
    }
    if (command == "check") return cli::RunCheck(args, std::cout, std::cerr);
    if (command == "spss") return cli::RunSpss(args, std::cout, std::cerr);
    if (command == "vars") return cli::RunVars(args, std::cout, std::cerr);
    if (command == "merge") return cli::RunMerge(args, std::cout, std::cerr);
    if (command == "subset") return cli::RunSubset(args, std::cout, std::cerr);
    if (command == "enter") return cli::RunEnter(args, std::cout, std::cerr);
    if (command == "check-data") return cli::RunCheckData(args, std::cout, std::cerr);
    if (command == "freq") return cli::RunFreq(args, std::cout, std::cerr);
    if (command == "compare") return cli::RunCompare(args, std::cout, std::cerr);
    if (command == "stats") return cli::RunStats(args, std::cout, std::cerr);
    if (command == "export") return cli::RunExport(args, std::cout, std::cerr);
    if (command == "codebook") return cli::RunCodebook(args, std::cout, std::cerr);
    if (command == "db") return cli::RunDb(args, std::cout, std::cerr);
    std::cerr << "tallyra: unknown command '" << command << "'\nTry 'tallyra --help'.\n";
    return cli::ExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tallyra;
    // Past a file size limit a write fails with EFBIG and is reported like
    // any other write failure, instead of the signal ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    core::SetCurrentLanguage(core::LanguageFromEnvironment());
    // No exception leaves the program: the stack unwinds first, so temporary
    // files go and output under temporary names is removed.
    try {
        return RunCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cout.flush();
        std::cerr << "tallyra: " << core::IOErrorText(8) << "\n";
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "tallyra: " << cli::ConsoleText(e.what()) << "\n";
    }
    return cli::ExitUsage;
}
