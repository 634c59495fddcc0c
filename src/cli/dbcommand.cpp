// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbcommand.h"

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "cliargs.h"
#include "cliutil.h"
#include "collect/collection.h"
#include "collect/publisher.h"
#include "datautil.h"
#include "export/atomicoutput.h"
#include "jsonwriter.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "texttable.h"
#include "verify/operatorlog.h"

namespace tallyra::cli {

using namespace tallyra::core;

const char* const DbHelp =
    "Usage: tallyra db COMMAND [OPTIONS] ARGS...\n"
    "\n"
    "Collects the records of many stations in a PostgreSQL database. The local\n"
    "data file stays the primary copy: publishing can be repeated any time and\n"
    "sends only what the server does not hold yet.\n"
    "\n"
    "Commands:\n"
    "  init SCRIPT             create the survey's tables, or check that they fit\n"
    "  publish SCRIPT DATA     send the complete records of a data file\n"
    "  status SCRIPT           records per station and operator, and identifiers\n"
    "                          published more than once\n"
    "  pull SCRIPT OUT.dat     write the collected records as one data file\n"
    "\n"
    "Options of every command:\n"
    "  --db CONNINFO   a libpq connection string or URI (default: libpq's\n"
    "                  environment, PGHOST, PGDATABASE, PGSERVICE ...); never a\n"
    "                  password: keep it in ~/.pgpass, PGPASSFILE or a service file\n"
    "  --survey NAME   the survey's name in the database (default: the script's\n"
    "                  file name in lower case); a script whose field layout\n"
    "                  changed is a new version of the survey and needs a new name\n"
    "  --lang en|pl    language of the messages (default from LANG/LC_ALL)\n"
    "  -h, --help      show the help ('tallyra db COMMAND --help' for a command)\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed (the reason is printed), 2 usage error.\n";

namespace {

const char* const InitHelp =
    "Usage: tallyra db init SCRIPT [OPTIONS]\n"
    "\n"
    "Creates the survey's tables (records, history, the survey catalog) with\n"
    "row-level security, or checks that existing ones fit SCRIPT's field layout.\n"
    "With --print-grants or --grant it also gives roles their rights: a station\n"
    "role may read, insert and update only its own stations' rows, a supervisor\n"
    "role reads everything.\n"
    "\n"
    "Options:\n"
    "  --db CONNINFO                   the database (see 'tallyra db --help')\n"
    "  --survey NAME                   the survey's name (default from SCRIPT)\n"
    "  --station-role ROLE=STATION,... a station role and the stations it writes\n"
    "                                  (repeatable)\n"
    "  --supervisor ROLE               a role that reads everything (repeatable)\n"
    "  --print-grants                  print the SQL that gives these rights\n"
    "  --grant                         run it (roles that do not exist are created\n"
    "                                  without a password)\n"
    "  --lang en|pl                    language of the messages\n"
    "  -h, --help                      show this help\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 usage error.\n";

const char* const PublishHelp =
    "Usage: tallyra db publish SCRIPT DATA [OPTIONS]\n"
    "\n"
    "Sends the complete records of DATA (never an incomplete last one) to the\n"
    "survey's table, reading DATA under the reader lock. A record the server\n"
    "holds unchanged is skipped, a new one added, a changed one (update mode)\n"
    "replaces its row and its earlier version goes to the history. Records go in\n"
    "batches, one transaction each: when the connection fails, publish again.\n"
    "\n"
    "Options:\n"
    "  --db CONNINFO     the database (see 'tallyra db --help')\n"
    "  --survey NAME     the survey's name (default from SCRIPT)\n"
    "  --station NAME    the station (default: the host name)\n"
    "  --operator NAME   the operator (default: TALLYRA_OPERATOR or the login name)\n"
    "  --lang en|pl      language of the messages\n"
    "  -h, --help        show this help\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 usage error.\n";

const char* const StatusHelp =
    "Usage: tallyra db status SCRIPT [OPTIONS]\n"
    "\n"
    "Prints the survey's records per station and per operator (records, first\n"
    "and last keyed, records per hour), the total, and every record identifier\n"
    "held by more than one row: a questionnaire keyed twice. Times are UTC.\n"
    "\n"
    "Options:\n"
    "  --db CONNINFO   the database (see 'tallyra db --help')\n"
    "  --survey NAME   the survey's name (default from SCRIPT)\n"
    "  --json          print one JSON object\n"
    "  --lang en|pl    language of the messages\n"
    "  -h, --help      show this help\n"
    "\n"
    "Exit status: 0 done, 1 refused or failed, 2 usage error.\n";

const char* const PullHelp =
    "Usage: tallyra db pull SCRIPT OUT.dat [OPTIONS]\n"
    "\n"
    "Writes the collected records (all stations, or one) as one data file of\n"
    "SCRIPT, in record identifier order, then station, file and record.\n"
    "Identifiers held by more than one row are written as they are and reported\n"
    "on standard error. OUT appears only when it is complete.\n"
    "\n"
    "Options:\n"
    "  --db CONNINFO    the database (see 'tallyra db --help')\n"
    "  --survey NAME    the survey's name (default from SCRIPT)\n"
    "  --station NAME   only this station's records\n"
    "  --force          replace OUT when it exists already\n"
    "  --lang en|pl     language of the messages\n"
    "  -h, --help       show this help\n"
    "\n"
    "Exit status: 0 written, 1 refused or failed, 2 usage error.\n";

// What every sub-command shares: the database, the survey, the script.
struct TDbOptions {
    std::optional<std::string> Db;
    std::optional<std::string> Survey;
    std::string Prefix;  // "tallyra db publish"
    std::unique_ptr<TDataScript> Script;
    std::unique_ptr<TSurveyLayout> Layout;
    std::unique_ptr<TCollection> Collection;
};

// Reads a sub-command's line: its own options in `table` and the shared
// ones, then `count` positional arguments (`what` is the usage error for
// another number), checking the shared options. An exit status when the
// command ends here.
std::optional<int> ReadDbCommandLine(const TCliCommand& command, std::vector<TCliOption> table,
                                     TDbOptions& o, const std::vector<std::string>& args,
                                     size_t count, const char* what,
                                     std::vector<std::string>& files, std::ostream& out,
                                     std::ostream& err) {
    table.push_back(TextOption("--db", o.Db));
    table.push_back(TextOption("--survey", o.Survey));
    table.push_back(LanguageOption());
    if (const auto exit = ReadCommandLine(command, table, args, files, out, err)) return *exit;
    if (files.size() != count) return UsageError(command, what, err);
    std::string problem;
    if (o.Db) problem = ConnInfoProblem(*o.Db);
    if (problem.empty() && o.Survey) problem = SurveyNameProblem(*o.Survey);
    if (!problem.empty()) return UsageError(command, ConsoleText(problem), err);
    return std::nullopt;
}

// Reads the script, builds its layout and connects; prints the reason and
// returns false on failure.
bool Open(TDbOptions& o, const std::string& script, std::ostream& err) {
    o.Script = LoadDataScript(script, err);
    if (!o.Script) return false;
    try {
        o.Layout = std::make_unique<TSurveyLayout>(
            *o.Script->Dictionary, o.Survey ? *o.Survey : SurveyNameFromScript(script));
        o.Collection = std::make_unique<TCollection>(o.Db.value_or(""), *o.Layout);
    } catch (const ETallyraError& e) {
        err << o.Prefix << ": " << ConsoleText(e.Text()) << "\n";
        return false;
    }
    return true;
}

int Failed(const TDbOptions& o, const ETallyraError& e, std::ostream& err) {
    err << o.Prefix << ": " << ConsoleText(e.Text()) << "\n";
    return ExitFound;
}

std::string UtcText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    char buffer[32];
    if (gmtime_r(&t, &tm) == nullptr ||
        std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm) == 0)
        return "?";
    return buffer;
}

