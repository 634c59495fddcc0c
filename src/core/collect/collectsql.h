// SPDX-License-Identifier: GPL-3.0-or-later
// The SQL of a survey's tables, built from its layout: the statements that
// create them, the columns they must have, and the column lists the
// publisher and the pull use. Names come from the layout only and are
// always quoted identifiers.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "surveylayout.h"

namespace tallyra::core {

class TPgSession;

// The catalog, the station and supervisor tables and the history trigger's
// function: created when missing, shared by every survey of the schema.
std::vector<std::string> CatalogStatements();

// The statements that create the survey's records and history tables, the
// identifier index, the history trigger and the row-level security policies.
std::vector<std::string> SurveyStatements(const TPgSession& db, const TSurveyLayout& layout);

// The records table's columns in order, as (name, type) the way the server's
// format_type() names the types.
std::vector<std::pair<std::string, std::string>> RecordsColumns(const TSurveyLayout& layout);

// The server's type name of a field's column.
const char* ColumnSqlType(TColumnType type);

// The quoted field columns joined with ", ".
std::string FieldColumnList(const TPgSession& db, const TSurveyLayout& layout);

}  // namespace tallyra::core
