// SPDX-License-Identifier: GPL-3.0-or-later
// The collection tests' PostgreSQL server: the suite's CTest fixture starts
// one with tools/pg-test-server and names its folder in TALLYRA_TEST_PGHOST.
// Every test works in a database of its own (and roles of its own, named
// after it), dropped at the end. A test that needs the server fails when
// there is none; it never skips.
#pragma once

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "collect/pgsession.h"

namespace tallyra::core::testing {

inline const std::string PgServerScript = std::string(TALLYRA_SOURCE_DIR) + "/tools/pg-test-server";

// The folder of the fixture's server; fails the test when it is not set.
inline std::string TestServerDir() {
    const char* dir = std::getenv("TALLYRA_TEST_PGHOST");
    if (!dir || !*dir)
        throw std::runtime_error(
            "TALLYRA_TEST_PGHOST is not set: run the tests through ctest, whose fixture "
            "starts the test server (tools/pg-test-server)");
    return dir;
}

// Runs tools/pg-test-server with `args`; true when it succeeded.
inline bool PgServer(const std::string& args) {
    return std::system((PgServerScript + " " + args + " >/dev/null").c_str()) == 0;
}

// A database of its own on a server (the fixture's, or one in `dir`).
class TTestDatabase {
public:
    explicit TTestDatabase(std::string dir = TestServerDir()) : Dir(std::move(dir)) {
        static std::atomic<int> counter{0};
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = test ? std::string(test->name()) : "test";
        for (char& c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        name = name.substr(0, 30);
        Suffix = std::to_string(::getpid()) + "_" + std::to_string(counter++);
        Name = "t_" + name + "_" + Suffix;
        TPgSession admin(AdminInfo("postgres"));
        admin.Exec("CREATE DATABASE " + admin.Identifier(Name));
    }
    ~TTestDatabase() {
        try {
            TPgSession admin(AdminInfo("postgres"));
            admin.Exec("DROP DATABASE IF EXISTS " + admin.Identifier(Name) + " WITH (FORCE)");
            for (const std::string& role : Roles)
                admin.Exec("DROP ROLE IF EXISTS " + admin.Identifier(role));
        } catch (const std::exception&) {
            // A stopped server takes its databases with it when it is destroyed.
        }
        std::error_code ec;
        for (const std::string& file : Files)
            std::filesystem::remove(file, ec);
    }
    TTestDatabase(const TTestDatabase&) = delete;
    TTestDatabase& operator=(const TTestDatabase&) = delete;

    // The connection string of this database for `role`.
    std::string Info(const std::string& role = "postgres") const {
        return "host=" + Dir + " dbname=" + Name + " user=" + role;
    }
    // The same with a password file holding `password` for the role.
    std::string InfoWithPassword(const std::string& role, const std::string& password) {
        std::string path = (std::filesystem::temp_directory_path() /
                            ("tallyra-pgpass-" + Suffix + "-" + std::to_string(Files.size())))
                               .string();
        {
            std::ofstream file(path, std::ios::trunc);
            file << "*:*:*:" << role << ":" << password << "\n";
        }
        std::filesystem::permissions(
            path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        Files.push_back(path);
        return Info(role) + " passfile=" + path;
    }
    // A login role of this test with a password, dropped at the end. The
    // name carries the test's suffix; returns it.
    std::string CreateRole(const std::string& base, const std::string& password) {
        const std::string role = base + "_" + Suffix;
        Sql("CREATE ROLE " + Quote(role) + " LOGIN PASSWORD '" + password + "'");
        Roles.push_back(role);
        return role;
    }
    // Runs statements as the superuser in this database.
    void Sql(const std::string& sql) {
        TPgSession db(Info());
        db.Exec(sql);
    }
    // The first column of every row of a query, as the superuser.
    std::vector<std::string> Column(const std::string& sql) {
        TPgSession db(Info());
        const TPgResult r = db.Exec(sql);
        std::vector<std::string> values;
        for (int i = 0; i < r.Rows(); ++i)
            values.push_back(r.IsNull(i, 0) ? "<NULL>" : std::string(r.Value(i, 0)));
        return values;
    }
    std::string Value(const std::string& sql) {
        const auto values = Column(sql);
        return values.empty() ? std::string("<no row>") : values.front();
    }
    static std::string Quote(const std::string& name) { return "\"" + name + "\""; }

    const std::string& Folder() const { return Dir; }

private:
    std::string AdminInfo(const std::string& role) const {
        return "host=" + Dir + " dbname=postgres user=" + role;
    }

    std::string Dir;
    std::string Name;
    std::string Suffix;
    std::vector<std::string> Roles;
    std::vector<std::string> Files;
};

}  // namespace tallyra::core::testing
