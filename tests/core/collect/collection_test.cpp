// SPDX-License-Identifier: GPL-3.0-or-later
// The collection engine against a real PostgreSQL server: setting a survey
// up and refusing a changed layout, idempotent publishing, the history of
// changed records, duplicates, pulling back byte for byte, hostile texts,
// row-level security, refused logins, and a server that stops in the middle
// of a publish.
#include "collect/collection.h"

#include <gtest/gtest.h>

#include "census.h"
#include "collect/publisher.h"
#include "pgtest.h"
#include "shell/errors.h"

namespace tallyra::core::testing {
namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes) {
        hex += digits[static_cast<unsigned char>(c) >> 4];
        hex += digits[static_cast<unsigned char>(c) & 15];
    }
    return hex;
}

// A census survey set up in a test database.
struct TSurveyDb {
    TSurveyDb() : Collection(Db.Info(), *Census.Layout) { Collection.Init("census.slo"); }
    TTestDatabase Db;
    TCensus Census;
    TCollection Collection;
    TTempDir Dir;

    // Publishes `bytes` as the data file `file` of `station`.
    TFilePublication Publish(const std::string& bytes, const std::string& station = "st01",
                             const std::string& file = "a.dat", TPublishOptions options = {}) {
        WriteAll(Dir.File(file), bytes);
        return PublishDataFile(Collection, Dir.File(file), {station, "anna", file},
                               std::move(options));
    }
    std::string Pull(const std::optional<std::string>& station = std::nullopt,
                     std::vector<TDuplicate>* duplicates = nullptr) {
        Collection.Pull(Dir.File("out.dat"), station, [&](const TDuplicate& d) {
            if (duplicates) duplicates->push_back(d);
        });
        return ReadAll(Dir.File("out.dat"));
    }
};

TEST(Collection, InitCreatesTheTablesOnceAndChecksThemAfterwards) {
    TTestDatabase db;
    TCensus census;
    TCollection c(db.Info(), *census.Layout);
    EXPECT_TRUE(c.Init("census.slo"));
    EXPECT_FALSE(c.Init("census.slo"));
    EXPECT_EQ(db.Value("SELECT string_agg(attname, ' ' ORDER BY attnum) FROM pg_attribute "
                       "WHERE attrelid = 'census'::regclass AND attnum > 0"),
              "_station _file _record _operator _keyed _published _identifier numer ankieter woj "
              "plec wiek praca zawod osoby dzieci dochod uwagi _checksum _raw");
    EXPECT_EQ(db.Value("SELECT relrowsecurity FROM pg_class WHERE relname = 'census'"), "t");
    EXPECT_EQ(db.Value("SELECT script FROM tallyra_surveys WHERE survey = 'census'"), "census.slo");
    EXPECT_NO_THROW(c.CheckSurvey());
}

TEST(Collection, AChangedLayoutIsRefusedAndANewSurveyNameStartsANewVersion) {
    TSurveyDb s;
    s.Publish(CensusFile(3));
    std::string text = ReadAll(CensusScript);
    text.replace(text.find("width=30"), 8, "width=32");
    TScript changed(text);
    const TSurveyLayout layout(*changed.Dictionary, "census");
    TCollection c(s.Db.Info(), layout);
    for (const auto& step : {std::function<void()>([&] { c.Init("census.slo"); }),
                             std::function<void()>([&] { c.CheckSurvey(); })}) {
        try {
            step();
            ADD_FAILURE() << "a changed layout was taken";
        } catch (const ECollectError& e) {
            EXPECT_EQ(e.Kind, TCollectFailure::Layout);
            EXPECT_NE(e.Text().find("Field 7: the database has \"ZAWOD 34 30 text\", the script "
                                    "\"ZAWOD 34 32 text\"."),
                      std::string::npos)
                << e.Text();
            EXPECT_NE(e.Text().find("--survey (for example census_v2)"), std::string::npos);
        }
    }
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census"), "3");
    const TSurveyLayout v2(*changed.Dictionary, "census_v2");
    TCollection next(s.Db.Info(), v2);
    EXPECT_TRUE(next.Init("census.slo"));
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM tallyra_surveys"), "2");
}

