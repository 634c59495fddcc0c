// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of a survey's collected rows: per station and operator, in
// all, and every record identifier held by more than one row.
#include <algorithm>

#include "collection.h"

namespace tallyra::core {

namespace {

// Rows of (name, records, first keyed, last keyed).
std::vector<TCollectedGroup> Groups(TPgSession& db, const std::string& table,
                                    const std::string& column) {
    const TPgResult rows = db.Exec("SELECT " + column +
                                   ", count(*), floor(extract(epoch FROM min(_keyed)))::bigint, "
                                   "floor(extract(epoch FROM max(_keyed)))::bigint FROM " +
                                   table + " GROUP BY 1 ORDER BY 1");
    std::vector<TCollectedGroup> groups;
    for (int i = 0; i < rows.Rows(); ++i)
        groups.push_back({std::string(rows.Value(i, 0)), rows.Integer(i, 1), rows.Integer(i, 2),
                          rows.Integer(i, 3)});
    return groups;
}

}  // namespace

TCollectionStatus TCollection::Status() {
    CheckSurvey();
    const std::string table = RecordsTable();
    TCollectionStatus status;
    // One snapshot for every figure, so they add up.
    TPgTransaction transaction(Db);
    Db.Exec("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY");
    const TPgResult total = Db.Exec(
        "SELECT count(*), floor(extract(epoch FROM min(_keyed)))::bigint, "
        "floor(extract(epoch FROM max(_keyed)))::bigint FROM " +
        table);
    status.Records = total.Integer(0, 0);
    status.Total = {std::string(), status.Records, total.Integer(0, 1), total.Integer(0, 2)};
    status.Stations = Groups(Db, table, "_station");
    status.Operators = Groups(Db, table, "_operator");
    Db.ForEachRow("SELECT _identifier, _station, _file, _record FROM " + table +
                      " WHERE _identifier IN (SELECT _identifier FROM " + table +
                      " WHERE _identifier IS NOT NULL GROUP BY 1 HAVING count(*) > 1) "
                      "ORDER BY _identifier, _station, _file, _record",
                  {}, [&status](const TPgResult& row) {
                      const std::string_view id = row.Value(0, 0);
                      if (status.Duplicates.empty() || status.Duplicates.back().Identifier != id)
                          status.Duplicates.push_back({std::string(id), {}, {}});
                      TDuplicate& d = status.Duplicates.back();
                      d.Rows.push_back({std::string(row.Value(0, 1)), std::string(row.Value(0, 2)),
                                        int32_t(row.Integer(0, 3))});
                      if (d.Stations.empty() || d.Stations.back() != d.Rows.back().Station)
                          d.Stations.push_back(d.Rows.back().Station);
                  });
    transaction.Commit();
    return status;
}

}  // namespace tallyra::core
