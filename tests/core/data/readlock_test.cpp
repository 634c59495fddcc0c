// SPDX-License-Identifier: GPL-3.0-or-later
// The reader lock of data files: readers share a file, a record store keeps
// them out (and they keep a store out), whether the other holder is a store in
// this process or a flock held by another process; anything but a regular
// file is refused without waiting on it.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/otherprocesslock.h"
#include "data/datafile.h"
#include "data_fixture.h"
#include "export/dataexport.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "shell/fdio.h"
#include "shell/langtext.h"
#include "spss/saveselection.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"
#include "verify/datacompare.h"

namespace tallyra::core {
namespace {

using testing::TOtherProcessLock;
using testing::TScript;
using testing::TTempDir;

const char* const InUse = "File access denied - possibly in use by another application.";

class ReaderLock : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentLanguage(LangEnglish);
        Data = Dir.File("d.dat");
        testing::WriteAll(Data, "12\r\n34\r\n");
    }
    // The reader lock's refusal text, or "ok".
    std::string TryRead(const std::string& path) {
        try {
            const TFd fd = OpenDataFileForReading(path);
            return fd.Get() >= 0 ? "ok" : "no descriptor";
        } catch (const ETallyraError& e) {
            return e.Text();
        }
    }
    std::string TryStore(const std::string& path) {
        try {
            auto store = TPXDataHandler::CreateForFile(*Script.Dictionary, false, nullptr, path);
            return "ok";
        } catch (const ETallyraError& e) {
            return e.Text();
        }
    }
    TTempDir Dir;
    TScript Script{"left='a' width=2*"};
    std::string Data;
};

TEST_F(ReaderLock, AStoreKeepsReadersOutAndReadersShare) {
    {
        auto store = TPXDataHandler::CreateForFile(*Script.Dictionary, false, nullptr, Data);
        EXPECT_EQ(TryRead(Data), Data + ": " + InUse);
        try {
            TPXDataHandler::CreateForReading(*Script.Dictionary, nullptr, Data);
            ADD_FAILURE() << "a reading store opened a file held by a store";
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), InUse);
        }
    }
    const TFd first = OpenDataFileForReading(Data);
    EXPECT_EQ(TryRead(Data), "ok");
    auto reading = TPXDataHandler::CreateForReading(*Script.Dictionary, nullptr, Data);
    EXPECT_EQ(reading->FullCount(), 2);
    EXPECT_EQ(TryStore(Data), InUse);
}

TEST_F(ReaderLock, ALockOfAnotherProcessCountsTheSame) {
    {
        TOtherProcessLock other(Data, LOCK_EX);
        ASSERT_TRUE(other.Taken);
        EXPECT_EQ(TryRead(Data), Data + ": " + InUse);
        EXPECT_EQ(TryStore(Data), InUse);
    }
    {
        TOtherProcessLock other(Data, LOCK_SH);
        ASSERT_TRUE(other.Taken);
        EXPECT_EQ(TryRead(Data), "ok");
        EXPECT_EQ(TryStore(Data), InUse);
    }
    EXPECT_EQ(TryStore(Data), "ok");
}

TEST_F(ReaderLock, AnythingButARegularFileIsRefusedWithoutWaiting) {
    const std::string fifo = Dir.File("pipe.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string notRegular = "Not a regular file (a device or a pipe).";
    const struct {
        std::string Path, Reader, Store;
    } cases[] = {
        {Dir.Path, Dir.Path + ": This is a folder, not a file.", "This is a folder, not a file."},
        {fifo, fifo + ": " + notRegular, notRegular},
        {"/dev/null", "/dev/null: " + notRegular, notRegular},
        {Dir.File("none.dat"), Dir.File("none.dat") + ": File not found.", "ok"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryRead(c.Path), c.Reader) << c.Path;
        EXPECT_EQ(TryStore(c.Path), c.Store) << c.Path;
    }
}

// Each bulk reader of a data file, as the commands and windows call it.
TEST_F(ReaderLock, EveryBulkReaderIsRefusedWhileAStoreHoldsTheFile) {
    const std::string out = Dir.File("out.csv");
    const std::vector<std::pair<const char*, std::function<void()>>> readers = {
        {"compare", [&] { CompareDataFiles(*Script.Dictionary, Data, Data, TPairBy::Number); }},
        {"export",
         [&] {
             auto vars =
                 BuildScriptVars("left='a' width=2*", DefaultScriptOptions(), 8, "script error");
             TDataExportOptions options;
             options.Format = TDataSetFormat::Csv;
             ExportDataSet(*Script.Dictionary, *vars, Data, out, options);
         }},
        {"save selection",
         [&] {
             SaveSelection(*Script.Dictionary, Data, {0}, RecordsFromSortedList({1}),
                           Dir.File("part.dat"), 8);
         }},
    };
    for (const auto& [name, read] : readers) {
        {
            auto store = TPXDataHandler::CreateForFile(*Script.Dictionary, false, nullptr, Data);
            try {
                read();
                ADD_FAILURE() << name << " read a file held by a store";
            } catch (const ETallyraError& e) {
                EXPECT_EQ(e.Text(), Data + ": " + InUse) << name;
            }
        }
        EXPECT_NO_THROW(read()) << name << " once the store is gone";
    }
    EXPECT_EQ(testing::ReadAll(Data), "12\r\n34\r\n");
}

// The viewer saves a selection of the file its own store holds.
TEST_F(ReaderLock, TheOwnerOfTheStoreReadsWithoutTheReaderLock) {
    auto store = TPXDataHandler::CreateForFile(*Script.Dictionary, false, nullptr, Data);
    const std::string part = Dir.File("part.dat");
    const TSaveSelectionSummary summary =
        SaveSelection(*Script.Dictionary, Data, {0}, RecordsFromSortedList({2}), part, 8,
                      std::string(), TDataFileLock::HeldByCaller);
    EXPECT_EQ(summary.Records, 1);
    EXPECT_EQ(testing::ReadAll(part), "34\r\n");
    EXPECT_EQ(TryStore(Data), InUse);  // the store still holds the file
}

TEST_F(ReaderLock, AReadingStoreLeavesTheFileAsItIs) {
    testing::WriteAll(Data, std::string("12\r\n34\r\n") + char(26));
    auto store = TPXDataHandler::CreateForReading(*Script.Dictionary, nullptr, Data);
    EXPECT_EQ(store->FullCount(), 2);
    EXPECT_EQ(testing::ReadAll(Data), std::string("12\r\n34\r\n") + char(26));
}

}  // namespace
}  // namespace tallyra::core