TEST(Collection, InitRefusesATableThatIsNoSurveys) {
    TTestDatabase db;
    db.Sql("CREATE TABLE census (x integer)");
    TCensus census;
    TCollection c(db.Info(), *census.Layout);
    EXPECT_THROW(c.Init("census.slo"), ECollectError);
    // Nothing of the set-up stays: it was one transaction.
    EXPECT_EQ(db.Value("SELECT to_regclass('tallyra_surveys') IS NULL"), "t");
    TCensus other("other");
    TCollection notSetUp(db.Info(), *other.Layout);
    try {
        notSetUp.CheckSurvey();
        ADD_FAILURE() << "a survey that is not set up was taken";
    } catch (const ECollectError& e) {
        EXPECT_EQ(e.Kind, TCollectFailure::Layout);
        EXPECT_NE(e.Text().find("is not set up in the database"), std::string::npos) << e.Text();
    }
}

TEST(Collection, PublishingTwiceSendsNothingTheSecondTime) {
    TSurveyDb s;
    const std::string data = CensusFile(25) + "00026001maz";  // and an incomplete record
    const TFilePublication first = s.Publish(data, "st01", "a.dat", {5, size_t(8) << 20, {}});
    EXPECT_EQ(first.Records, 25);
    EXPECT_EQ(first.Counts.Added, 25);
    const TFilePublication second = s.Publish(data);
    EXPECT_EQ(second.Counts.Added, 0);
    EXPECT_EQ(second.Counts.Changed, 0);
    EXPECT_EQ(second.Counts.Unchanged, 25);
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census"), "25");
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census_history"), "0");
    EXPECT_EQ(s.Pull(), CensusFile(25));
    // Typed values beside the raw bytes.
    EXPECT_EQ(s.Db.Value("SELECT numer || ' ' || woj || ' ' || wiek || ' ' || dochod || ' ' || "
                         "coalesce(uwagi, 'NULL') || ' ' || _operator || ' ' || _identifier "
                         "FROM census WHERE _record = 2"),
              "2 mazowieckie 19 1000  anna 00002");
}

TEST(Collection, AChangedRecordReplacesItsRowAndTheHistoryKeepsTheOldOne) {
    TSurveyDb s;
    std::string data = CensusFile(4);
    s.Publish(data);
    TCensusRecord changed;
    changed.Id = 3;
    changed.Age = 20;
    changed.Income = 2000;
    changed.Remarks = "poprawiono wiek";
    const std::string old = data.substr(240, 120);
    data.replace(240, 120, changed.Bytes());
    WriteAll(s.Dir.File("a.dat"), data);
    const TFilePublication p =
        PublishDataFile(s.Collection, s.Dir.File("a.dat"), {"st01", "ewa", "a.dat"});
    EXPECT_EQ(p.Counts.Changed, 1);
    EXPECT_EQ(p.Counts.Unchanged, 3);
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census"), "4");
    EXPECT_EQ(s.Db.Value("SELECT wiek || ' ' || uwagi || ' ' || _operator FROM census "
                         "WHERE _record = 3"),
              "20 poprawiono wiek ewa");
    EXPECT_EQ(s.Db.Column("SELECT _station || ' ' || _file || ' ' || _record || ' ' || "
                          "_operator || ' ' || _old_operator || ' ' || _role FROM census_history"),
              std::vector<std::string>{"st01 a.dat 3 ewa anna postgres"});
    EXPECT_EQ(s.Db.Value("SELECT encode(_old_raw, 'hex') FROM census_history"), Hex(old));
    EXPECT_EQ(s.Db.Value("SELECT _raw = (SELECT _raw FROM census WHERE _record = 3) "
                         "FROM census_history"),
              "t");
    EXPECT_EQ(s.Pull(), data);
}

