// SPDX-License-Identifier: GPL-3.0-or-later
// The comparison of two keyings on large data files beside `cmp` of the
// same files in the same run (warm page cache): identical files (cmp reads
// both to the end), files differing in one field of every thousandth record
// paired by identifier and by number, files whose identifiers are not in
// ascending order (paired through the identifiers' index), and a second file
// in reverse order (every pair also read again by number). Every measurement
// runs in a child process, so its peak memory is its own; the files are
// written by a child too, so that the parent stays small.
//
//   compare [RECORDS...]      default: 100000 1000000
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "verify/datacompare.h"

using namespace tallyra::core;

namespace {

// 20 fields: a 7-digit identifier, numbers, two text fields.
const char* const Script =
    "left='id' width=7 recid range=[1:9999999]*"
    "left='n1' width=1 range=[1:9]*"
    "left='n2' width=2*left='n3' width=2*left='n4' width=2*left='n5' width=2*"
    "left='f' width=1*left='a' width=2*left='b' width=2*"
    "left='g1' width=1*left='g2' width=1*left='g3' width=1*"
    "left='t1' text width=20*left='t2' text width=10*"
    "left='c' width=1*left='n6' width=3*"
    "left='n7' width=3*left='n8' width=3*left='n9' width=3*"
    "left='n10' width=4*";

struct TResult {
    double Seconds = 0;
    long PeakKb = 0;
    int Status = 0;
};

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` in a child process: the seconds it measured itself and the
// child's peak memory.
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

// The best of five runs (the machine is shared; the minimum is the figure
// least disturbed by other work), with the largest peak memory seen.
TResult Measure(const std::function<double()>& work) {
    TResult best = MeasureOnce(work);
    for (int i = 0; i < 4; ++i) {
        const TResult r = MeasureOnce(work);
        best.PeakKb = std::max(best.PeakKb, r.PeakKb);
        best.Status = std::max(best.Status, r.Status);
        best.Seconds = std::min(best.Seconds, r.Seconds);
    }
    return best;
}

// `cmp -s` exits 0 for equal files and 1 for different ones; both count.
TResult Cmp(const std::string& a, const std::string& b) {
    const std::string command = "cmp -s " + a + " " + b;
    return Measure([&] {
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? Since(start) : -1.0;
    });
}

// Record `r` (from 1) with identifier `id`: the same bytes for the same pair.
std::string MakeRecord(int32_t r, int32_t id) {
    uint32_t seed = uint32_t(r) * 2654435761u + 12345u;
    const auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return 1 + (seed >> 8) % n;
    };
    const char* words[] = {"alpha", "Beta", "gamma", "DELTA", "epsilon"};
    char buf[256];
    const int n = std::snprintf(
        buf, sizeof buf,
        "%07d%01u%02u%02u%02u%02u%01u%02u%02u%01u%01u%01u%-20s%-10s5%03u%03u%03u%03u%04u\r\n", id,
        next(9), next(99), next(99), next(99), next(99), next(2), next(99), next(99), next(9),
        next(9), next(9), words[next(5) - 1], "x", next(999), next(999), next(999), next(999),
        next(9999));
    return std::string(buf, size_t(n));
}

// One field (t1, columns 32-51) differs in every thousandth record.
std::string Changed(std::string record, int32_t r) {
    if (r % 1000 == 0) record[31] = record[31] == 'X' ? 'Y' : 'X';
    return record;
}

// The five files of one size, written by a child process.
void WriteFiles(const std::string& dir, int32_t n) {
    const TResult r = MeasureOnce([&] {
        std::FILE* first = std::fopen((dir + "/first.dat").c_str(), "wb");
        std::FILE* same = std::fopen((dir + "/same.dat").c_str(), "wb");
        std::FILE* changed = std::fopen((dir + "/changed.dat").c_str(), "wb");
        std::FILE* mixed = std::fopen((dir + "/mixed.dat").c_str(), "wb");
        std::FILE* mixedChanged = std::fopen((dir + "/mixed-changed.dat").c_str(), "wb");
        // The identifiers of the mixed files: 1..n in a fixed shuffled order.
        std::vector<int32_t> ids;
        ids.resize(size_t(n));
        for (int32_t i = 0; i < n; ++i)
            ids[size_t(i)] = i + 1;
        uint32_t seed = 99;
        for (size_t i = ids.size(); i > 1; --i) {
            seed = seed * 1103515245u + 12345u;
            std::swap(ids[i - 1], ids[(seed >> 4) % i]);
        }
        for (int32_t r = 1; r <= n; ++r) {
            const std::string record = MakeRecord(r, r);
            std::fwrite(record.data(), 1, record.size(), first);
            std::fwrite(record.data(), 1, record.size(), same);
            const std::string c = Changed(record, r);
            std::fwrite(c.data(), 1, c.size(), changed);
            const std::string m = MakeRecord(r, ids[size_t(r - 1)]);
            std::fwrite(m.data(), 1, m.size(), mixed);
            const std::string mc = Changed(m, r);
            std::fwrite(mc.data(), 1, mc.size(), mixedChanged);
        }
        std::FILE* reversed = std::fopen((dir + "/reversed.dat").c_str(), "wb");
        for (int32_t r = n; r >= 1; --r) {
            const std::string c = Changed(MakeRecord(r, r), r);
            std::fwrite(c.data(), 1, c.size(), reversed);
        }
        for (std::FILE* f : {first, same, changed, mixed, mixedChanged, reversed})
            std::fclose(f);
        return 0.0;
    });
    if (r.Status != 0) std::abort();
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
    std::printf("script: 20 fields, %d bytes per record\n\n", script.LineLength);

    const TResult idle = MeasureOnce([] { return 0.0; });
    std::printf("a child process doing nothing: peak %.1f MB\n\n", double(idle.PeakKb) / 1024.0);

    for (const int32_t n : sizes) {
        WriteFiles(dir, n);
        const auto path = [&](const char* name) { return dir + "/" + name; };
        const int64_t expected = n / 1000;
        const double mb = double(std::filesystem::file_size(path("first.dat"))) / 1e6;
        std::printf("%d records, %.1f MB per file\n", n, mb);

        Cmp(path("first.dat"), path("same.dat"));  // warm the page cache
        const TResult cmp = Cmp(path("first.dat"), path("same.dat"));
        const auto compare = [&](const char* first, const char* second, TPairBy by,
                                 int64_t differences) {
            const std::string a = path(first), b = path(second);
            return Measure([&, a, b, by, differences] {
                const auto start = std::chrono::steady_clock::now();
                const TComparisonResult r = CompareDataFiles(script, a, b, by);
                const double seconds = Since(start);
                const bool ok = r.Paired == n && int64_t(r.Differences.size()) == differences &&
                                r.OnlyInFirst.empty() && r.OnlyInSecond.empty();
                if (!ok)
                    std::fprintf(stderr, "  unexpected result: %d paired, %zu differences\n",
                                 r.Paired, r.Differences.size());
                return ok ? seconds : -1.0;
            });
        };
        const TResult identical = compare("first.dat", "same.dat", TPairBy::Identifier, 0);
        const TResult differing =
            compare("first.dat", "changed.dat", TPairBy::Identifier, expected);
        const TResult byNumber = compare("first.dat", "changed.dat", TPairBy::Number, expected);
        const TResult mixed =
            compare("mixed.dat", "mixed-changed.dat", TPairBy::Identifier, expected);
        const TResult reversed =
            compare("first.dat", "reversed.dat", TPairBy::Identifier, expected);
        const auto row = [&](const char* name, const TResult& r) {
            std::printf("  %-44s %7.3f s  %6.2fx cmp  %9.0f records/s  peak %6.1f MB%s\n", name,
                        r.Seconds, r.Seconds / cmp.Seconds, double(n) / r.Seconds,
                        double(r.PeakKb) / 1024.0, r.Status == 0 ? "" : "  FAILED");
        };
        std::printf("  %-44s %7.3f s\n", "cmp -s FIRST SAME", cmp.Seconds);
        row("identical, by identifier", identical);
        row("1 in 1000 differing, by identifier", differing);
        row("1 in 1000 differing, by number", byNumber);
        row("identifiers not ascending, same order", mixed);
        row("second file reversed, by identifier", reversed);
        std::printf("\n");
        for (const char* f : {"first.dat", "same.dat", "changed.dat", "mixed.dat",
                              "mixed-changed.dat", "reversed.dat"})
            std::filesystem::remove(path(f));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
