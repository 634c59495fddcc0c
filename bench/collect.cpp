// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra db publish` and `tallyra db pull` of a large data file beside
// psql's \copy of the same rows as CSV, in the same run, against a
// throw-away PostgreSQL server of its own (tools/pg-test-server, default
// settings). Publishing goes into an empty survey; the baseline copies the
// same rows (every column) into a table of the same shape with the same
// indexes. Pulling is beside \copy of the whole rows out in the same order.
// Whole commands, wall times (best of two), peak RSS of each command. The
// goals: publish within 3x and pull within 2x of \copy, memory flat.
//
//   collect [RECORDS]   default 1000000 (and a tenth of it for the memory)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string Server = std::string(TALLYRA_SOURCE_DIR) + "/tools/pg-test-server";

// The collection tests' census questionnaire with room for a million
// identifiers: a constant, a filter, a group, an update field, value labels.
const char* const ScriptText =
    "comment='Spis gospodarstw domowych 2026'*\r\n"
    "left='Numer ankiety' width=7 range=[1:9999999] auto=1 recid*\r\n"
    "left='Numer ankietera' varname=ankieter width=3 range=[1:999] auto=1 const*\r\n"
    "left='Wojew\xF3"
    "dztwo' varname=woj text width=20 auto='\\ '*\r\n"
    "page*\r\n"
    "left='P\xB3\x65\xE6' varname=plec width=1 range=[1:2] vallab=[1 'm\xEA\xBF\x63zyzna' "
    "2 'kobieta'] auto=1*\r\n"
    "left='Wiek' varlab='Wiek w latach' width=3 range=[0:120] auto=0*\r\n"
    "left='Czy pracuje' varname=praca width=1 range=[1:2] auto=1 when=[2][zawod:zawod]*\r\n"
    "left='Zaw\xF3\x64' varname=zawod text width=30 label=zawod auto='\\ '*\r\n"
    "left='Liczba os\xF3\x62' varname=osoby width=2 range=[1:20] auto=1 group=dzieci*\r\n"
    "left='Liczba dzieci' varname=dzieci width=2 range=[0:19] auto=0 label=dzieci*\r\n"
    "left='Doch\xF3\x64 roczny' varname=dochod width=11 range=[0:2147483647] auto=0*\r\n"
    "left='Uwagi ankietera' varname=uwagi text width=40 auto='\\ ' update*\r\n";
constexpr int RecordLength = 122;

struct TRun {
    bool Ok = false;
    double Seconds = 0;
    long PeakKb = 0;
};

// Runs a program (no shell) and measures it.
TRun Run(const std::vector<std::string>& args, bool quiet = true) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (quiet) {
            std::FILE* null = std::fopen("/dev/null", "w");
            if (null) ::dup2(::fileno(null), 1);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    TRun r;
    r.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.Ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    r.PeakKb = usage.ru_maxrss;
    if (!r.Ok) std::fprintf(stderr, "collect: failed: %s\n", args.front().c_str());
    return r;
}

// Census records, identifiers from 1.
void WriteData(const std::string& path, long records) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const char* regions[] = {"mazowieckie", "ma\xB3opolskie", "\xB6l\xB9skie", "pomorskie"};
    const char* jobs[] = {"nauczyciel", "kierowca", "lekarz", "rolnik", "in\xBFynier"};
    for (long r = 0; r < records; ++r) {
        char buffer[256];
        const int n = std::snprintf(
            buffer, sizeof buffer, "%07ld001%-20s%01ld%03ld%01ld%-30s%02ld%02ld%011ld%-40s\r\n",
            r + 1, regions[r % 4], 1 + r % 2, 18 + r % 70, 1 + r % 2, jobs[r % 5], 1 + r % 9, r % 5,
            1000 * (r % 997), r % 10 == 0 ? "poprawiono wiek" : "");
        std::fwrite(buffer, 1, size_t(n), f);
    }
    std::fclose(f);
}

