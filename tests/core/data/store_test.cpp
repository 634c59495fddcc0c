// SPDX-License-Identifier: GPL-3.0-or-later
// The record store: opening files of every shape, backups, locking, the
// temporary file, field texts and record identifiers.
#include <unistd.h>

#include "core/otherprocesslock.h"
#include "data_fixture.h"
#include "shell/filebytes.h"
#include "shell/ioerror.h"

namespace tallyra::core::testing {
namespace {

// Field 1 covers columns 1-4, field 2 columns 5-9: L = 11.
const char* const TwoFields =
    "left='a' width=4 range=[0:9999] label=A*"
    "left='b' width=5 range=[0:99999] label=B*";

TEST(TPXDataHandler, OpeningFilesOfEveryShape) {
    struct TCase {
        const char* Name;
        std::string Bytes;
        int32_t FullCount;
        int32_t EntryPos;
        std::string FileAfter;
    };
    const std::string r1 = "000100002\r\n";
    const std::string r2 = "000300004\r\n";
    const TCase cases[] = {
        {"empty", "", 0, 0, ""},
        {"exact", r1 + r2, 2, 0, r1 + r2},
        {"ctrl-z", r1 + r2 + "\x1a", 2, 0, r1 + r2},
        {"incomplete", r1 + "0005000", 1, 1, r1 + "0005000"},
        {"all but the line end", r1 + "000500006\r", 1, 1, r1 + "000500006\r"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TScript script(TwoFields);
        TTempDir dir;
        const std::string file = dir.File("d.dat");
        WriteAll(file, c.Bytes);
        auto store = TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, file);
        EXPECT_EQ(store->FullCount(), c.FullCount);
        EXPECT_EQ(store->Context().Rec, c.FullCount + 1);
        EXPECT_EQ(store->EntryPos(), c.EntryPos);
        EXPECT_EQ(ReadAll(file), c.FileAfter);
        // No backup of an empty file; otherwise the file as it was read.
        EXPECT_EQ(std::filesystem::exists(dir.File("d.bak")), !c.Bytes.empty());
        if (!c.Bytes.empty()) {
            EXPECT_EQ(ReadAll(dir.File("d.bak")), c.FileAfter);
        }
    }
}

TEST(TPXDataHandler, IncompleteRecordReportsPresentCharacters) {
    TScript script(TwoFields);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "0001000");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    EXPECT_EQ(store->EntryPos(), 1);
    EXPECT_EQ(store->IncompleteLength(), 4);
    EXPECT_EQ(store->CurRecord().substr(0, 9), "0001*****");
    EXPECT_EQ(store->FieldText(0), "0001");
    EXPECT_EQ(store->FieldText(1), "");
}

TEST(TPXDataHandler, BrokenFilesAreRefusedAndLeaveNoBackup) {
    const std::string broken[] = {"000100002\n\n", "00\r100002\r\n", "0001\n"};
    for (const std::string& bytes : broken) {
        TScript script(TwoFields);
        TTempDir dir;
        WriteAll(dir.File("d.dat"), bytes);
        EXPECT_THROW(
            TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, dir.File("d.dat")),
            EPXData);
        EXPECT_FALSE(std::filesystem::exists(dir.File("d.bak")));
        EXPECT_EQ(ReadAll(dir.File("d.dat")), bytes);
    }
}

TEST(TPXDataHandler, FailedOpeningKeepsTheEarlierBackup) {
    TScript script(TwoFields);
    TTempDir dir;
    WriteAll(dir.File("d.bak"), "older backup");
    WriteAll(dir.File("d.dat"), "000100002\r\nbroken!!!\r\r");
    EXPECT_THROW(
        TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, dir.File("d.dat")),
        EPXData);
    EXPECT_EQ(ReadAll(dir.File("d.bak")), "older backup");
}

