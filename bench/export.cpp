// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra export` of a large data file to .sav and to CSV (and, for the
// record, .zsav and .dta) beside `tallyra check-data` on the same file in the
// same run: whole commands, warm page cache, best of three wall times. The
// goal is an export within 3x of the data check.
//
//   export [RECORDS [TALLYRA]]   defaults: 1000000, the tallyra of this build
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// 20 fields: identifier, numbers with value labels, a strong filter over two
// fields, a group of three, two text fields (one with Polish letters) and a
// constant.
const char* const Script =
    "left='id' width=7 recid range=[1:9999999]*\r\n"
    "left='n1' width=1 range=[1:9] vallab=[1 'tak' 2 'nie' 9 'trudno powiedzie\xE6']*\r\n"
    "left='n2' width=2 range=[1:99]*\r\n"
    "left='n3' width=2*\r\nleft='n4' width=2*\r\nleft='n5' width=2*\r\n"
    "left='f' width=1 range=[1:2] when=[1][A:B]*\r\n"
    "left='a' width=2 range=[1:99] label=A*\r\n"
    "left='b' width=2 label=B*\r\n"
    "left='g1' width=1 range=[1:9] group=G3*\r\n"
    "left='g2' width=1*\r\n"
    "left='g3' width=1 label=G3*\r\n"
    "left='t1' text width=20*\r\n"
    "left='t2' text width=10*\r\n"
    "left='c' width=1 const auto=5 range=[5]*\r\n"
    "left='n6' width=3 range=[1:999] auto=0*\r\n"
    "left='n7' width=3*\r\nleft='n8' width=3*\r\nleft='n9' width=3*\r\n"
    "left='n10' width=4 range=[1:9999]*\r\n";

void WriteData(const std::string& path, long records) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    uint32_t seed = 12345;
    const auto next = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return 1 + (seed >> 8) % n;
    };
    const char* words[] = {"alpha", "Beta", "\xA3\xF3\x64\x9F", "Gda\xF1sk, centrum", "epsilon"};
    for (long r = 1; r <= records; ++r) {
        char buf[256];
        const uint32_t f1 = next(2);
        const uint32_t g = next(7);
        const int n = std::snprintf(
            buf, sizeof buf,
            "%07ld%01u%02u%02u%02u%02u%01u%s%01u%01u%01u%-20s%-10s5%03u%03u%03u%03u%04u\r\n", r,
            next(9), next(99), next(99), next(99), next(99), f1, f1 == 1 ? "0000" : "1234", g,
            g + 1, g + 2, words[next(5) - 1], "x", next(999), next(999), next(999), next(999),
            next(9999));
        std::fwrite(buf, 1, size_t(n), f);
    }
    std::fclose(f);
}

// The best of three wall times of a command; negative when it failed.
double Best(const std::string& command) {
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) return -1;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = best < 0 ? s : std::min(best, s);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    const std::string tallyra = argc > 2 ? argv[2] : TALLYRA_CLI_PATH;
    if (records <= 0) {
        std::fprintf(stderr, "usage: export [RECORDS [TALLYRA]]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("tallyra-bench-export-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string script = (dir / "bench.slo").string();
    const std::string data = (dir / "bench.dat").string();
    {
        std::FILE* f = std::fopen(script.c_str(), "wb");
        std::fputs(Script, f);
        std::fclose(f);
    }
    WriteData(data, records);
    const auto q = [](const std::string& s) { return "'" + s + "'"; };
    const std::string quiet = " > /dev/null 2>&1";
    // A warm page cache for every command alike.
    std::system(("cat " + q(data) + " > /dev/null").c_str());
    std::printf("%ld records, %.1f MB\n", records, double(fs::file_size(data)) / 1e6);
    const double check = Best(q(tallyra) + " check-data " + q(script) + " " + q(data) + quiet);
    std::printf("%-22s %7.3f s\n", "check-data", check);
    for (const char* format : {"sav", "csv", "zsav", "dta"}) {
        const std::string out = (dir / (std::string("out.") + format)).string();
        const double s = Best(q(tallyra) + " export --force " + q(script) + " " + q(data) + " " +
                              q(out) + quiet);
        const double size = fs::exists(out) ? double(fs::file_size(out)) / 1e6 : 0;
        if (s < 0 || check <= 0)
            std::printf("%-22s failed\n", (std::string("export .") + format).c_str());
        else
            std::printf("%-22s %7.3f s  %5.2fx check-data  (%.1f MB)\n",
                        (std::string("export .") + format).c_str(), s, s / check, size);
    }
    fs::remove_all(dir);
    return 0;
}
