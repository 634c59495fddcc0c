// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark of the data merge and the SPSS export:
//  1. merging five data files of 1 000 000 records in all, beside `cat` of the
//     same files into one file in the same run (goal: within 1.5 x cat);
//  2. the SPSS export of a script of 10 000 fields: check, temporary copy,
//     variable set and the four writers (goal: under 0.2 s).
// Usage: merge_export [FOLDER] (default: a new folder under /tmp, removed).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "merge/tfilemerger.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"

namespace fs = std::filesystem;
using namespace tallyra::core;

namespace {

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

template <class F>
double Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return Seconds(std::chrono::steady_clock::now() - start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const bool own = argc < 2;
    std::string folder =
        own ? (fs::temp_directory_path() / "tallyra-bench-XXXXXX").string() : argv[1];
    if (own && ::mkdtemp(folder.data()) == nullptr) return 1;
    fs::create_directories(folder);

    // ---- merge ----
    // 12 numeric fields of 8 characters: records of 98 bytes with CR LF.
    std::string scriptText;
    for (int i = 0; i < 12; ++i)
        scriptText += "left='f" + std::to_string(i) + "' width=8 auto=0*\r\n";
    TPXMessageList messages;
    const TPXDictionary script(scriptText, FixedReadingOptions(), messages);
    const int files = 5, records = 1000000;
    std::vector<std::string> inputs;
    std::string record;
    for (int i = 0; i < 12; ++i)
        record += "1234567" + std::to_string(i % 10);
    record += "\r\n";
    for (int f = 0; f < files; ++f) {
        const std::string name = folder + "/in" + std::to_string(f) + ".dat";
        std::string block;
        block.reserve(record.size() * (records / files));
        for (int r = 0; r < records / files; ++r)
            block += record;
        std::ofstream(name, std::ios::binary) << block;
        inputs.push_back(name);
    }
    const double megabytes = static_cast<double>(record.size()) * records / 1e6;
    std::string catCommand = "cat";
    for (const auto& name : inputs)
        catCommand += " '" + name + "'";
    catCommand += " > '" + folder + "/cat.dat'";
    std::vector<double> catTimes, mergeTimes;
    for (int round = 0; round < 5; ++round) {
        catTimes.push_back(Time([&] {
            if (std::system(catCommand.c_str()) != 0) std::fprintf(stderr, "cat failed\n");
        }));
        mergeTimes.push_back(Time([&] {
            std::vector<std::string> report;
            std::ostringstream out;
            TFileMerger merger(script, inputs, report, folder + "/merged.dat", &out);
            merger.Run();
        }));
    }
    const double cat = Median(catTimes), merge = Median(mergeTimes);
    std::printf("merge: %d files, %d records, %.0f MB\n", files, records, megabytes);
    std::printf("  cat    %.3f s (median of 5)\n", cat);
    std::printf("  merge  %.3f s (median of 5, structure check included)\n", merge);
    std::printf("  ratio  %.2f x cat (goal: within 1.5 x)\n", merge / cat);
    const bool same = fs::file_size(folder + "/merged.dat") == fs::file_size(folder + "/cat.dat");
    std::printf("  output sizes equal: %s\n", same ? "yes" : "NO");

    // ---- SPSS export of 10 000 fields ----
    std::string wide;
    for (int i = 0; i < 10000; ++i) {
        if (i % 3 == 2)
            wide += "left='Remark " + std::to_string(i) + "' text width=20 auto='\\ '*\r\n";
        else
            wide += "left='Question " + std::to_string(i) + "' varname=q" + std::to_string(i) +
                    " width=2 range=[1:5] vallab=[1 'no' 2 'rather no' 3 'maybe' 4 'rather yes' 5 "
                    "'yes'] auto=1*\r\n";
    }
    const std::string target = folder + "/wide.sps";
    std::vector<double> exportTimes, setTimes;
    for (int round = 0; round < 5; ++round) {
        exportTimes.push_back(Time([&] {
            ExportScriptToSPS(folder + "/wide.slo", wide, DefaultScriptOptions(), target,
                              {true, true, true}, 8);
        }));
    }
    std::ofstream(folder + "/wide.slo", std::ios::binary) << wide;
    for (int round = 0; round < 5; ++round) {
        setTimes.push_back(Time([&] {
            TVarColl vars(folder + "/wide.slo", 8);
            WriteSPSExport(vars, target, {true, true, true});
        }));
    }
    std::printf("export: script of 10000 fields (%zu bytes), syntax of %ju bytes\n", wide.size(),
                static_cast<uintmax_t>(fs::file_size(target)));
    std::printf(
        "  whole export (check, temporary copy, set, writers)  %.3f s (median of 5; goal < 0.2 "
        "s)\n",
        Median(exportTimes));
    std::printf("  set from the file and writers only                  %.3f s (median of 5)\n",
                Median(setTimes));

    if (own) fs::remove_all(folder);
    return 0;
}
