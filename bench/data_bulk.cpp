// SPDX-License-Identifier: GPL-3.0-or-later
// Bulk passes of the record store on large data files: opening with a
// backup, the data check over all records, the frequencies of one field and
// the search for the last record's identifier, each beside `cat FILE >
// /dev/null` and `cp FILE` of the same file in the same run (warm page
// cache). Every measurement runs in a child process, so its peak memory is
// its own; the passes are timed without the opening that precedes them.
//
//   data_bulk [RECORDS...]      default: 100000 1000000
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"

using namespace tallyra::core;

namespace {

// 20 fields: identifier, numbers, a strong filter over two fields, a group
// of three, two text fields and a constant.
const char* const Script =
    "left='id' width=7 recid range=[1:9999999]*"
    "left='n1' width=1 range=[1:9]*"
    "left='n2' width=2 range=[1:99]*"
    "left='n3' width=2*left='n4' width=2*left='n5' width=2*"
    "left='f' width=1 range=[1:2] when=[1][A:B]*"
    "left='a' width=2 range=[1:99] label=A*"
    "left='b' width=2 label=B*"
    "left='g1' width=1 range=[1:9] group=G3*"
    "left='g2' width=1*"
    "left='g3' width=1 label=G3*"
    "left='t1' text width=20*"
    "left='t2' text width=10*"
    "left='c' width=1 const auto=5 range=[5]*"
    "left='n6' width=3 range=[1:999] auto=0*"
    "left='n7' width=3*left='n8' width=3*left='n9' width=3*"
    "left='n10' width=4 range=[1:9999]*";

struct TResult {
    double Seconds = 0;
    long PeakKb = 0;
    int Status = 0;
};

TResult MeasureOnce(const std::function<double()>& work);

// The best of three runs (the machine is shared; the minimum is the figure
// least disturbed by other work), with the largest peak memory seen.
TResult Measure(const std::function<double()>& work) {
    TResult best = MeasureOnce(work);
    for (int i = 0; i < 2; ++i) {
        const TResult r = MeasureOnce(work);
        best.PeakKb = std::max(best.PeakKb, r.PeakKb);
        best.Status = std::max(best.Status, r.Status);
        best.Seconds = std::min(best.Seconds, r.Seconds);
    }
    return best;
}

// Runs `work` in a child process: the seconds it measured itself (the part
// being timed) and the child's peak memory.
TResult MeasureOnce(const std::function<double()>& work) {
    std::fflush(nullptr);
    int fds[2];
    if (pipe(fds) != 0) std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        double seconds = -1;
        try {
            seconds = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "failed: %s\n", e.what());
        }
        if (write(fds[1], &seconds, sizeof seconds) != sizeof seconds) _exit(2);
        std::fflush(nullptr);
        _exit(seconds < 0 ? 1 : 0);
    }
    close(fds[1]);
    double seconds = -1;
    if (read(fds[0], &seconds, sizeof seconds) != sizeof seconds) seconds = -1;
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    TResult r;
    r.Seconds = seconds;
    r.PeakKb = usage.ru_maxrss;
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TResult Shell(const std::string& command) {
    return Measure([&] {
        const auto start = std::chrono::steady_clock::now();
        return std::system(command.c_str()) == 0 ? Since(start) : -1.0;
    });
}

