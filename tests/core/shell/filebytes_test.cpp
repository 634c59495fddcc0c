// SPDX-License-Identifier: GPL-3.0-or-later
// Document file helpers: backup names, the backup rule, line ends, limits.
#include "shell/filebytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "shell/errors.h"

using namespace tallyra::core;

TEST(BackupName, ReplacesTheLastExtensionOfTheFileName) {
    const std::pair<const char*, const char*> cases[] = {
        {"/d/a.slo", "/d/a.bak"},       {"/d/a.b.slo", "/d/a.b.bak"},
        {"/d.x/name", "/d.x/name.bak"}, {"/d/.hidden", "/d/.hidden.bak"},
        {"rel.sl", "rel.bak"},          {"/d/a.bak", "/d/a.bak"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(BackupName(in), out) << in;
}

TEST(MakeBackup, MovesTheFileOverAnOldBackupAndToleratesAMissingFile) {
    const auto dir = std::filesystem::temp_directory_path() / "tallyra_filebytes_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "s.slo").string();
    WriteFileBytes(file, "new");
    WriteFileBytes((dir / "s.bak").string(), "old backup");
    MakeBackup(file);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(ReadFileBytes((dir / "s.bak").string()), "new");
    EXPECT_NO_THROW(MakeBackup(file));  // nothing to back up
    EXPECT_EQ(ReadFileBytes((dir / "s.bak").string()), "new");
    std::filesystem::remove_all(dir);
}

TEST(ReadFileBytes, RefusesMissingFilesFoldersAndFilesOverTheLimit) {
    const auto dir = std::filesystem::temp_directory_path() / "tallyra_filebytes_limit";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "big.slo").string();
    WriteFileBytes(file, std::string(100, 'x'));
    EXPECT_EQ(ReadFileBytes(file, 100).size(), 100u);
    EXPECT_THROW(ReadFileBytes(file, 99), EGeneric);
    EXPECT_THROW(ReadFileBytes((dir / "none.slo").string()), EGeneric);
    EXPECT_THROW(ReadFileBytes(dir.string()), EGeneric);
    EXPECT_THROW(WriteFileBytes((dir / "no/such/dir.slo").string(), "x"), EGeneric);
    std::filesystem::remove_all(dir);
}

// Reading and writing a folder or a pipe: refused at once with what it is
// (a pipe without a writer or reader is never waited on), nothing replaced.
TEST(ReadFileBytes, FoldersAndPipesAreRefusedAsWhatTheyAre) {
    const auto dir = std::filesystem::temp_directory_path() / "tallyra_filebytes_kinds";
    std::filesystem::create_directories(dir / "folder");
    const std::string pipe = (dir / "pipe").string();
    ::mkfifo(pipe.c_str(), 0600);
    const struct {
        std::string Path;
        std::string Text;
    } cases[] = {{(dir / "folder").string(), "This is a folder, not a file."},
                 {pipe, "Not a regular file (a device or a pipe)."},
                 {"/dev/null", "Not a regular file (a device or a pipe)."}};
    for (const auto& c : cases) {
        const auto textOf = [](const std::function<void()>& f) {
            try {
                f();
            } catch (const EGeneric& e) {
                return e.Text();
            }
            return std::string("no error");
        };
        EXPECT_EQ(textOf([&] { ReadFileBytes(c.Path); }), c.Text) << c.Path;
        // A device is not written to either (/dev/null would take anything).
        EXPECT_EQ(textOf([&] { WriteFileBytes(c.Path, "x"); }), c.Text) << c.Path;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
    std::filesystem::remove_all(dir);
}

TEST(NormalizeLineEnds, EveryLineEndBecomesCrLf) {
    EXPECT_EQ(NormalizeLineEnds("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(NormalizeLineEnds(std::string("x\0y", 3)), std::string("x\0y", 3));
    EXPECT_EQ(NormalizeLineEnds(""), "");
}
