// SPDX-License-Identifier: GPL-3.0-or-later
// The collection of many stations' records in PostgreSQL: the one interface
// through which the rest of the system talks to the server. A survey's
// records table holds, per station, data file and record number, the typed
// values of the fields, the raw record bytes, the operator, when the record
// was keyed and published, and its checksum; a history table keeps every
// earlier version of a changed record. The local data file stays the primary
// copy: publishing is idempotent, and nothing here is ever needed for keying.
//
// Row-level security: a station's role may read, insert and update only the
// rows of the stations the table tallyra_stations assigns to it (directly or
// through a role it is a member of); a role named in tallyra_supervisors
// reads everything; nobody but the tables' owner deletes. The history is
// written by a trigger, so stations need (and have) no rights on it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pgsession.h"
#include "surveylayout.h"

namespace tallyra::core {

// The station's default name: the host name ("station" when it has none).
std::string DefaultStationName();

// The figures of one station or operator.
struct TCollectedGroup {
    std::string Name;  // station or operator name (UTF-8)
    int64_t Records = 0;
    int64_t FirstKeyed = 0;  // seconds since 1970-01-01 00:00 UTC
    int64_t LastKeyed = 0;
    // Records x 3600 / (LastKeyed - FirstKeyed); nullopt when no time passed.
    std::optional<double> PerHour() const;
};

// One row holding a record identifier that other rows hold too.
struct TCollectedRow {
    std::string Station, File;
    int32_t Record = 0;
};

// A record identifier held by more than one row: a questionnaire keyed twice
// (at two stations, in two files, or twice in one file).
struct TDuplicate {
    std::string Identifier;             // UTF-8, as stored
    std::vector<std::string> Stations;  // the distinct stations, sorted
    std::vector<TCollectedRow> Rows;    // by station, file, record
};

struct TCollectionStatus {
    int64_t Records = 0;
    TCollectedGroup Total;                   // Name empty
    std::vector<TCollectedGroup> Stations;   // by name
    std::vector<TCollectedGroup> Operators;  // by name
    std::vector<TDuplicate> Duplicates;      // by identifier
};

// What Pull wrote.
struct TPullSummary {
    int64_t Records = 0;
    int64_t DuplicateIdentifiers = 0;  // identifiers held by more than one row
};

// The roles `init` gives their rights: station roles with the stations each
// may write, and supervisor roles that read everything.
struct TGrantPlan {
    struct TStationRole {
        std::string Role;
        std::vector<std::string> Stations;
    };
    std::vector<TStationRole> StationRoles;
    std::vector<std::string> Supervisors;
    bool Empty() const { return StationRoles.empty() && Supervisors.empty(); }
};

class TCollection {
public:
    // Connects (see TPgSession) for the survey `layout` describes; the
    // layout is borrowed and must outlive the collection. Raises
    // ECollectError.
    TCollection(const std::string& conninfo, const TSurveyLayout& layout);
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    // Creates the catalog, the survey's tables, their index, history trigger
    // and row-level security, in one transaction; or checks that the
    // survey's existing tables fit the script. True when it created them.
    // Raises ECollectError Layout naming the first difference when the
    // survey was set up with another layout (or its table has other
    // columns), Refused for a database whose encoding is not UTF8.
    bool Init(const std::string& scriptName);
    // Checks that the survey is set up with this layout (before publish,
    // status and pull). Raises ECollectError Layout when it is not set up
    // or differs.
    void CheckSurvey();

    // The SQL that gives the plan's roles their rights on this survey (for a
    // person to read or run), and running it: roles that do not exist are
    // created (LOGIN, without a password). Raises ECollectError.
    std::string GrantsText(const TGrantPlan& plan);
    void Grant(const TGrantPlan& plan);

    // Figures of the rows this role may read. Raises ECollectError.
    TCollectionStatus Status();

    // Writes the rows (all stations, or `station`'s) as one data file at
    // `target`, in identifier order, then station, file and record; the file
    // appears only when complete (an existing one is replaced: the caller
    // asks first). `duplicate` hears of each identifier held by more than one
    // row, whose rows are all written. Raises ECollectError, and EGeneric
    // naming the row for a row whose bytes do not fit the layout or their
    // checksum, or for a failed write.
    TPullSummary Pull(const std::string& target, const std::optional<std::string>& station,
                      const std::function<void(const TDuplicate&)>& duplicate);

    // Rows of `station`'s data file `file` past record `count` (records the
    // server holds that the file no longer has).
    int64_t RowsBeyond(const std::string& station, const std::string& file, int64_t count);

    TPgSession& Session() { return Db; }
    const TSurveyLayout& Layout() const { return *Survey; }
    // The quoted, schema-less names of the survey's tables.
    std::string RecordsTable() const;
    std::string HistoryTable() const;

private:
    void CheckColumns();
    std::string StoredLayout();

    TPgSession Db;
    const TSurveyLayout* Survey;  // borrowed
};

}  // namespace tallyra::core
