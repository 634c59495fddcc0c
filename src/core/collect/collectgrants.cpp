// SPDX-License-Identifier: GPL-3.0-or-later
// The rights of station and supervisor roles on a survey: the statements as
// a person reads them, and the same statements run with their values as
// parameters.
#include <algorithm>

#include "collection.h"

namespace tallyra::core {

namespace {

// One statement of the plan: SQL with $n parameters, and the values.
struct TGrantStep {
    std::string Sql;
    std::vector<std::string> Values;
    bool CreatesRole = false;  // run only when the role (Values[0]) is missing
    std::string Role;
};

std::vector<TGrantStep> GrantSteps(TCollection& c, const TGrantPlan& plan) {
    TPgSession& db = c.Session();
    const TPgResult schema = db.Exec("SELECT current_schema()");
    const std::string usage = "GRANT USAGE ON SCHEMA " + db.Identifier(schema.Value(0, 0)) + " TO ";
    const std::string catalog =
        "GRANT SELECT ON tallyra_surveys, tallyra_stations, tallyra_supervisors TO ";
    std::vector<TGrantStep> steps;
    const auto role = [&](const std::string& name) {
        TGrantStep create;
        create.Sql = "CREATE ROLE " + db.Identifier(name) + " LOGIN";
        create.CreatesRole = true;
        create.Role = name;
        steps.push_back(create);
        steps.push_back({usage + db.Identifier(name), {}, false, {}});
        steps.push_back({catalog + db.Identifier(name), {}, false, {}});
    };
    for (const TGrantPlan::TStationRole& s : plan.StationRoles) {
        role(s.Role);
        steps.push_back(
            {"GRANT SELECT, INSERT, UPDATE ON " + c.RecordsTable() + " TO " + db.Identifier(s.Role),
             {},
             false,
             {}});
        for (const std::string& station : s.Stations)
            steps.push_back(
                {"INSERT INTO tallyra_stations (station, role) VALUES ($1, $2) "
                 "ON CONFLICT (station) DO UPDATE SET role = excluded.role",
                 {station, s.Role},
                 false,
                 {}});
    }
    for (const std::string& supervisor : plan.Supervisors) {
        role(supervisor);
        steps.push_back({"GRANT SELECT ON " + c.RecordsTable() + ", " + c.HistoryTable() + " TO " +
                             db.Identifier(supervisor),
                         {},
                         false,
                         {}});
        steps.push_back(
            {"INSERT INTO tallyra_supervisors (role) VALUES ($1) "
             "ON CONFLICT (role) DO NOTHING",
             {supervisor},
             false,
             {}});
    }
    return steps;
}

bool RoleExists(TPgSession& db, const std::string& role) {
    return db.Exec("SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = $1", {{role}}).Rows() > 0;
}

}  // namespace

std::string TCollection::GrantsText(const TGrantPlan& plan) {
    std::string text =
        "-- Rights on the survey " + Layout().Survey() +
        ": run as the tables' owner (creating roles needs CREATEROLE).\n"
        "-- Give each new role its password in psql with \\password ROLE; the station keeps it\n"
        "-- in its password file (~/.pgpass), never on a command line.\n";
    for (const TGrantStep& step : GrantSteps(*this, plan)) {
        if (step.CreatesRole && RoleExists(Db, step.Role)) {
            text += "-- role " + Db.Identifier(step.Role) + " exists already\n";
            continue;
        }
        // The values printed as literals, for a person to read and run.
        std::string sql;
        for (size_t i = 0; i < step.Sql.size(); ++i) {
            const char c = step.Sql[i];
            const size_t n =
                c == '$' && i + 1 < step.Sql.size() ? size_t(step.Sql[i + 1] - '1') : 9;
            if (n < step.Values.size()) {
                sql += Db.Literal(step.Values[n]);
                ++i;
            } else {
                sql += c;
            }
        }
        text += sql + ";\n";
    }
    return text;
}

void TCollection::Grant(const TGrantPlan& plan) {
    const std::vector<TGrantStep> steps = GrantSteps(*this, plan);
    TPgTransaction transaction(Db);
    for (const TGrantStep& step : steps) {
        if (step.CreatesRole && RoleExists(Db, step.Role)) continue;
        std::vector<TPgParam> params;
        for (const std::string& v : step.Values)
            params.push_back({v});
        Db.Exec(step.Sql, params);
    }
    transaction.Commit();
}

}  // namespace tallyra::core