TEST(Collection, DuplicateIdentifiersAcrossStationsAreReportedAndPulledAsTheyAre) {
    TSurveyDb s;
    s.Publish(CensusFile(3, 1), "st02", "b.dat");
    s.Publish(CensusFile(3, 3), "st01", "a.dat");  // identifier 3 keyed at both
    s.Publish(CensusFile(1, 5), "st01", "c.dat");  // and 5 twice at st01
    const TCollectionStatus status = s.Collection.Status();
    EXPECT_EQ(status.Records, 7);
    ASSERT_EQ(status.Stations.size(), 2u);
    EXPECT_EQ(status.Stations[0].Name, "st01");
    EXPECT_EQ(status.Stations[0].Records, 4);
    EXPECT_EQ(status.Stations[1].Records, 3);
    ASSERT_EQ(status.Operators.size(), 1u);
    EXPECT_EQ(status.Operators[0].Name, "anna");
    ASSERT_EQ(status.Duplicates.size(), 2u);
    EXPECT_EQ(status.Duplicates[0].Identifier, "00003");
    EXPECT_EQ(status.Duplicates[0].Stations, (std::vector<std::string>{"st01", "st02"}));
    EXPECT_EQ(status.Duplicates[1].Identifier, "00005");
    EXPECT_EQ(status.Duplicates[1].Stations, std::vector<std::string>{"st01"});
    ASSERT_EQ(status.Duplicates[1].Rows.size(), 2u);
    EXPECT_EQ(status.Duplicates[1].Rows[0].File, "a.dat");
    EXPECT_EQ(status.Duplicates[1].Rows[1].File, "c.dat");

    std::vector<TDuplicate> reported;
    const std::string all = s.Pull(std::nullopt, &reported);
    const std::string a = CensusFile(3, 3), b = CensusFile(3, 1), c = CensusFile(1, 5);
    const auto record = [](const std::string& file, size_t i) { return file.substr(i * 120, 120); };
    // Identifier order, then station and file: 1 2 3(st01) 3(st02) 4 5(a.dat) 5(c.dat).
    EXPECT_EQ(all, record(b, 0) + record(b, 1) + record(a, 0) + record(b, 2) + record(a, 1) +
                       record(a, 2) + c);
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_EQ(reported[0].Identifier, "00003");
    EXPECT_EQ(reported[0].Rows.size(), 2u);
    EXPECT_EQ(s.Pull("st02"), CensusFile(3, 1));
    EXPECT_EQ(s.Pull("nobody"), "");
}

TEST(Collection, HostileTextsRoundTripByteForByte) {
    TSurveyDb s;
    const std::string hostile[] = {
        "O'Brien'); DROP TABLE census; --",
        "C:\\dane\\n\\t \\\\ ; \\x41",
        "Zażółć gęślą jaźń ŁÓDŹ",
        "\x01\x02\x1b[31m\x7f\xC2\x81\xC2\x98",  // control characters, C1 too
        "$1 $$ %s %n \" `rm -rf`",
    };
    std::string data;
    for (int i = 0; i < 5; ++i) {
        TCensusRecord r;
        r.Id = i + 1;
        r.Remarks = hostile[i];
        r.Job = hostile[(i + 1) % 5];
        data += r.Bytes();
    }
    data[4 * 120 + 78 + 5] = '\0';  // a NUL in the last record's remarks
    const std::string station = "st'; DELETE FROM census; -- Łódź";
    const std::string file = "a'b;\\c.dat";
    s.Publish(data, station, file);
    EXPECT_EQ(s.Pull(), data);
    EXPECT_EQ(s.Pull(station), data);
    EXPECT_EQ(s.Db.Value("SELECT count(DISTINCT _station) || ' ' || min(_station) || ' ' || "
                         "min(_file) FROM census"),
              "1 " + station + " " + file);
    // The text columns hold the values as UTF-8, trailing blanks removed.
    EXPECT_EQ(s.Db.Value("SELECT uwagi FROM census WHERE _record = 1"), hostile[0]);
    EXPECT_EQ(s.Db.Value("SELECT uwagi FROM census WHERE _record = 3"), hostile[2]);
    EXPECT_EQ(s.Db.Value("SELECT uwagi FROM census WHERE _record = 4"), hostile[3]);
    EXPECT_EQ(s.Db.Value("SELECT uwagi FROM census WHERE _record = 5"),
              "$1 $$\xEF\xBF\xBD%s %n \" `rm -rf`");
    EXPECT_EQ(s.Publish(data, station, file).Counts.Unchanged, 5);
}

