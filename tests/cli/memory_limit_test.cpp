// SPDX-License-Identifier: GPL-3.0-or-later
// The tallyra program under address-space limits: whatever the point where
// memory runs out, the run ends with "Not enough memory." and status 2 (or
// succeeds), never with an abort, and leaves neither its output nor a
// temporary file behind.
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct TRun {
    int Status = -1;  // the exit status, or -1 when a signal ended the run
    int Signal = 0;
    std::string Err;
};

// Runs tallyra with `args` under an address-space limit of `megabytes`,
// with TMPDIR set to `tmp`.
TRun RunLimited(const std::vector<std::string>& args, long megabytes, const std::string& tmp,
                const std::string& errFile) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{rlim_t(megabytes) << 20, rlim_t(megabytes) << 20};
        ::setrlimit(RLIMIT_AS, &limit);
        ::setenv("TMPDIR", tmp.c_str(), 1);
        ::setenv("LANG", "C", 1);
        if (!std::freopen(errFile.c_str(), "w", stderr) || !std::freopen("/dev/null", "w", stdout))
            ::_exit(99);
        std::vector<char*> argv{const_cast<char*>(TALLYRA_CLI_PATH)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(TALLYRA_CLI_PATH, argv.data());
        ::_exit(98);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    TRun run;
    if (WIFEXITED(status)) run.Status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.Signal = WTERMSIG(status);
    std::ifstream in(errFile);
    run.Err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

TEST(MemoryLimit, OutOfMemoryIsAClearErrorAndLeavesNothingBehind) {
    std::string pattern = (fs::temp_directory_path() / "tallyra-memory-XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    const fs::path tmp = dir / "tmp";
    fs::create_directory(tmp);
    // A script of about 8 MB (reading it takes several times that) and a
    // listing of about 12 MB (read, converted into a temporary copy, read
    // again).
    {
        std::ofstream script(dir / "big.slo", std::ios::binary);
        for (int i = 0; i < 120000; ++i)
            script << "left='Question number " << i
                   << " with a long label' width=2 range=[0:20]*\r\n";
        std::ofstream listing(dir / "big.lst", std::ios::binary);
        for (int i = 0; i < 300000; ++i)
            listing << "VAR" << i << "  1  5  F5.0 some label text here\n";
    }
    const struct {
        const char* Name;
        std::vector<std::string> Args;
        fs::path Output;
    } commands[] = {
        {"spss", {"spss", (dir / "big.slo").string(), (dir / "out.sps").string()}, dir / "out.sps"},
        {"check", {"check", (dir / "big.slo").string()}, fs::path()},
        {"vars", {"vars", (dir / "big.lst").string()}, fs::path()},
    };
    for (const auto& command : commands) {
        int outOfMemory = 0;
        for (long mb = 32; mb <= 352; mb += 40) {
            if (!command.Output.empty()) fs::remove(command.Output);
            const TRun run = RunLimited(command.Args, mb, tmp.string(), (dir / "err.txt").string());
            EXPECT_EQ(run.Signal, 0) << command.Name << " at " << mb << " MB: " << run.Err;
            if (run.Status == 2) {
                EXPECT_EQ(run.Err, "tallyra: Not enough memory.\n")
                    << command.Name << " at " << mb << " MB";
                if (!command.Output.empty()) {
                    EXPECT_FALSE(fs::exists(command.Output));
                }
                ++outOfMemory;
            } else {
                EXPECT_TRUE(run.Status == 0 || run.Status == 1)
                    << command.Name << " at " << mb << " MB: " << run.Status << " " << run.Err;
            }
            // No temporary file anywhere: not in the private folder, not
            // beside the output.
            for (const auto& entry : fs::recursive_directory_iterator(tmp))
                EXPECT_TRUE(entry.is_directory())
                    << command.Name << " at " << mb << " MB left " << entry.path();
            for (const auto& entry : fs::directory_iterator(dir)) {
                const std::string name = entry.path().filename().string();
                EXPECT_EQ(name.find(".tmp."), std::string::npos)
                    << command.Name << " at " << mb << " MB left " << name;
            }
        }
        // The limits reach below what the command needs.
        EXPECT_GT(outOfMemory, 0) << command.Name;
    }
    fs::remove_all(dir);
}

}  // namespace
