// SPDX-License-Identifier: GPL-3.0-or-later
#include "pgsession.h"

#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>

#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// libpq's messages end in a line break and may span lines; one line each.
std::string Detail(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

std::string PlaceOf(PGconn* conn) {
    const char* host = PQhost(conn);
    const char* port = PQport(conn);
    const std::string p = port && *port ? port : "5432";
    const std::string socket = LangText("<EN>socket<PL>gniazdo") + " ";
    if (!host || !*host) return socket + "/var/run/postgresql/.s.PGSQL." + p;
    if (host[0] == '/' || host[0] == '@') return socket + host + "/.s.PGSQL." + p;
    return LangText("<EN>host<PL>host") + " " + host + " " + LangText("<EN>port<PL>port") + " " + p;
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TPgResult& TPgResult::operator=(TPgResult&& other) noexcept {
    if (this != &other) {
        if (R) PQclear(R);
        R = other.R;
        other.R = nullptr;
    }
    return *this;
}

TPgResult::~TPgResult() {
    if (R) PQclear(R);
}

int TPgResult::Rows() const {
    return R ? PQntuples(R) : 0;
}

bool TPgResult::IsNull(int row, int column) const {
    return PQgetisnull(R, row, column) != 0;
}

std::string_view TPgResult::Value(int row, int column) const {
    return std::string_view(PQgetvalue(R, row, column), size_t(PQgetlength(R, row, column)));
}

int64_t TPgResult::Integer(int row, int column) const {
    return IsNull(row, column) ? 0 : std::strtoll(PQgetvalue(R, row, column), nullptr, 10);
}

TPgSession::TPgSession(const std::string& conninfo) {
    // Our defaults first, so that the user's string (expanded in place of
    // dbname) overrides them; the client encoding is ours to choose.
    std::vector<const char*> keys, values;
    if (!std::getenv("PGCONNECT_TIMEOUT")) {
        keys.push_back("connect_timeout");
        values.push_back("20");
    }
    if (!conninfo.empty()) {
        keys.push_back("dbname");
        values.push_back(conninfo.c_str());
    }
    keys.push_back("fallback_application_name");
    values.push_back("tallyra");
    keys.push_back("client_encoding");
    values.push_back("UTF8");
    keys.push_back(nullptr);
    values.push_back(nullptr);
    Conn = PQconnectdbParams(keys.data(), values.data(), 1);
    if (!Conn) throw std::bad_alloc();
    Place = PlaceOf(Conn);
    if (PQstatus(Conn) == CONNECTION_OK) return;

    const std::string detail = Detail(PQerrorMessage(Conn));
    const char* user = PQuser(Conn);
    const std::string role = user ? user : "";
    const bool needsPassword = PQconnectionNeedsPassword(Conn) != 0;
    const bool refused = needsPassword || Contains(detail, "authentication failed") ||
                         Contains(detail, "no pg_hba.conf entry") ||
                         (PQconnectionUsedPassword(Conn) && Contains(detail, "password"));
    PQfinish(Conn);
    Conn = nullptr;
    if (needsPassword)
        throw ECollectError(
            TCollectFailure::Authentication,
            FormatText(LangText("<EN>The database server (%s) asks for the password of role "
                                "\"%s\" and none was found. Keep it in the password file "
                                "(~/.pgpass or PGPASSFILE) or a service file, never on the "
                                "command line.\r\n%s<PL>Serwer bazy danych (%s) wymaga hasła "
                                "roli \"%s\", a żadnego nie znaleziono. Hasło należy trzymać w "
                                "pliku haseł (~/.pgpass lub PGPASSFILE) albo w pliku usług, "
                                "nigdy w wierszu poleceń.\r\n%s"),
                       Place.c_str(), role.c_str(), detail.c_str()));
    if (refused)
        throw ECollectError(
            TCollectFailure::Authentication,
            FormatText(LangText("<EN>The database server (%s) refused the login of role \"%s\" "
                                "(authentication failed).\r\n%s<PL>Serwer bazy danych (%s) "
                                "odmówił zalogowania roli \"%s\" (uwierzytelnienie nie "
                                "powiodło się).\r\n%s"),
                       Place.c_str(), role.c_str(), detail.c_str()));
    throw ECollectError(TCollectFailure::Unreachable,
                        FormatText(LangText("<EN>Cannot connect to the database server (%s)."
                                            "\r\n%s<PL>Nie można połączyć się z serwerem bazy "
                                            "danych (%s).\r\n%s"),
                                   Place.c_str(), detail.c_str()));
}

TPgSession::~TPgSession() {
    if (Conn) PQfinish(Conn);
}

void TPgSession::Fail(PGresult* result) const {
    const std::string detail = Detail(result ? PQresultErrorMessage(result) : PQerrorMessage(Conn));
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string sqlState = state ? state : "";
    // An error libpq made up itself (no SQLSTATE) is about the connection.
    const bool clientSide = result && !state;
    if (result) PQclear(result);
    // A connection that broke, a server shutting down (57P01-57P03) or a
    // connection failure (08...): the work can be done again later.
    const bool lost = PQstatus(Conn) == CONNECTION_BAD || sqlState.rfind("57P0", 0) == 0 ||
                      sqlState.rfind("08", 0) == 0 || clientSide;
    if (lost)
        throw ECollectError(
            TCollectFailure::Lost,
            FormatText(LangText("<EN>The connection to the database server (%s) was lost.\r\n%s"
                                "<PL>Połączenie z serwerem bazy danych (%s) zostało przerwane."
                                "\r\n%s"),
                       Place.c_str(), detail.c_str()),
            sqlState);
    // 42501: insufficient privilege, row-level security among it.
    if (sqlState == "42501")
        throw ECollectError(
            TCollectFailure::Permission,
            FormatText(LangText("<EN>The database refused role \"%s\" the right to do this."
                                "\r\n%s<PL>Baza danych odmówiła roli \"%s\" prawa do tej "
                                "operacji.\r\n%s"),
                       User().c_str(), detail.c_str()),
            sqlState);
    throw ECollectError(TCollectFailure::Refused,
                        FormatText(LangText("<EN>The database server refused the request.\r\n%s"
                                            "<PL>Serwer bazy danych odrzucił żądanie.\r\n%s"),
                                   detail.c_str()),
                        sqlState);
}

TPgResult TPgSession::Check(PGresult* result, int expected) const {
    if (!result || PQresultStatus(result) != expected) Fail(result);
    return TPgResult(result);
}

TPgResult TPgSession::Exec(const std::string& sql) {
    PGresult* r = PQexec(Conn, sql.c_str());
    if (r && PQresultStatus(r) == PGRES_COMMAND_OK) return TPgResult(r);
    return Check(r, PGRES_TUPLES_OK);
}

TPgResult TPgSession::Exec(const std::string& sql, const std::vector<TPgParam>& params,
                           bool binaryResult) {
    std::vector<const char*> values(params.size());
    std::vector<int> lengths(params.size()), formats(params.size());
    std::vector<std::string> texts(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
        const TPgParam& p = params[i];
        if (p.Null) continue;
        if (p.Binary) {
            values[i] = p.Value.data() ? p.Value.data() : "";
        } else {
            // Text parameters end at a NUL: keep a terminated copy.
            texts[i] = std::string(p.Value);
            values[i] = texts[i].c_str();
        }
        lengths[i] = int(p.Value.size());
        formats[i] = p.Binary ? 1 : 0;
    }
    PGresult* r = PQexecParams(Conn, sql.c_str(), int(params.size()), nullptr, values.data(),
                               lengths.data(), formats.data(), binaryResult ? 1 : 0);
    if (r && PQresultStatus(r) == PGRES_COMMAND_OK) return TPgResult(r);
    return Check(r, PGRES_TUPLES_OK);
}

void TPgSession::ForEachRow(const std::string& sql, const std::vector<TPgParam>& params,
                            const std::function<void(const TPgResult& row)>& row) {
    std::vector<std::string> texts;
    std::vector<const char*> values;
    for (const TPgParam& p : params)
        texts.emplace_back(p.Value);
    for (size_t i = 0; i < params.size(); ++i)
        values.push_back(params[i].Null ? nullptr : texts[i].c_str());
    if (!PQsendQueryParams(Conn, sql.c_str(), int(params.size()), nullptr, values.data(), nullptr,
                           nullptr, 0) ||
        !PQsetSingleRowMode(Conn))
        Fail(nullptr);
    while (PGresult* r = PQgetResult(Conn)) {
        TPgResult result(r);
        if (PQresultStatus(r) != PGRES_SINGLE_TUPLE) return EndStatement(std::move(result));
        row(result);
    }
    EndStatement(TPgResult());
}

void TPgSession::EndStatement(TPgResult first) {
    // Every result is taken, also after a failure, so the connection stays usable.
    TPgResult failed;
    const auto keep = [&failed](TPgResult r) {
        const int status = r.Get() ? PQresultStatus(r.Get()) : PGRES_COMMAND_OK;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && !failed.Get())
            failed = std::move(r);
    };
    keep(std::move(first));
    while (PGresult* r = PQgetResult(Conn))
        keep(TPgResult(r));
    if (failed.Get()) Fail(failed.Release());
    if (PQstatus(Conn) == CONNECTION_BAD) Fail(nullptr);
}

void TPgSession::CopyIn(const std::string& sql,
                        const std::function<bool(std::string& buffer)>& produce) {
    Check(PQexec(Conn, sql.c_str()), PGRES_COPY_IN);
    std::string buffer;
    bool more = true;
    while (more) {
        buffer.clear();
        more = produce(buffer);
        if (!buffer.empty() && PQputCopyData(Conn, buffer.data(), int(buffer.size())) != 1) break;
    }
    if (PQputCopyEnd(Conn, nullptr) != 1) Fail(nullptr);
    EndStatement(TPgResult());
}

void TPgSession::CopyOut(const std::string& sql,
                         const std::function<void(std::string_view data)>& data) {
    Check(PQexec(Conn, sql.c_str()), PGRES_COPY_OUT);
    for (;;) {
        char* buffer = nullptr;
        const int n = PQgetCopyData(Conn, &buffer, 0);
        if (n < 0) break;
        struct TFree {
            char* P;
            ~TFree() { PQfreemem(P); }
        } release{buffer};
        data(std::string_view(buffer, size_t(n)));
    }
    EndStatement(TPgResult());
}

std::string TPgSession::Identifier(std::string_view name) const {
    std::string quoted = "\"";
    for (const char c : name) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string TPgSession::Literal(std::string_view text) const {
    char* escaped = PQescapeLiteral(Conn, text.data(), text.size());
    if (!escaped) throw std::bad_alloc();
    std::string result = escaped;
    PQfreemem(escaped);
    return result;
}

std::string TPgSession::User() const {
    const char* user = PQuser(Conn);
    return user ? user : "";
}

TPgTransaction::TPgTransaction(TPgSession& db) : Db(db) {
    Db.Exec("BEGIN");
}

TPgTransaction::~TPgTransaction() {
    if (Open) PQclear(PQexec(Db.Raw(), "ROLLBACK"));
}

void TPgTransaction::Commit() {
    Open = false;
    Db.Exec("COMMIT");
}

std::string ConnInfoProblem(const std::string& conninfo) {
    if (conninfo.empty()) return {};
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.c_str(), &error);
    if (!options) {
        std::string text = Detail(error);
        if (error) PQfreemem(error);
        return text.empty() ? LangText("<EN>Not enough memory.<PL>Za mało pamięci.") : text;
    }
    bool password = false;
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val) password = true;
    PQconninfoFree(options);
    if (!password) return {};
    return LangText(
        "<EN>The connection string holds a password. Passwords never go on the command line: "
        "keep them in the password file (~/.pgpass or PGPASSFILE) or a service file."
        "<PL>Napis połączenia zawiera hasło. Hasła nigdy nie podaje się w wierszu poleceń: "
        "należy je trzymać w pliku haseł (~/.pgpass lub PGPASSFILE) albo w pliku usług.");
}

}  // namespace tallyra::core