TEST(Collection, AStationRoleWritesOnlyItsOwnStationsRows) {
    TSurveyDb s;
    const std::string station = s.Db.CreateRole("st1", "tajne1");
    const std::string boss = s.Db.CreateRole("boss", "tajne2");
    TGrantPlan plan;
    plan.StationRoles.push_back({station, {"st01"}});
    plan.Supervisors.push_back(boss);
    s.Collection.Grant(plan);
    s.Publish(CensusFile(2, 100), "st02", "b.dat");  // by the owner

    TCollection asStation(s.Db.InfoWithPassword(station, "tajne1"), *s.Census.Layout);
    WriteAll(s.Dir.File("a.dat"), CensusFile(3));
    EXPECT_EQ(
        PublishDataFile(asStation, s.Dir.File("a.dat"), {"st01", "anna", "a.dat"}).Counts.Added, 3);
    try {
        PublishDataFile(asStation, s.Dir.File("a.dat"), {"st02", "anna", "a.dat"});
        ADD_FAILURE() << "a station role wrote another station's rows";
    } catch (const ECollectError& e) {
        EXPECT_EQ(e.Kind, TCollectFailure::Permission) << e.Text();
        EXPECT_NE(e.Text().find("row-level security"), std::string::npos) << e.Text();
    }
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census WHERE _station = 'st02'"), "2");
    // It sees its own rows only, cannot change or delete others' by hand,
    // and cannot read the history.
    EXPECT_EQ(asStation.Status().Records, 3);
    EXPECT_EQ(asStation.Session()
                  .Exec("UPDATE census SET _station = 'st01' WHERE _station = 'st02' RETURNING 1")
                  .Rows(),
              0);
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census WHERE _station = 'st02'"), "2");
    EXPECT_THROW(asStation.Session().Exec("UPDATE census SET _station = 'st02'"), ECollectError);
    EXPECT_THROW(asStation.Session().Exec("DELETE FROM census"), ECollectError);
    EXPECT_THROW(asStation.Session().Exec("SELECT * FROM census_history"), ECollectError);
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census"), "5");

    // A role that is a member of the station's role (one role for an office)
    // writes its stations' rows too.
    const std::string member = s.Db.CreateRole("member", "tajne3");
    s.Db.Sql("GRANT " + TTestDatabase::Quote(station) + " TO " + TTestDatabase::Quote(member));
    TCollection asMember(s.Db.InfoWithPassword(member, "tajne3"), *s.Census.Layout);
    WriteAll(s.Dir.File("m.dat"), CensusFile(1, 50));
    EXPECT_EQ(PublishDataFile(asMember, s.Dir.File("m.dat"), {"st01", "ola", "m.dat"}).Counts.Added,
              1);
    EXPECT_THROW(PublishDataFile(asMember, s.Dir.File("m.dat"), {"st02", "ola", "m.dat"}),
                 ECollectError);

    TCollection asBoss(s.Db.InfoWithPassword(boss, "tajne2"), *s.Census.Layout);
    EXPECT_EQ(asBoss.Status().Records, 6);
    EXPECT_EQ(asBoss.Session().Exec("SELECT count(*) FROM census_history").Integer(0, 0), 0);
    EXPECT_EQ(asBoss.Pull(s.Dir.File("all.dat"), std::nullopt, {}).Records, 6);
    EXPECT_THROW(PublishDataFile(asBoss, s.Dir.File("a.dat"), {"st01", "x", "z.dat"}),
                 ECollectError);
}

TEST(Collection, RefusedLoginsAndAMissingServerSayWhatAndWhere) {
    TTestDatabase db;
    TCensus census;
    const std::string role = db.CreateRole("st9", "dobre");
    struct TCase {
        std::string Info;
        TCollectFailure Kind;
        std::string Says;
    };
    const TCase cases[] = {
        {db.InfoWithPassword(role, "złe"), TCollectFailure::Authentication,
         "refused the login of role"},
        {db.Info(role), TCollectFailure::Authentication, "asks for the password of role"},
        {"host=" + db.Folder() + "/none dbname=x", TCollectFailure::Unreachable,
         "Cannot connect to the database server (socket " + db.Folder() + "/none/.s.PGSQL.5432)"},
    };
    for (const TCase& c : cases) {
        try {
            TCollection collection(c.Info, *census.Layout);
            ADD_FAILURE() << "connected: " << c.Info;
        } catch (const ECollectError& e) {
            EXPECT_EQ(e.Kind, c.Kind) << e.Text();
            EXPECT_NE(e.Text().find(c.Says), std::string::npos) << e.Text();
            EXPECT_EQ(e.Text().find("dobre"), std::string::npos);
        }
    }
    EXPECT_NO_THROW(TCollection(db.InfoWithPassword(role, "dobre"), *census.Layout));
}