// ROLE=STATION,STATION...
bool ParseStationRole(const std::string& text, TGrantPlan::TStationRole& role) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 >= text.size()) return false;
    role.Role = text.substr(0, eq);
    size_t start = eq + 1;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        if (end == start) return false;
        role.Stations.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

int RunInit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TDbOptions o;
    o.Prefix = "tallyra db init";
    TGrantPlan plan;
    bool print = false, grant = false;
    const TCliCommand command{"db init", InitHelp};
    std::vector<TCliOption> table = {
        ValueOption("--station-role",
                    [&plan](const std::string& value) {
                        TGrantPlan::TStationRole role;
                        if (!ParseStationRole(value, role))
                            return std::string("--station-role takes ROLE=STATION[,STATION...]");
                        plan.StationRoles.push_back(role);
                        return std::string();
                    }),
        ValueOption("--supervisor",
                    [&plan](const std::string& value) {
                        if (value.empty()) return std::string("--supervisor takes a role");
                        plan.Supervisors.push_back(value);
                        return std::string();
                    }),
        FlagOption("--print-grants", print),
        FlagOption("--grant", grant),
    };
    std::vector<std::string> files;
    if (const auto exit =
            ReadDbCommandLine(command, table, o, args, 1, "give one script", files, out, err))
        return *exit;
    if ((print || grant) && plan.Empty())
        return UsageError(command, "name the roles with --station-role or --supervisor", err);
    if (!plan.Empty() && !print && !grant)
        return UsageError(command, "say --print-grants or --grant for the roles", err);
    if (!Open(o, files[0], err)) return ExitFound;
    try {
        const bool created =
            o.Collection->Init(std::filesystem::path(files[0]).filename().string());
        const std::string& survey = o.Layout->Survey();
        out << ConsoleText(FormatText(
                   created ? LangText("<EN>Survey \"%s\": tables %s and %s created (%d fields).<PL>"
                                      "Badanie \"%s\": utworzono tabele %s i %s (pól: %d).")
                           : LangText("<EN>Survey \"%s\": tables %s and %s fit the script (%d "
                                      "fields).<PL>Badanie \"%s\": tabele %s i %s pasują do "
                                      "skryptu (pól: %d)."),
                   survey.c_str(), o.Collection->RecordsTable().c_str(),
                   o.Collection->HistoryTable().c_str(), int(o.Layout->Columns().size())))
            << "\n";
        if (print) out << o.Collection->GrantsText(plan);
        if (grant) {
            o.Collection->Grant(plan);
            out << ConsoleText(LangText("<EN>The rights were granted.<PL>Nadano uprawnienia."))
                << "\n";
        }
    } catch (const ETallyraError& e) {
        return Failed(o, e, err);
    }
    return ExitOk;
}

