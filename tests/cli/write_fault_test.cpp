// SPDX-License-Identifier: GPL-3.0-or-later
// Full disks and file size limits through the write seam of the descriptor
// helpers: the n-th write fails with ENOSPC or EFBIG (and every later one, as
// on a full disk). Each command reports one failure naming the file, exits
// with its failure status and leaves no partial output; the data file of
// `enter` keeps whole records plus at most one partial record, each a prefix
// of what a run without the fault writes.
#include <cerrno>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "../core/spss/testutil.h"
#include "entercommand.h"
#include "shell/fdio.h"
#include "shell/langtext.h"
#include "spsscommands.h"
#include "subsetcommand.h"

namespace tallyra::cli {
namespace {

namespace fs = std::filesystem;
using core::testing::ReadAll;
using core::testing::TScratch;
using core::testing::WriteAll;

using TCommand = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

// The failure text for each injected error.
std::string FaultText(int err) {
    return err == ENOSPC ? "Probably disk out of space."
                         : "The file has reached the largest size allowed.";
}

// How many times `text` occurs in `in`.
size_t Occurrences(const std::string& in, const std::string& text) {
    size_t n = 0;
    for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1))
        ++n;
    return n;
}

// The names in the folder that are not among `kept` (temporary files left).
std::vector<std::string> Leftovers(const std::string& folder,
                                   const std::vector<std::string>& kept) {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(kept.begin(), kept.end(), name) == kept.end()) extra.push_back(name);
    }
    return extra;
}

class WriteFault : public ::testing::Test {
protected:
    void SetUp() override { core::SetCurrentLanguage(core::LangEnglish); }
    void TearDown() override { core::SetWriteFault(0, 0); }
    // Runs the command with the fault at the n-th write (0: none, counting
    // only) and returns its exit status; Err gets its error output.
    int Run(TCommand command, const std::vector<std::string>& args, int64_t nth, int err) {
        std::ostringstream out, errors;
        core::SetWriteFault(nth == 0 ? INT64_MAX : nth, err);
        const int status = command(args, out, errors);
        Writes = core::WritesSinceFault();
        core::SetWriteFault(0, 0);
        Err = errors.str();
        return status;
    }
    TScratch Dir;
    std::string Err;
    int64_t Writes = 0;
};

TEST_F(WriteFault, EnterStopsAtTheFirstFailedWriteWithOneMessage) {
    WriteAll(Dir / "s.slo",
             "left='id' width=3 recid auto=1*\r\nleft='Sex' width=1 range=[1:2]*\r\n"
             "left='Age' width=2 range=[18:99]*\r\n");
    WriteAll(Dir / "k.txt", "145145145145");
    const std::string data = Dir / "d.dat";
    const std::vector<std::string> args = {Dir / "s.slo", data, "--keys", Dir / "k.txt"};
    WriteAll(data, "001145\r\n00");
    ASSERT_EQ(Run(RunEnter, args, 0, 0), 0) << Err;
    const std::string whole = ReadAll(data);
    const int64_t writes = Writes;
    ASSERT_GT(writes, 4);
    for (const int err : {ENOSPC, EFBIG}) {
        for (int64_t nth = 1; nth <= writes; ++nth) {
            SCOPED_TRACE("write " + std::to_string(nth) + (err == ENOSPC ? " ENOSPC" : " EFBIG"));
            WriteAll(data, "001145\r\n00");
            fs::remove(Dir / "d.bak");
            EXPECT_EQ(Run(RunEnter, args, nth, err), 2);
            // The first write is the backup copy; later ones are records.
            const std::string failed =
                nth == 1 ? Dir / "d.bak" + ": " + FaultText(err)
                         : "The data file \"" + data + "\" could not be written: " + FaultText(err);
            EXPECT_EQ(Occurrences(Err, FaultText(err)), 1u) << Err;
            EXPECT_EQ(Occurrences(Err, failed), 1u) << Err;
            EXPECT_EQ(Err.substr(Err.size() - failed.size() - 1), failed + "\n");
            const std::string now = ReadAll(data);
            EXPECT_EQ(whole.substr(0, now.size()), now);
            EXPECT_GE(now.size(), 8u);
            EXPECT_EQ(Leftovers(Dir.Path, {"s.slo", "k.txt", "d.dat", "d.bak"}),
                      std::vector<std::string>());
        }
    }
}

TEST_F(WriteFault, MergeSubsetAndSpssLeaveNoPartialOutput) {
    WriteAll(Dir / "s.slo", "left='a' width=2 label=A*\r\nleft='b' width=1 label=B*\r\n");
    std::string records;
    for (int i = 0; i < 3000; ++i)
        records += std::to_string(10 + i % 90) + std::to_string(i % 10) + "\r\n";
    WriteAll(Dir / "a.dat", records);
    WriteAll(Dir / "b.dat", records);
    const struct {
        const char* Name;
        TCommand Command;
        std::vector<std::string> Args;
        std::vector<std::string> Outputs;  // written by the command
    } cases[] = {
        {"merge",
         RunMerge,
         {"--force", Dir / "s.slo", Dir / "out.dat", Dir / "a.dat", Dir / "b.dat"},
         {"out.dat"}},
        {"subset",
         RunSubset,
         {"--force", Dir / "s.slo", Dir / "a.dat", Dir / "sub.dat", "--fields", "b", "--records",
          "1-2999"},
         {"sub.dat", "sub.slo", "sub.sps"}},
        {"spss", RunSpss, {Dir / "s.slo", Dir / "s.sps"}, {"s.sps"}},
    };
    std::vector<std::string> kept = {"s.slo", "a.dat", "b.dat"};
    for (const auto& c : cases)
        kept.insert(kept.end(), c.Outputs.begin(), c.Outputs.end());
    for (const auto& c : cases) {
        // Earlier outputs stand in place: a failed run must leave them alone.
        for (const std::string& name : c.Outputs)
            WriteAll(Dir / name, "earlier");
        ASSERT_EQ(Run(c.Command, c.Args, 0, 0), 0) << c.Name << ": " << Err;
        std::vector<std::string> good;
        for (const std::string& name : c.Outputs)
            good.push_back(ReadAll(Dir / name));
        const int64_t writes = Writes;
        ASSERT_GE(writes, 1) << c.Name;
        for (const int err : {ENOSPC, EFBIG}) {
            for (int64_t nth = 1; nth <= writes; ++nth) {
                SCOPED_TRACE(std::string(c.Name) + " write " + std::to_string(nth));
                for (const std::string& name : c.Outputs)
                    WriteAll(Dir / name, "earlier");
                EXPECT_EQ(Run(c.Command, c.Args, nth, err), 1);
                EXPECT_EQ(Occurrences(Err, FaultText(err)), 1u) << Err;
                // The message names the output being written.
                bool named = false;
                for (const std::string& name : c.Outputs)
                    named =
                        named || Err.find(Dir / name + ": " + FaultText(err)) != std::string::npos;
                EXPECT_TRUE(named) << Err;
                // Every output is either still the earlier file or complete.
                for (size_t i = 0; i < c.Outputs.size(); ++i) {
                    const std::string now = ReadAll(Dir / c.Outputs[i]);
                    EXPECT_TRUE(now == "earlier" || now == good[i]) << c.Outputs[i];
                }
                EXPECT_EQ(Leftovers(Dir.Path, kept), std::vector<std::string>());
            }
        }
        EXPECT_EQ(ReadAll(Dir / "a.dat"), records) << c.Name;
    }
}

}  // namespace
}  // namespace tallyra::cli
