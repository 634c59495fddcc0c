// SPDX-License-Identifier: GPL-3.0-or-later
// One connection to the collection server through libpq, with its failures
// turned into texts that say where and why: the server cannot be reached (on
// which socket or host), the login was refused, the connection was lost, the
// server refused a request. Values always travel as parameters or COPY data;
// SQL text holds only our own statements and quoted identifiers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "../shell/errors.h"

struct pg_conn;
struct pg_result;

namespace tallyra::core {

// What went wrong with the server; the text says it for the user.
enum class TCollectFailure {
    Unreachable,     // no server at the given socket or host
    Authentication,  // the server refused the login
    Lost,            // the connection broke during the work
    Permission,      // the role may not do this (row-level security included)
    Layout,          // the survey's tables do not fit the script, or are missing
    Refused,         // any other refusal of the server
};

// A failure of the collection: EGeneric with the kind and, for refusals, the
// server's SQLSTATE code.
class ECollectError : public EGeneric {
public:
    ECollectError(TCollectFailure kind, std::string text, std::string sqlState = {})
        : EGeneric(std::move(text)), Kind(kind), SqlState(std::move(sqlState)) {}
    TCollectFailure Kind;
    std::string SqlState;
};

// Owns a result and clears it.
class TPgResult {
public:
    TPgResult() = default;
    explicit TPgResult(pg_result* result) : R(result) {}
    TPgResult(TPgResult&& other) noexcept : R(other.R) { other.R = nullptr; }
    TPgResult& operator=(TPgResult&& other) noexcept;
    TPgResult(const TPgResult&) = delete;
    TPgResult& operator=(const TPgResult&) = delete;
    ~TPgResult();

    pg_result* Get() const { return R; }
    // Gives the result up without clearing it.
    pg_result* Release() {
        pg_result* r = R;
        R = nullptr;
        return r;
    }
    int Rows() const;
    bool IsNull(int row, int column) const;
    // The value's bytes (text or binary, as asked for).
    std::string_view Value(int row, int column) const;
    // A text-format value as a whole number (0 for NULL).
    int64_t Integer(int row, int column) const;

private:
    pg_result* R = nullptr;
};

// One parameter of a statement: its text form, or bytes sent in binary
// (bytea); nullopt-like `Null` for SQL NULL.
struct TPgParam {
    std::string_view Value;
    bool Binary = false;
    bool Null = false;
};

class TPgSession {
public:
    // Connects with a libpq connection string or URI (empty: libpq's
    // environment, PGHOST, PGDATABASE, PGSERVICE, PGPASSFILE ...), client
    // encoding UTF-8. Raises ECollectError Unreachable or Authentication,
    // naming the socket or host. The connection string itself never appears
    // in a message.
    explicit TPgSession(const std::string& conninfo);
    ~TPgSession();
    TPgSession(const TPgSession&) = delete;
    TPgSession& operator=(const TPgSession&) = delete;

    // Runs one statement (no parameters, or the given ones); results in text
    // form unless `binaryResult`. Raises ECollectError for any failure.
    TPgResult Exec(const std::string& sql);
    TPgResult Exec(const std::string& sql, const std::vector<TPgParam>& params,
                   bool binaryResult = false);
    // Runs a query and hands each row to `row` as it arrives (single-row
    // mode), so a large result is never held whole. Text form. When `row`
    // raises, the session must not be used again.
    void ForEachRow(const std::string& sql, const std::vector<TPgParam>& params,
                    const std::function<void(const TPgResult& row)>& row);

    // COPY ... FROM STDIN: sends the bytes `produce` appends to its buffer
    // (called until it returns false) and ends the copy. Raises ECollectError.
    void CopyIn(const std::string& sql, const std::function<bool(std::string& buffer)>& produce);
    // COPY ... TO STDOUT: hands each message the server sends to `data`.
    // When `data` raises, the session must not be used again.
    void CopyOut(const std::string& sql, const std::function<void(std::string_view data)>& data);

    // A quoted identifier ("name", quotes doubled), for our own statements.
    std::string Identifier(std::string_view name) const;
    // A quoted literal, only for SQL printed for a person to run.
    std::string Literal(std::string_view text) const;

    // Where the server is: "socket /run/x/.s.PGSQL.5432" or "host h port p".
    const std::string& Where() const { return Place; }
    // The role logged in.
    std::string User() const;
    pg_conn* Raw() const { return Conn; }

private:
    // Raises the ECollectError for a failed statement (clearing `result`).
    [[noreturn]] void Fail(pg_result* result) const;
    TPgResult Check(pg_result* result, int expected) const;
    // Takes the rest of a statement's results after `first` (a result
    // already taken, or none) and raises for the first that failed.
    void EndStatement(TPgResult first);

    pg_conn* Conn = nullptr;
    std::string Place;
};

// One transaction: begun on construction, rolled back on destruction unless
// committed (a failed rollback is ignored: the server drops the transaction
// of a connection that broke anyway).
class TPgTransaction {
public:
    explicit TPgTransaction(TPgSession& db);
    ~TPgTransaction();
    TPgTransaction(const TPgTransaction&) = delete;
    TPgTransaction& operator=(const TPgTransaction&) = delete;
    // Raises ECollectError when the server does not commit.
    void Commit();

private:
    TPgSession& Db;
    bool Open = true;
};

// Refuses a connection string that holds a password: passwords belong in
// the password file or a service file. Returns the reason (selected text),
// empty when the string is acceptable; a string libpq cannot read at all
// gives libpq's own reason.
std::string ConnInfoProblem(const std::string& conninfo);

}  // namespace tallyra::core
