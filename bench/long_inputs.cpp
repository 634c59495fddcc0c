// SPDX-License-Identifier: GPL-3.0-or-later
// Long inputs: a range of N single values read as a script (N = 50 000 to
// 400 000; the growth ratio time(400k)/time(100k) is about 4 for n log n work
// and 16 for quadratic), and key scripts of 2 and 20 MB read a window at a
// time beside the whole-text parse of the same file (time and the growth of
// the peak resident set for each).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "data/keyscript.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "shell/cp1250.h"
#include "shell/filebytes.h"

using namespace tallyra::core;
using Clock = std::chrono::steady_clock;

namespace {

std::string RangeScript(int values) {
    std::string s = "left='Many single values' width=8 range=[";
    for (int i = 0; i < values; ++i) {
        if (i > 0) s += ',';
        s += std::to_string(i * 3);
    }
    return s + "]*\r\n";
}

double ReadScript(const std::string& text, int& warnings) {
    TPXMessageList list;
    list.Limit = LimitForErrorMode(2, 0);
    const auto start = Clock::now();
    TPXDictionary script(text, DefaultScriptOptions(), list);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    warnings = list.Count();
    return seconds;
}

// The peak resident set so far, in MB.
double PeakMB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Keys typed into a questionnaire: numbers, texts with Polish letters,
// special keys and answers.
void WriteKeyScript(const std::string& path, size_t bytes) {
    std::ofstream out(path, std::ios::binary);
    size_t written = 0;
    for (int i = 0; written < bytes; ++i) {
        const std::string line = std::to_string(i % 1000) +
                                 "<Enter>Pan \xc5\xbc\xc3\xb3\xc5\x82w " + std::to_string(i) +
                                 "<Enter><C-End><Yes><Left><Right>\r\n";
        out << line;
        written += line.size();
    }
}

}  // namespace

int main() {
    std::printf("range of N single values read as a script:\n");
    double t100 = 0, t400 = 0;
    for (const int n : {50000, 100000, 200000, 400000}) {
        const std::string text = RangeScript(n);
        int warnings = 0;
        double best = 1e9;
        for (int run = 0; run < 3; ++run)
            best = std::min(best, ReadScript(text, warnings));
        std::printf("  N = %6d  %6.2f MB  %8.4f s  (%d messages)\n", n, text.size() / 1e6, best,
                    warnings);
        if (n == 100000) t100 = best;
        if (n == 400000) t400 = best;
    }
    std::printf("  growth ratio time(400k)/time(100k): %.2f (n log n about 4, quadratic 16)\n",
                t400 / t100);

    const auto folder = std::filesystem::temp_directory_path();
    std::printf("key scripts (keys counted; peak resident set growth):\n");
    for (const size_t mb : {2, 20}) {
        const std::string path = (folder / "tallyra_bench_keys.txt").string();
        WriteKeyScript(path, mb << 20);
        const double before = PeakMB();
        auto start = Clock::now();
        TKeyScriptReader reader = TKeyScriptReader::FromFile(path);
        TScriptKey key;
        std::string error;
        size_t keys = 0;
        while (reader.Next(key, error))
            ++keys;
        const double tRead = std::chrono::duration<double>(Clock::now() - start).count();
        const double windowGrowth = PeakMB() - before;
        // The whole-text parse afterwards, so its peak does not hide the
        // reader's.
        start = Clock::now();
        const auto whole = ParseKeyScript(Utf8ToCp1250(ReadFileBytes(path)), error);
        const double tWhole = std::chrono::duration<double>(Clock::now() - start).count();
        const double wholeGrowth = PeakMB() - before;
        std::printf(
            "  %2zu MB, %zu keys: read in pieces %.3f s, peak +%.1f MB; whole text "
            "%.3f s, peak +%.1f MB (%zu keys)\n",
            mb, keys, tRead, windowGrowth, tWhole, wholeGrowth, whole ? whole->size() : size_t(0));
        std::filesystem::remove(path);
    }
    return 0;
}