TRun Best(const std::vector<std::string>& args, const std::vector<std::string>& reset = {}) {
    TRun best;
    for (int i = 0; i < 2; ++i) {
        if (!reset.empty() && !Run(reset).Ok) return {};
        const TRun r = Run(args);
        if (!r.Ok) return r;
        if (!best.Ok || r.Seconds < best.Seconds) best = r;
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
    ::setenv("PGOPTIONS", "-c client_min_messages=warning", 1);
    const std::string tallyra = TALLYRA_CLI_PATH;
    const std::string psql = "/usr/bin/psql";
    const std::string dir = "/tmp/tallyra-bench-pg-" + std::to_string(::getpid());
    char work[] = "/tmp/tallyra-bench-XXXXXX";
    if (!::mkdtemp(work)) return 1;
    const std::string data = std::string(work) + "/census.dat";
    const std::string small = std::string(work) + "/small.dat";
    const std::string csv = std::string(work) + "/rows.csv";
    const std::string Script = std::string(work) + "/census.slo";
    {
        std::FILE* f = std::fopen(Script.c_str(), "wb");
        std::fputs(ScriptText, f);
        std::fclose(f);
    }
    WriteData(data, records);
    WriteData(small, records / 10);
    std::printf("%ld records of %d bytes (%.0f MB), census script, 11 fields\n", records,
                RecordLength, double(records) * RecordLength / 1e6);
    std::fflush(stdout);
    if (!Run({Server, "start", dir, "--fresh"}).Ok) return 1;

    const std::string admin = "host=" + dir + " user=postgres dbname=postgres";
    const std::string db = "host=" + dir + " user=postgres dbname=bench";
    const auto psqlIn = [&](const std::string& statement) -> std::vector<std::string> {
        return {psql, "-X", "-q", "-v", "ON_ERROR_STOP=1", db, "-c", statement};
    };
    // A new database with the survey set up, before each publish.
    const std::string resetScript = std::string(work) + "/reset.sh";
    {
        std::FILE* f = std::fopen(resetScript.c_str(), "w");
        std::fprintf(f,
                     "#!/bin/sh\nset -e\n%s -X -q '%s' -c 'DROP DATABASE IF EXISTS bench' "
                     "-c 'CREATE DATABASE bench'\n%s db init '%s' --db '%s' >/dev/null\n",
                     psql.c_str(), admin.c_str(), tallyra.c_str(), Script.c_str(), db.c_str());
        std::fclose(f);
        ::chmod(resetScript.c_str(), 0755);
    }
    int status = 1;
    do {
        const TRun publish =
            Best({tallyra, "db", "publish", Script, data, "--station", "st01", "--db", db},
                 {resetScript});
        if (!publish.Ok) break;
        const TRun again =
            Best({tallyra, "db", "publish", Script, data, "--station", "st01", "--db", db});
        // The same rows as CSV, copied into a table of the same shape.
        if (!Run(psqlIn("\\copy census TO '" + csv + "' CSV")).Ok) break;
        const std::string copyTable =
            "DROP TABLE IF EXISTS census_copy; CREATE TABLE census_copy (LIKE census INCLUDING "
            "ALL)";
        const TRun copyIn =
            Best(psqlIn("\\copy census_copy FROM '" + csv + "' CSV"), psqlIn(copyTable));
        if (!copyIn.Ok) break;
        const std::string out = std::string(work) + "/out.dat";
        const TRun pull = Best({tallyra, "db", "pull", Script, out, "--force", "--db", db});
        const TRun copyOut =
            Best(psqlIn("\\copy (SELECT * FROM census ORDER BY _identifier, _station, _file, "
                        "_record) TO '" +
                        std::string(work) + "/out.csv' CSV"));
        const TRun copyRaw =
            Best(psqlIn("\\copy (SELECT _raw FROM census ORDER BY _identifier, "
                        "_station, _file, _record) TO '" +
                        std::string(work) + "/raw.csv' CSV"));
        if (!pull.Ok || !copyOut.Ok || !copyRaw.Ok) break;
        // A tenth of the records, for the memory.
        if (!Run({resetScript}).Ok) break;
        const TRun publishSmall =
            Run({tallyra, "db", "publish", Script, small, "--station", "st01", "--db", db});
        const TRun pullSmall = Run({tallyra, "db", "pull", Script, out, "--force", "--db", db});

        std::printf("\n%-44s %9s %10s %12s\n", "", "seconds", "ratio", "peak RSS");
        const auto line = [&](const char* what, const TRun& r, const TRun* base) {
            if (base)
                std::printf("%-44s %9.2f %9.2fx %9ld KB\n", what, r.Seconds,
                            r.Seconds / base->Seconds, r.PeakKb);
            else
                std::printf("%-44s %9.2f %10s %9ld KB\n", what, r.Seconds, "", r.PeakKb);
        };
        line("psql \\copy FROM CSV (same rows, same table)", copyIn, nullptr);
        line("tallyra db publish (new survey)", publish, &copyIn);
        line("tallyra db publish again (all unchanged)", again, &copyIn);
        line("psql \\copy TO CSV (whole rows, same order)", copyOut, nullptr);
        line("psql \\copy TO CSV (raw bytes only)", copyRaw, &copyOut);
        line("tallyra db pull", pull, &copyOut);
        std::printf(
            "\nmemory with a tenth of the records: publish %ld KB, pull %ld KB "
            "(1x: %ld KB, %ld KB)\n",
            publishSmall.PeakKb, pullSmall.PeakKb, publish.PeakKb, pull.PeakKb);
        std::printf("goals: publish <= 3x (%.2fx), pull <= 2x (%.2fx)\n",
                    publish.Seconds / copyIn.Seconds, pull.Seconds / copyOut.Seconds);
        status = 0;
    } while (false);
    Run({Server, "destroy", dir});
    std::filesystem::remove_all(work);
    return status;
}