int RunPublish(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TDbOptions o;
    o.Prefix = "tallyra db publish";
    std::optional<std::string> station, operatorName;
    const TCliCommand command{"db publish", PublishHelp};
    std::vector<TCliOption> table = {
        TextOption("--station", station),
        TextOption("--operator", operatorName),
    };
    std::vector<std::string> files;
    if (const auto exit = ReadDbCommandLine(command, table, o, args, 2,
                                            "give a script and a data file", files, out, err))
        return *exit;
    if ((station && station->empty()) || (operatorName && operatorName->empty()))
        return UsageError(command, "--station and --operator take a name", err);
    if (!Open(o, files[0], err)) return ExitFound;
    TPublishSource source;
    source.Station = station ? *station : DefaultStationName();
    source.Operator = operatorName ? *operatorName : OperatorNameFromEnvironment();
    source.File = std::filesystem::path(files[1]).filename().string();
    try {
        o.Collection->CheckSurvey();
        const TFilePublication p = PublishDataFile(*o.Collection, files[1], source);
        out << ConsoleText(FormatText(
                   LangText("<EN>Survey \"%s\", station \"%s\", file \"%s\": %lld records, %lld "
                            "new, %lld changed (earlier versions kept in the history), %lld "
                            "unchanged.<PL>Badanie \"%s\", stanowisko \"%s\", plik \"%s\": "
                            "rekordów %lld, nowych %lld, zmienionych %lld (poprzednie wersje "
                            "zachowano w historii), bez zmian %lld."),
                   o.Layout->Survey().c_str(), source.Station.c_str(), source.File.c_str(),
                   static_cast<long long>(p.Records), static_cast<long long>(p.Counts.Added),
                   static_cast<long long>(p.Counts.Changed),
                   static_cast<long long>(p.Counts.Unchanged)))
            << "\n";
        if (p.RowsBeyond > 0)
            err << o.Prefix << ": "
                << ConsoleText(FormatText(
                       LangText("<EN>The database holds %lld more records of this file beyond "
                                "its last record (%lld): the file is shorter than when it was "
                                "published.<PL>Baza danych zawiera jeszcze %lld rekordów tego "
                                "pliku za jego ostatnim rekordem (%lld): plik jest krótszy niż "
                                "wtedy, gdy go opublikowano."),
                       static_cast<long long>(p.RowsBeyond), static_cast<long long>(p.Records)))
                << "\n";
    } catch (const ETallyraError& e) {
        return Failed(o, e, err);
    }
    return ExitOk;
}

