// SPDX-License-Identifier: GPL-3.0-or-later
// Script reading speed: generates scripts of 10 000 and 100 000 instructions
// using every construct of the language, reads each several times and prints
// MB/s, the growth ratio time(100k)/time(10k) and `cat` of the same file for
// scale. Goals: at least 50 MB/s on the large script, ratio at most 11.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"

using namespace tallyra::core;
using Clock = std::chrono::steady_clock;

namespace {

// A block of ten instructions; k makes its labels unique.
void AppendBlock(std::string& s, int k, int& instructions) {
    const std::string n = std::to_string(k);
    s += "comment='Section " + n + " of the questionnaire' label=C" + n + "*\r\n";
    s += "left='Q$ How often do you shop?' repeat=3 item=2 width=1 range=[1:5] "
         "vallab=[1 'never' 2 'rarely' 3 'sometimes' 4 'often' 5 'always']*\r\n";
    s += "left='Do you own a car' width=1 range=[0,1] auto=0 when=[1][A" + n + ":B" + n +
         "] signal=[0][T" + n + "] beep*\r\n";
    s += "left='Brand' width=2 range=[0:20,99] label=A" + n + "*\r\n";
    s += "left='Model' width=^A" + n + " range=^A" + n + " vallab=[1 'small' 2 'big'] label=B" + n +
         " group=G" + n + "*\r\n";
    s += "{ a comment that the tokenizer skips } left='Group end' width=3 range=[0:100] label=G" +
         n + "*\r\n";
    s += "left='Remarks' text width=30 auto='\\ ' label=T" + n + "*\r\n";
    s += "left=^C" + n + " varname=V" + n +
         " varlab='Copied label' width=4 auto=0 range=[0:9999]*\r\n";
    s += "left='Update' width=2 range=[1:50] update const auto=7*\r\n";
    s += "page*\r\n";
    instructions += 10;
}

std::string MakeScript(int target) {
    std::string s = "left='Id' width=8 range=[1:99999999] auto=1 recid*\r\n";
    int instructions = 1;
    for (int k = 1; instructions < target; ++k)
        AppendBlock(s, k, instructions);
    return s;
}

// Writes a buffer far larger than the processor's caches, so the next run
// starts cold whatever the size of the script.
void EvictCaches() {
    static std::vector<char> buffer(256u << 20);
    for (size_t i = 0; i < buffer.size(); i += 64)
        buffer[i] = static_cast<char>(buffer[i] + 1);
}

// Seconds per reading, best of several runs; `cold` evicts the caches first.
double TimeRead(const std::string& text, int runs, bool cold, int& messages, int& count) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        if (cold) EvictCaches();
        TPXMessageList list;
        list.Limit = LimitForErrorMode(2, 0);
        const auto start = Clock::now();
        TPXDictionary script(text, DefaultScriptOptions(), list);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, seconds);
        messages = list.Count();
        count = script.Instructions.Count();
    }
    return best;
}

double TimeCat(const std::string& path, int runs) {
    const std::string command = "cat '" + path + "' > /dev/null";
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (std::system(command.c_str()) != 0) return -1;
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string small = MakeScript(10000);
    const std::string large = MakeScript(100000);
    if (argc == 3 && std::string(argv[1]) == "--write") {
        // Leaves the two scripts for looking at them with other tools.
        std::ofstream(std::string(argv[2]) + "/script10k.slo", std::ios::binary) << small;
        std::ofstream(std::string(argv[2]) + "/script100k.slo", std::ios::binary) << large;
        return 0;
    }
    int messages = 0, count = 0;
    for (const bool cold : {false, true}) {
        std::printf("%s caches (best of several readings):\n", cold ? "cold" : "warm");
        const double tSmall = TimeRead(small, 7, cold, messages, count);
        std::printf(
            "  10k instructions:  %6.2f MB %8.4f s %7.1f MB/s  (%d instructions, %d messages)\n",
            small.size() / 1e6, tSmall, small.size() / 1e6 / tSmall, count, messages);
        const double tLarge = TimeRead(large, 5, cold, messages, count);
        std::printf(
            "  100k instructions: %6.2f MB %8.4f s %7.1f MB/s  (%d instructions, %d messages)\n",
            large.size() / 1e6, tLarge, large.size() / 1e6 / tLarge, count, messages);
        std::printf("  growth ratio time(100k)/time(10k): %.2f (goal <= 11)\n", tLarge / tSmall);
    }

    const auto path = std::filesystem::temp_directory_path() / "tallyra_bench_script.slo";
    std::ofstream(path, std::ios::binary) << large;
    const double tCat = TimeCat(path.string(), 5);
    std::filesystem::remove(path);
    if (tCat > 0)
        std::printf("cat of the 100k script: %.4f s  %.1f MB/s (process start included)\n", tCat,
                    large.size() / 1e6 / tCat);
    return 0;
}