TEST(Collection, AServerStoppedDuringPublishLosesAndDuplicatesNothing) {
    // A server of its own: stopping the suite's would disturb other tests.
    // Its folder is in /tmp, where the server's own user may enter.
    const std::string dir = "/tmp/tallyra-pgstop-" + std::to_string(::getpid());
    ASSERT_TRUE(PgServer("start " + dir + " --fresh --no-fsync"));
    {
        TTestDatabase db(dir);
        TCensus census;
        TCollection c(db.Info(), *census.Layout);
        c.Init("census.slo");
        TTempDir data;
        const std::string bytes = CensusFile(5000);
        WriteAll(data.File("a.dat"), bytes);
        TPublishOptions options;
        options.BatchRecords = 1000;
        int batches = 0;
        options.Committed = [&](const TPublishCounts&) {
            if (++batches == 2) {
                ASSERT_TRUE(PgServer("stop " + dir + " --immediate"));
            }
        };
        try {
            PublishDataFile(c, data.File("a.dat"), {"st01", "anna", "a.dat"}, options);
            ADD_FAILURE() << "the publish went on without a server";
        } catch (const ECollectError& e) {
            EXPECT_TRUE(e.Kind == TCollectFailure::Lost) << e.Text();
            EXPECT_NE(e.Text().find("Records 1 to 2000 had been published before"),
                      std::string::npos)
                << e.Text();
        }
        ASSERT_TRUE(PgServer("start " + dir));
        EXPECT_EQ(db.Value("SELECT count(*) FROM census"), "2000");
        TCollection again(db.Info(), *census.Layout);
        const TFilePublication p =
            PublishDataFile(again, data.File("a.dat"), {"st01", "anna", "a.dat"});
        EXPECT_EQ(p.Counts.Added, 3000);
        EXPECT_EQ(p.Counts.Unchanged, 2000);
        EXPECT_EQ(db.Value("SELECT count(*) || ' ' || count(DISTINCT _record) || ' ' || "
                           "min(_record) || ' ' || max(_record) FROM census"),
                  "5000 5000 1 5000");
        again.Pull(data.File("out.dat"), std::nullopt, {});
        EXPECT_EQ(ReadAll(data.File("out.dat")), bytes);
    }
    EXPECT_TRUE(PgServer("destroy " + dir));
}

TEST(Collection, PullRefusesARowChangedOnTheServerAndLeavesNoFile) {
    TSurveyDb s;
    s.Publish(CensusFile(3));
    s.Db.Sql(
        "UPDATE census SET _raw = overlay(_raw placing 'X'::bytea from 10) "
        "WHERE _record = 2");
    try {
        s.Collection.Pull(s.Dir.File("out.dat"), std::nullopt, {});
        ADD_FAILURE() << "a changed row was pulled";
    } catch (const EGeneric& e) {
        EXPECT_NE(e.Text().find("record 2 does not match its checksum"), std::string::npos)
            << e.Text();
    }
    EXPECT_FALSE(std::filesystem::exists(s.Dir.File("out.dat")));
    // The changed row went to the history: the trigger keeps every change.
    EXPECT_EQ(s.Db.Value("SELECT count(*) FROM census_history"), "1");
}

TEST(Collection, PublisherTakesRecordsOneByOneAsAStationWould) {
    TSurveyDb s;
    TPublisher p(s.Collection, {"st01", "anna", "live.dat"}, {3, size_t(8) << 20, {}});
    const std::string data = CensusFile(4);
    for (int i = 0; i < 4; ++i)
        p.Add(i + 1, std::string_view(data).substr(size_t(i) * 120, 120), 0);
    EXPECT_EQ(p.Pending(), 1u);  // the first three went as a batch
    p.Add(4, std::string_view(data).substr(0, 120), 3600000000LL);  // given again: the last wins
    p.Flush();
    EXPECT_EQ(p.Counts().Added, 4);
    EXPECT_EQ(s.Db.Value("SELECT _identifier || ' ' || extract(epoch FROM _keyed) FROM census "
                         "WHERE _record = 4"),
              "00001 3600.000000");
    const TCollectionStatus status = s.Collection.Status();
    EXPECT_EQ(status.Total.FirstKeyed, 0);
    EXPECT_EQ(status.Total.LastKeyed, 3600);
    EXPECT_EQ(status.Total.PerHour().value_or(-1), 4.0);
    EXPECT_THROW(p.Add(5, "short\r\n", 0), EGeneric);
    EXPECT_THROW(p.Add(0, std::string_view(data).substr(0, 120), 0), EGeneric);
}

}  // namespace
}  // namespace tallyra::core::testing