void PrintStatusJson(const TCollectionStatus& s, const std::string& survey, std::ostream& out) {
    TJsonWriter json;
    const auto figures = [&json](const TCollectedGroup& g) {
        json.Key("records");
        json.Number(g.Records);
        json.Key("first_keyed");
        g.Records > 0 ? json.String(UtcText(g.FirstKeyed)) : json.Null();
        json.Key("last_keyed");
        g.Records > 0 ? json.String(UtcText(g.LastKeyed)) : json.Null();
        json.Key("records_per_hour");
        if (const auto rate = g.PerHour())
            json.Double(*rate);
        else
            json.Null();
    };
    const auto groups = [&](const char* key, const char* name,
                            const std::vector<TCollectedGroup>& list) {
        json.Key(key);
        json.BeginArray();
        for (const TCollectedGroup& g : list) {
            json.BeginObject();
            json.Key(name);
            json.String(g.Name);
            figures(g);
            json.EndObject();
        }
        json.EndArray();
    };
    json.BeginObject();
    json.Key("survey");
    json.String(survey);
    figures(s.Total);
    groups("stations", "station", s.Stations);
    groups("operators", "operator", s.Operators);
    json.Key("duplicates");
    json.BeginArray();
    for (const TDuplicate& d : s.Duplicates) {
        json.BeginObject();
        json.Key("identifier");
        json.String(d.Identifier);
        json.Key("stations");
        json.BeginArray();
        for (const std::string& station : d.Stations)
            json.String(station);
        json.EndArray();
        json.Key("rows");
        json.BeginArray();
        for (const TCollectedRow& r : d.Rows) {
            json.BeginObject();
            json.Key("station");
            json.String(r.Station);
            json.Key("file");
            json.String(r.File);
            json.Key("record");
            json.Number(r.Record);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    out << json.Text() << "\n";
}

std::string RowsText(const TDuplicate& d) {
    std::string text;
    for (const TCollectedRow& r : d.Rows) {
        if (!text.empty()) text += ", ";
        text += FormatText(LangText("<EN>%s %s record %d<PL>%s %s rekord %d"), r.Station.c_str(),
                           r.File.c_str(), int(r.Record));
    }
    return text;
}

void PrintStatusText(const TCollectionStatus& s, const std::string& survey, std::ostream& out) {
    out << ConsoleText(FormatText(LangText("<EN>Survey \"%s\": %lld records.<PL>Badanie \"%s\": "
                                           "rekordów %lld."),
                                  survey.c_str(), static_cast<long long>(s.Records)))
        << "\n";
    if (s.Records == 0) return;
    const auto row = [](const std::string& name, const TCollectedGroup& g) {
        const auto rate = g.PerHour();
        return std::vector<std::string>{name, std::to_string(g.Records), UtcText(g.FirstKeyed),
                                        UtcText(g.LastKeyed),
                                        rate ? Format("%.0f", *rate) : std::string("-")};
    };
    const auto print = [&](const std::string& heading, const std::vector<TCollectedGroup>& list) {
        TTextTable t;
        t.Add({heading, LangText("<EN>records<PL>rekordy"),
               LangText("<EN>first keyed<PL>pierwszy wprowadzony"),
               LangText("<EN>last keyed<PL>ostatni wprowadzony"),
               LangText("<EN>per hour<PL>na godzinę")});
        for (const TCollectedGroup& g : list)
            t.Add(row(g.Name, g));
        t.Add(row(LangText("<EN>(total)<PL>(razem)"), s.Total));
        out << "\n" << t.Text();
    };
    print(LangText("<EN>station<PL>stanowisko"), s.Stations);
    print(LangText("<EN>operator<PL>operator"), s.Operators);
    out << "\n";
    if (s.Duplicates.empty()) {
        out << ConsoleText(LangText("<EN>No record identifier is held by more than one row."
                                    "<PL>Żaden identyfikator rekordu nie występuje w więcej niż "
                                    "jednym wierszu."))
            << "\n";
        return;
    }
    out << ConsoleText(FormatText(LangText("<EN>Record identifiers held by more than one row (a "
                                           "questionnaire keyed twice): %d<PL>Identyfikatory "
                                           "rekordów występujące w więcej niż jednym wierszu "
                                           "(ankieta wprowadzona dwukrotnie): %d"),
                                  int(s.Duplicates.size())))
        << "\n";
    for (const TDuplicate& d : s.Duplicates)
        out << "  " << d.Identifier << ": " << RowsText(d) << "\n";
}

int RunStatus(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TDbOptions o;
    o.Prefix = "tallyra db status";
    bool json = false;
    const TCliCommand command{"db status", StatusHelp};
    std::vector<TCliOption> table = {FlagOption("--json", json)};
    std::vector<std::string> files;
    if (const auto exit =
            ReadDbCommandLine(command, table, o, args, 1, "give one script", files, out, err))
        return *exit;
    if (!Open(o, files[0], err)) return ExitFound;
    try {
        const TCollectionStatus s = o.Collection->Status();
        if (json)
            PrintStatusJson(s, o.Layout->Survey(), out);
        else
            PrintStatusText(s, o.Layout->Survey(), out);
    } catch (const ETallyraError& e) {
        return Failed(o, e, err);
    }
    return ExitOk;
}

int RunPull(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TDbOptions o;
    o.Prefix = "tallyra db pull";
    std::optional<std::string> station;
    bool force = false;
    const TCliCommand command{"db pull", PullHelp};
    std::vector<TCliOption> table = {TextOption("--station", station),
                                     FlagOption("--force", force)};
    std::vector<std::string> files;
    if (const auto exit = ReadDbCommandLine(command, table, o, args, 2,
                                            "give a script and the output file", files, out, err))
        return *exit;
    const std::string& target = files[1];
    try {
        RefuseInputAsOutput(target, {files[0]});
    } catch (const ETallyraError& e) {
        return Failed(o, e, err);
    }
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !force) {
        err << o.Prefix << ": " << target << " exists already (--force replaces it)\n";
        return ExitFound;
    }
    if (!Open(o, files[0], err)) return ExitFound;
    try {
        const TPullSummary summary = o.Collection->Pull(target, station, [&](const TDuplicate& d) {
            err << o.Prefix << ": "
                << ConsoleText(FormatText(LangText("<EN>record identifier %s is held by %d "
                                                   "rows: %s<PL>identyfikator rekordu %s "
                                                   "występuje w %d wierszach: %s"),
                                          d.Identifier.c_str(), int(d.Rows.size()),
                                          RowsText(d).c_str()))
                << "\n";
        });
        if (summary.DuplicateIdentifiers > 0)
            err << o.Prefix << ": "
                << ConsoleText(FormatText(
                       LangText("<EN>%lld record identifiers are held by more than one row; all "
                                "their records were written.<PL>Identyfikatorów rekordów "
                                "występujących w więcej niż jednym wierszu: %lld; zapisano "
                                "wszystkie ich rekordy."),
                       static_cast<long long>(summary.DuplicateIdentifiers)))
                << "\n";
        out << ConsoleText(FormatText(LangText("<EN>%lld records written to %s.<PL>Zapisano "
                                               "rekordów: %lld, do pliku %s."),
                                      static_cast<long long>(summary.Records), target.c_str()))
            << "\n";
    } catch (const ETallyraError& e) {
        return Failed(o, e, err);
    }
    return ExitOk;
}

}  // namespace

int RunDb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << DbHelp;
        return ExitUsage;
    }
    const std::string& sub = args.front();
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (sub == "-h" || sub == "--help") {
        out << DbHelp;
        return ExitOk;
    }
    if (sub == "init") return RunInit(rest, out, err);
    if (sub == "publish") return RunPublish(rest, out, err);
    if (sub == "status") return RunStatus(rest, out, err);
    if (sub == "pull") return RunPull(rest, out, err);
    err << "tallyra db: unknown command '" << sub << "'\nTry 'tallyra db --help'.\n";
    return ExitUsage;
}

}  // namespace tallyra::cli
