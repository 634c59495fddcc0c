// SPDX-License-Identifier: GPL-3.0-or-later
// Every command on a folder, a pipe or a missing folder where it wants a file:
// one message naming the file and saying what it is, in both languages, the
// exit status, nothing left behind and nothing replaced. A pipe is never
// waited on.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "checkcommand.h"
#include "checkdatacommand.h"
#include "codebookcommand.h"
#include "comparecommand.h"
#include "entercommand.h"
#include "exportcommand.h"
#include "freqcommand.h"
#include "shell/langtext.h"
#include "spsscommands.h"
#include "statscommand.h"
#include "subsetcommand.h"

namespace tallyra::cli {
namespace {

namespace fs = std::filesystem;
using TCommand = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

class BrokenFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tallyra-broken-XXXXXX").string();
        Dir = ::mkdtemp(pattern.data());
        setenv("TMPDIR", Dir.c_str(), 1);
        fs::copy_file(std::string(TALLYRA_SOURCE_DIR) + "/examples/household.slo", P("h.slo"));
        fs::copy_file(std::string(TALLYRA_SOURCE_DIR) + "/examples/household.dat", P("h.dat"));
        std::ofstream(P("k.keys")) << "1<Enter>";
        fs::create_directory(P("folder"));
        ::mkfifo(P("pipe").c_str(), 0600);
    }
    void TearDown() override {
        core::SetCurrentLanguage(core::LangEnglish);
        unsetenv("TMPDIR");
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }
    std::string P(const std::string& name) const { return Dir + "/" + name; }
    std::string Dir;
};

TEST_F(BrokenFiles, EveryCommandNamesTheFileAndSaysWhatItIs) {
    struct Case {
        const char* Name;
        TCommand Command;
        std::vector<std::string> Args;  // "@x" is the file x in the scratch folder
        std::string Bad;                // the file the message names
        int Status;
    };
    const Case cases[] = {
        {"check", RunCheck, {"@folder"}, "folder", 2},
        {"check", RunCheck, {"@pipe"}, "pipe", 2},
        {"vars", RunVars, {"@pipe"}, "pipe", 1},
        {"spss in", RunSpss, {"@pipe", "@o.sps"}, "pipe", 1},
        {"spss out", RunSpss, {"@h.slo", "@folder"}, "folder", 1},
        {"spss out", RunSpss, {"@h.slo", "@pipe"}, "pipe", 1},
        {"enter data", RunEnter, {"@h.slo", "@pipe", "--keys", "@k.keys"}, "pipe", 2},
        {"enter keys", RunEnter, {"@h.slo", "@n.dat", "--keys", "@folder"}, "folder", 2},
        {"enter keys", RunEnter, {"@h.slo", "@n.dat", "--keys", "@pipe"}, "pipe", 2},
        {"check-data", RunCheckData, {"@h.slo", "@folder"}, "folder", 2},
        {"freq", RunFreq, {"@h.slo", "@pipe", "1"}, "pipe", 2},
        {"merge out", RunMerge, {"@h.slo", "@folder", "@h.dat", "--force"}, "folder", 1},
        {"subset out",
         RunSubset,
         {"@h.slo", "@h.dat", "@folder", "--fields", "1,4", "--records", "1", "--force"},
         "folder",
         1},
        {"export out",
         RunExport,
         {"@h.slo", "@h.dat", "@pipe", "--format", "csv", "--force"},
         "pipe",
         1},
        {"codebook out", RunCodebook, {"@h.slo", "@folder", "--force"}, "folder", 1},
        {"compare", RunCompare, {"@h.slo", "@h.dat", "@folder"}, "folder", 2},
        {"compare", RunCompare, {"@h.slo", "@h.dat", "@pipe"}, "pipe", 2},
        {"stats", RunStats, {"@folder"}, "folder", 2},
        {"stats", RunStats, {"@pipe"}, "pipe", 2},
        {"missing folder", RunSpss, {"@h.slo", "@none/o.sps"}, "none/o.sps", 1},
        {"missing folder", RunExport, {"@h.slo", "@h.dat", "@none/o.csv"}, "none/o.csv", 1},
        {"missing folder", RunMerge, {"@h.slo", "@none/o.dat", "@h.dat"}, "none/o.dat", 1},
    };
    const struct {
        const char* Lang;
        const char* Folder;
        const char* Pipe;
        const char* Missing;
    } languages[] = {
        {"en", "This is a folder, not a file.", "Not a regular file (a device or a pipe).",
         "The folder for this file does not exist."},
        {"pl", "To jest folder, a nie plik.", "To nie jest zwykły plik (to urządzenie lub potok).",
         "Folder dla tego pliku nie istnieje."},
    };
    for (const auto& language : languages) {
        for (const Case& c : cases) {
            std::vector<std::string> args;
            for (const std::string& a : c.Args)
                args.push_back(a[0] == '@' ? P(a.substr(1)) : a);
            core::SetCurrentLanguage(language.Lang[0] == 'p' ? core::LangPolish
                                                             : core::LangEnglish);
            std::ostringstream out, err;
            EXPECT_EQ(c.Command(args, out, err), c.Status) << c.Name << " " << err.str();
            const std::string text = c.Bad == "folder" ? language.Folder
                                     : c.Bad == "pipe" ? language.Pipe
                                                       : language.Missing;
            EXPECT_NE(err.str().find(P(c.Bad) + ": " + text), std::string::npos)
                << c.Name << " (" << language.Lang << "): " << err.str();
        }
    }
    // Nothing replaced, no temporary or partial file left.
    EXPECT_TRUE(fs::is_directory(P("folder")));
    EXPECT_TRUE(fs::is_empty(P("folder")));
    EXPECT_TRUE(fs::is_fifo(P("pipe")));
    for (const auto& entry : fs::directory_iterator(Dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "h.slo" || name == "h.dat" || name == "k.keys" || name == "folder" ||
                    name == "pipe" || name.rfind("tallyra-", 0) == 0)
            << name;
    }
}

}  // namespace
}  // namespace tallyra::cli
