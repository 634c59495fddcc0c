// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection.h"

#include <unistd.h>

#include "../shell/format.h"
#include "../shell/langtext.h"
#include "collectsql.h"

namespace tallyra::core {

namespace {

// Serialises the set-up of surveys (two inits at once would race on
// CREATE TABLE): a transaction-wide advisory lock of our own number.
const char* const InitLockKey = "7264417";

[[noreturn]] void RaiseNotSetUp(const std::string& survey) {
    throw ECollectError(
        TCollectFailure::Layout,
        FormatText(LangText("<EN>The survey \"%s\" is not set up in the database: run tallyra db "
                            "init with its script first.<PL>Badanie \"%s\" nie jest założone w "
                            "bazie danych: najpierw uruchom tallyra db init z jego skryptem."),
                   survey.c_str()));
}

[[noreturn]] void RaiseOtherLayout(const std::string& survey, const std::string& difference) {
    throw ECollectError(
        TCollectFailure::Layout,
        FormatText(LangText("<EN>The survey \"%s\" was set up in the database with another field "
                            "layout than this script's, and two layouts are never mixed.\r\n%s"
                            "\r\nA script whose fields changed starts a new version of the "
                            "survey: give it a new name with --survey (for example %s_v2) and "
                            "run tallyra db init.<PL>Badanie \"%s\" założono w bazie danych z "
                            "innym układem pól niż w tym skrypcie, a dwóch układów nigdy się nie "
                            "miesza.\r\n%s\r\nSkrypt o zmienionych polach rozpoczyna nową wersję "
                            "badania: nadaj jej nową nazwę opcją --survey (na przykład %s_v2) i "
                            "uruchom tallyra db init."),
                   survey.c_str(), difference.c_str(), survey.c_str()));
}

}  // namespace

std::string DefaultStationName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !host[0]) return "station";
    return host;
}

std::optional<double> TCollectedGroup::PerHour() const {
    if (LastKeyed <= FirstKeyed) return std::nullopt;
    return double(Records) * 3600.0 / double(LastKeyed - FirstKeyed);
}

TCollection::TCollection(const std::string& conninfo, const TSurveyLayout& layout)
    : Db(conninfo), Survey(&layout) {
    // Messages of the server in the user's sight are errors only.
    Db.Exec("SET client_min_messages = warning");
}

std::string TCollection::RecordsTable() const {
    return Db.Identifier(Survey->Survey());
}

std::string TCollection::HistoryTable() const {
    return Db.Identifier(Survey->Survey() + "_history");
}

std::string TCollection::StoredLayout() {
    const TPgResult catalog = Db.Exec("SELECT to_regclass('tallyra_surveys') IS NOT NULL");
    if (catalog.Value(0, 0) != "t") RaiseNotSetUp(Survey->Survey());
    const TPgResult row =
        Db.Exec("SELECT layout FROM tallyra_surveys WHERE survey = $1", {{Survey->Survey()}});
    if (row.Rows() == 0) RaiseNotSetUp(Survey->Survey());
    return std::string(row.Value(0, 0));
}

void TCollection::CheckColumns() {
    const TPgResult columns = Db.Exec(
        "SELECT a.attname, format_type(a.atttypid, a.atttypmod) FROM pg_catalog.pg_attribute a "
        "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
        "ORDER BY a.attnum",
        {{RecordsTable()}});
    const auto expected = RecordsColumns(*Survey);
    std::string found, wanted;
    for (int i = 0; i < columns.Rows(); ++i)
        found += std::string(columns.Value(i, 0)) + " " + std::string(columns.Value(i, 1)) + "\n";
    for (const auto& [name, type] : expected)
        wanted += name + " " + type + "\n";
    if (found == wanted) return;
    if (columns.Rows() == 0) RaiseNotSetUp(Survey->Survey());
    RaiseOtherLayout(Survey->Survey(),
                     FormatText(LangText("<EN>The table %s has other columns than this script "
                                         "gives.<PL>Tabela %s ma inne kolumny niż wynikają ze "
                                         "skryptu."),
                                RecordsTable().c_str()));
}

void TCollection::CheckSurvey() {
    const std::string stored = StoredLayout();
    if (stored != Survey->Text())
        RaiseOtherLayout(Survey->Survey(), LayoutDifference(stored, Survey->Text()));
    CheckColumns();
}

bool TCollection::Init(const std::string& scriptName) {
    const TPgResult encoding = Db.Exec("SHOW server_encoding");
    if (encoding.Value(0, 0) != "UTF8")
        throw ECollectError(
            TCollectFailure::Refused,
            FormatText(LangText("<EN>The database's encoding is %s: the collection needs a "
                                "database created with ENCODING 'UTF8'.<PL>Kodowanie bazy danych "
                                "to %s: zbieranie danych wymaga bazy utworzonej z ENCODING "
                                "'UTF8'."),
                       std::string(encoding.Value(0, 0)).c_str()));
    TPgTransaction transaction(Db);
    Db.Exec(std::string("SELECT pg_advisory_xact_lock(") + InitLockKey + ")");
    const bool haveFunction =
        Db.Exec("SELECT to_regprocedure('tallyra_keep_history()') IS NOT NULL").Value(0, 0) == "t";
    for (const std::string& sql : CatalogStatements())
        if (!haveFunction || sql.rfind("CREATE OR REPLACE FUNCTION", 0) != 0) Db.Exec(sql);
    const TPgResult row =
        Db.Exec("SELECT layout FROM tallyra_surveys WHERE survey = $1", {{Survey->Survey()}});
    bool created = false;
    if (row.Rows() > 0) {
        const std::string stored(row.Value(0, 0));
        if (stored != Survey->Text())
            RaiseOtherLayout(Survey->Survey(), LayoutDifference(stored, Survey->Text()));
        CheckColumns();
    } else {
        const TPgResult taken = Db.Exec("SELECT to_regclass($1) IS NOT NULL", {{RecordsTable()}});
        if (taken.Value(0, 0) == "t")
            RaiseOtherLayout(Survey->Survey(),
                             FormatText(LangText("<EN>A table %s exists already and is no "
                                                 "survey's.<PL>Tabela %s już istnieje i nie "
                                                 "należy do żadnego badania."),
                                        RecordsTable().c_str()));
        for (const std::string& sql : SurveyStatements(Db, *Survey))
            Db.Exec(sql);
        Db.Exec("INSERT INTO tallyra_surveys (survey, layout, script) VALUES ($1, $2, $3)",
                {{Survey->Survey()}, {Survey->Text()}, {scriptName}});
        created = true;
    }
    transaction.Commit();
    return created;
}

int64_t TCollection::RowsBeyond(const std::string& station, const std::string& file,
                                int64_t count) {
    const std::string n = std::to_string(count);
    return Db
        .Exec("SELECT count(*) FROM " + RecordsTable() +
                  " WHERE _station = $1 AND _file = $2 AND _record > $3",
              {{station}, {file}, {n}})
        .Integer(0, 0);
}

}  // namespace tallyra::core
