// SPDX-License-Identifier: GPL-3.0-or-later
#include "collectsql.h"

#include "pgsession.h"

namespace tallyra::core {

namespace {

// The stations the current role may write: those assigned to it or to a
// role it is a member of. An uncorrelated sub-select, so the server works it
// out once per statement, not once per row.
const char* const OwnStations =
    "_station = ANY (ARRAY(SELECT m.station FROM tallyra_stations m "
    "JOIN pg_catalog.pg_roles r ON r.rolname = m.role "
    "WHERE pg_catalog.pg_has_role(r.oid, 'MEMBER')))";

const char* const IsSupervisor =
    "EXISTS (SELECT 1 FROM tallyra_supervisors v "
    "JOIN pg_catalog.pg_roles r ON r.rolname = v.role "
    "WHERE pg_catalog.pg_has_role(r.oid, 'MEMBER'))";

}  // namespace

const char* ColumnSqlType(TColumnType type) {
    switch (type) {
        case TColumnType::Integer:
            return "integer";
        case TColumnType::BigInt:
            return "bigint";
        case TColumnType::Text:
            return "text";
    }
    return "text";
}

std::vector<std::string> CatalogStatements() {
    return {
        "CREATE TABLE IF NOT EXISTS tallyra_surveys ("
        "survey text PRIMARY KEY, layout text NOT NULL, script text NOT NULL, "
        "created timestamptz NOT NULL DEFAULT now(), "
        "created_by name NOT NULL DEFAULT session_user)",
        "CREATE TABLE IF NOT EXISTS tallyra_stations ("
        "station text PRIMARY KEY, role name NOT NULL)",
        "CREATE TABLE IF NOT EXISTS tallyra_supervisors (role name PRIMARY KEY)",
        // Runs with its owner's rights, so that stations write the history
        // without any right on it (and cannot forge it).
        "CREATE OR REPLACE FUNCTION tallyra_keep_history() RETURNS trigger "
        "LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $f$\n"
        "BEGIN\n"
        "  EXECUTE format('INSERT INTO %I.%I (_station, _file, _record, _operator, _keyed, "
        "_raw, _old_operator, _old_keyed, _old_raw) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)', "
        "TG_TABLE_SCHEMA, TG_TABLE_NAME || '_history') "
        "USING NEW._station, NEW._file, NEW._record, NEW._operator, NEW._keyed, NEW._raw, "
        "OLD._operator, OLD._keyed, OLD._raw;\n"
        "  RETURN NULL;\n"
        "END\n$f$",
    };
}

std::vector<std::pair<std::string, std::string>> RecordsColumns(const TSurveyLayout& layout) {
    std::vector<std::pair<std::string, std::string>> columns = {
        {"_station", "text"},
        {"_file", "text"},
        {"_record", "integer"},
        {"_operator", "text"},
        {"_keyed", "timestamp with time zone"},
        {"_published", "timestamp with time zone"},
        {"_identifier", "text"},
    };
    for (const TSurveyColumn& c : layout.Columns())
        columns.emplace_back(c.Name, ColumnSqlType(c.Type));
    columns.emplace_back("_checksum", "bytea");
    columns.emplace_back("_raw", "bytea");
    return columns;
}

std::string FieldColumnList(const TPgSession& db, const TSurveyLayout& layout) {
    std::string list;
    for (const TSurveyColumn& c : layout.Columns()) {
        if (!list.empty()) list += ", ";
        list += db.Identifier(c.Name);
    }
    return list;
}

std::vector<std::string> SurveyStatements(const TPgSession& db, const TSurveyLayout& layout) {
    const std::string& s = layout.Survey();
    const std::string records = db.Identifier(s);
    const std::string history = db.Identifier(s + "_history");
    std::string create = "CREATE TABLE " + records + " (";
    for (const auto& [name, type] : RecordsColumns(layout)) {
        create += db.Identifier(name) + " " + type;
        if (name == "_station" || name == "_file" || name == "_operator" || name == "_keyed" ||
            name == "_checksum" || name == "_raw")
            create += " NOT NULL";
        if (name == "_record") create += " NOT NULL CHECK (_record > 0)";
        if (name == "_published") create += " NOT NULL DEFAULT now()";
        // Byte order, the order of the data files, whatever the database's locale.
        if (name == "_station" || name == "_file" || name == "_operator" || name == "_identifier")
            create += " COLLATE \"C\"";
        create += ", ";
    }
    create += "PRIMARY KEY (_station, _file, _record))";
    return {
        create,
        "CREATE INDEX " + db.Identifier(s + "_ids") + " ON " + records +
            " (_identifier, _station, _file, _record)",
        "CREATE TABLE " + history +
            " (_station text NOT NULL, _file text NOT NULL, _record integer NOT NULL, "
            "_changed timestamptz NOT NULL DEFAULT now(), "
            "_role name NOT NULL DEFAULT session_user, "
            "_operator text NOT NULL, _keyed timestamptz NOT NULL, _raw bytea NOT NULL, "
            "_old_operator text NOT NULL, _old_keyed timestamptz NOT NULL, "
            "_old_raw bytea NOT NULL)",
        "CREATE INDEX " + db.Identifier(s + "_rows") + " ON " + history +
            " (_station, _file, _record, _changed)",
        "CREATE TRIGGER tallyra_history AFTER UPDATE ON " + records +
            " FOR EACH ROW WHEN (OLD._raw IS DISTINCT FROM NEW._raw) "
            "EXECUTE FUNCTION tallyra_keep_history()",
        "ALTER TABLE " + records + " ENABLE ROW LEVEL SECURITY",
        "CREATE POLICY tallyra_station ON " + records + " USING (" + OwnStations +
            ") WITH CHECK (" + OwnStations + ")",
        "CREATE POLICY tallyra_supervisor ON " + records + " FOR SELECT USING (" + IsSupervisor +
            ")",
        "ALTER TABLE " + history + " ENABLE ROW LEVEL SECURITY",
        "CREATE POLICY tallyra_supervisor ON " + history + " FOR SELECT USING (" + IsSupervisor +
            ")",
    };
}

}  // namespace tallyra::core