void WriteData(const std::string& path, int32_t records) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::string rec;
    uint32_t seed = 12345;
    const auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return 1 + (seed >> 8) % n;
    };
    const char* words[] = {"alpha", "Beta", "gamma", "DELTA", "epsilon"};
    for (int32_t r = 1; r <= records; ++r) {
        char buf[256];
        const uint32_t f1 = next(2);
        const uint32_t g = next(7);
        int n = std::snprintf(
            buf, sizeof buf,
            "%07d%01u%02u%02u%02u%02u%01u%s%01u%01u%01u%-20s%-10s5%03u%03u%03u%03u%04u\r\n", r,
            next(9), next(99), next(99), next(99), next(99), f1, f1 == 1 ? "0000" : "1234", g,
            g + 1, g + 2, words[next(5) - 1], "x", next(999), next(999), next(999), next(999),
            next(9999));
        std::fwrite(buf, 1, size_t(n), f);
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int32_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {100000, 1000000};
    char pattern[] = "/tmp/tallyra-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);

    TPXMessageList messages;
    TPXDictionary script(NormalizeLineEnds(Script), FixedReadingOptions(), messages);
    if (messages.CountKinds({mkError}) > 0) {
        std::fprintf(stderr, "bench script has errors\n");
        return 1;
    }
    messages.Clear();
    int32_t fields = 0;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i)
        fields += script.Instructions.Field(i) ? 1 : 0;
    std::printf("script: %d fields, %d bytes per record\n\n", fields, script.LineLength);

    for (const int32_t n : sizes) {
        const std::string data = dir + "/data.dat";
        std::filesystem::remove(dir + "/data.bak");
        WriteData(data, n);
        const double mb = double(std::filesystem::file_size(data)) / 1e6;
        std::printf("%d records, %.1f MB\n", n, mb);
        Shell("cat " + data + " > /dev/null");  // warm the page cache
        const TResult cat = Shell("cat " + data + " > /dev/null");
        const TResult cp = Shell("cp " + data + " " + dir + "/copy.dat");
        std::filesystem::remove(dir + "/copy.dat");

        const TResult open = Measure([&] {
            const auto start = std::chrono::steady_clock::now();
            auto store = TPXDataHandler::CreateForFile(script, true, nullptr, data);
            return store->FullCount() == n ? Since(start) : -1.0;
        });
        std::filesystem::remove(dir + "/data.bak");
        const TResult openOnly = Measure([&] {
            const auto start = std::chrono::steady_clock::now();
            auto store = TPXDataHandler::CreateForFile(script, false, nullptr, data);
            return store->FullCount() == n ? Since(start) : -1.0;
        });
        const TResult check = Measure([&] {
            auto store = TPXDataHandler::CreateForFile(script, false, nullptr, data);
            const auto start = std::chrono::steady_clock::now();
            store->CheckData(true, CheckMaskAll);
            const double seconds = Since(start);
            if (store->MessageList().Count() != 0) {
                const auto* m = store->MessageList().Get(0);
                std::fprintf(stderr, "  unexpected data errors: %d, first 0x%x at %d\n",
                             store->MessageList().Count(), m->Code, m->Position);
                return -1.0;
            }
            return seconds;
        });
        const TResult freq = Measure([&] {
            auto store = TPXDataHandler::CreateForFile(script, false, nullptr, data);
            const auto start = std::chrono::steady_clock::now();
            const bool ok = store->CountValues(12).size() == 5;  // the text field t1
            return ok ? Since(start) : -1.0;
        });
        const TResult find = Measure([&] {
            auto store = TPXDataHandler::CreateForFile(script, false, nullptr, data);
            const auto start = std::chrono::steady_clock::now();
            store->FindByIdentifier(std::to_string(n));
            return store->Context().Rec == n ? Since(start) : -1.0;
        });
        const auto row = [&](const char* name, const TResult& r, double base, const char* baseName,
                             bool rate) {
            std::printf("  %-28s %8.3f s  %6.2fx %-4s", name, r.Seconds, r.Seconds / base,
                        baseName);
            if (rate)
                std::printf("  %10.0f records/s", double(n) / r.Seconds);
            else
                std::printf("  %21s", "");
            std::printf("  peak %6.1f MB%s\n", double(r.PeakKb) / 1024.0,
                        r.Status == 0 ? "" : "  FAILED");
        };
        std::printf("  %-28s %8.3f s\n", "cat FILE > /dev/null", cat.Seconds);
        std::printf("  %-28s %8.3f s\n", "cp FILE", cp.Seconds);
        row("open with backup", open, cp.Seconds, "cp", true);
        row("open without backup", openOnly, cat.Seconds, "cat", true);
        row("CheckData (all records)", check, cat.Seconds, "cat", true);
        row("CountValues (one field)", freq, cat.Seconds, "cat", true);
        row("FindByIdentifier (last)", find, cat.Seconds, "cat", true);
        std::printf("\n");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