TEST(TPXDataHandler, DataFileNamedLikeItsBackupIsNotOverwritten) {
    TScript script(TwoFields);
    TTempDir dir;
    WriteAll(dir.File("d.bak"), "000100002\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, dir.File("d.bak"));
    EXPECT_EQ(store->FullCount(), 1);
    EXPECT_EQ(ReadAll(dir.File("d.bak")), "000100002\r\n");
}

// Copies "NAME.bak.XXXXXX" of a store killed while writing its backup go
// when the file is next opened; a copy locked by a store writing it now, and
// names of any other shape, stay.
TEST(TPXDataHandler, StaleBackupCopiesOfOurNamingGoWhenTheFileIsOpened) {
    TScript script(TwoFields);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "000100002\r\n");
    const char* const stale[] = {"d.bak.Ab12Cd", "d.bak.zzzzzz", "d.bak.000000"};
    const char* const kept[] = {"d.bak.Ab12C",  "d.bak.Ab12Cde", "d.bak.Ab-2Cd", "e.bak.Ab12Cd",
                                "d.dat.Ab12Cd", "d.bak.Ab12Cd~", "xd.bak.Ab12Cd"};
    for (const char* name : stale)
        WriteAll(dir.File(name), "");
    for (const char* name : kept)
        WriteAll(dir.File(name), "");
    WriteAll(dir.File("d.bak.InUse1"), "");
    TOtherProcessLock writing(dir.File("d.bak.InUse1"), LOCK_EX);
    ASSERT_TRUE(writing.Taken);
    // A read-only store cleans nothing up.
    TPXDataHandler::CreateForReading(*script.Dictionary, nullptr, dir.File("d.dat"));
    for (const char* name : stale)
        EXPECT_TRUE(FileExists(dir.File(name))) << name;
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, dir.File("d.dat"));
    for (const char* name : stale)
        EXPECT_FALSE(PathExists(dir.File(name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(FileExists(dir.File(name))) << name;
    EXPECT_TRUE(FileExists(dir.File("d.bak.InUse1")));
    EXPECT_EQ(ReadAll(dir.File("d.bak")), "000100002\r\n");
}

TEST(TPXDataHandler, MissingFileIsCreatedEmpty) {
    TScript script(TwoFields);
    TTempDir dir;
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, true, nullptr, dir.File("new.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("new.dat")));
    EXPECT_EQ(store->FullCount(), 0);
}

TEST(TPXDataHandler, SecondStoreOnTheSameFileIsRefusedAsInUse) {
    TScript script(TwoFields);
    TTempDir dir;
    auto first =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    try {
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
        FAIL() << "second store opened";
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), IOErrorText(32));
        EXPECT_EQ(e.Text(), "File access denied - possibly in use by another application.");
    }
    first.reset();
    EXPECT_NO_THROW(
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat")));
}

TEST(TPXDataHandler, TemporaryFilesArePrivateDistinctAndDeleted) {
    TScript script(TwoFields);
    TTempDir dir;
    setenv("TMPDIR", dir.Path.c_str(), 1);
    std::string name1;
    std::string name2;
    {
        auto a = TPXDataHandler::CreateTemp(*script.Dictionary, 0, nullptr);
        auto b = TPXDataHandler::CreateTemp(*script.Dictionary, 0, nullptr);
        name1 = a->FileName();
        name2 = b->FileName();
        EXPECT_NE(name1, name2);
        EXPECT_EQ(std::filesystem::path(name1).filename(), "TYS.tmp");
        const auto folder = std::filesystem::path(name1).parent_path();
        EXPECT_EQ(folder.filename(), "tallyra-" + std::to_string(getuid()));
        EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_all);
    }
    EXPECT_FALSE(std::filesystem::exists(name1));
    EXPECT_FALSE(std::filesystem::exists(name2));
    unsetenv("TMPDIR");
}

TEST(TPXDataHandler, TemporaryFileNeverFollowsALink) {
    TScript script(TwoFields);
    TTempDir dir;
    TTempDir victimDir;
    const std::string victim = victimDir.File("victim");
    WriteAll(victim, "precious");
    std::filesystem::create_directory(dir.File("priv"));
    std::filesystem::permissions(dir.File("priv"), std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(victim, dir.File("priv/TYS.tmp"));
    {
        auto store = TPXDataHandler::CreateTemp(*script.Dictionary, 0, nullptr, dir.File("priv"));
        store->Context().Cur = 0;
        store->StoreValue("1234");
        store->DoCommand(cmdConfirmNext, false);
    }
    EXPECT_EQ(ReadAll(victim), "precious");
}

TEST(TPXDataHandler, StoreValuePadsCutsAndEscapesLineBreaks) {
    TScript script("left='t' text width=5 height=2*left='n' width=2*");
    TTempDir dir;
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->Context().Cur = 0;
    const std::pair<std::string, std::string> cases[] = {
        {"ab", "ab   "}, {"a\r\nb", "a\\nb "}, {"abcdefgh", "abcde"}, {"a\rb\nc", "a b c"}};
    for (const auto& [typed, stored] : cases) {
        store->StoreValue(typed);
        EXPECT_EQ(store->CurRecord().substr(0, 5), stored) << typed;
    }
    store->StoreValue("a\r\nb");
    EXPECT_EQ(store->FieldText(0), "a\r\nb ");
}

TEST(TPXDataHandler, RecordIdTextPadsNumbersAndDashesTheRest) {
    TScript withId("left='id' width=3 recid*left='x' width=1*");
    TScript withoutId("left='x' width=3*");
    TTempDir dir;
    auto store =
        TPXDataHandler::CreateForFile(*withId.Dictionary, false, nullptr, dir.File("a.dat"));
    const std::pair<std::string, std::string> cases[] = {{"007", "00000000007"},
                                                         {"0x7", "-----------"},
                                                         {"-05", "-00000000005"},
                                                         {"***", "-----------"}};
    for (const auto& [chars, text] : cases) {
        store->Context().Cur = 0;
        store->StoreValue(chars);
        EXPECT_EQ(store->RecordIdText(), text) << chars;
    }
    auto plain =
        TPXDataHandler::CreateForFile(*withoutId.Dictionary, false, nullptr, dir.File("b.dat"));
    plain->Context().Cur = 0;
    plain->StoreValue("007");
    EXPECT_EQ(plain->RecordIdText(), "-----------");
}

TEST(TPXDataHandler, FindByIdentifierPadsAndStaysWhenNotFound) {
    TScript script("left='id' width=4 recid*left='v' width=1*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "00071\r\n00122\r\n00093\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->FindByIdentifier("12");
    EXPECT_EQ(store->Context().Rec, 2);
    store->GoToRecord(3);
    try {
        store->FindByIdentifier("55");
        FAIL();
    } catch (const EPXData& e) {
        EXPECT_EQ(e.Text(), "Given record identifier not found.");
    }
    EXPECT_EQ(store->Context().Rec, 3);
    EXPECT_EQ(store->FieldText(1), "3");
}

TEST(TPXDataHandler, GoToRecordRefusesNumbersOutsideTheFile) {
    TScript script("left='v' width=1*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "1\r\n2\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    for (int32_t n : {0, -1, 4}) {
        try {
            store->GoToRecord(n);
            FAIL() << n;
        } catch (const EPXData& e) {
            EXPECT_EQ(e.Text(), "Invalid record index.");
        }
    }
    store->GoToRecord(3);
    EXPECT_EQ(store->Context().Rec, 3);
    try {
        store->FindByIdentifier("1");
        FAIL();
    } catch (const EPXData& e) {
        EXPECT_EQ(e.Text(), "No record identifier in the script.");
    }
}

TEST(TPXDataHandler, ScriptsWithoutFieldsAreRefused) {
    TScript script("comment='only words'*", true);
    TTempDir dir;
    EXPECT_THROW(
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat")),
        EPXData);
}

}  // namespace
}  // namespace tallyra::core::testing
