// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's save policy: characters outside code page 1250 are refused
// before the disk is touched, line ends become CR LF, the target is backed up.
#include "editor/editorsave.h"

#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/langtext.h"

using namespace tallyra::core;

namespace {

class EditorSave : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = std::filesystem::temp_directory_path() /
              ("tallyra_editorsave_" + std::to_string(::getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        SetCurrentLanguage(1);
    }
    void TearDown() override {
        std::filesystem::remove_all(Dir);
        SetCurrentLanguage(1);
    }
    std::string Path(const char* name) const { return (Dir / name).string(); }
    std::filesystem::path Dir;
};

std::string Refusal(std::string_view utf8) {
    try {
        EditorTextToFileBytes(utf8);
    } catch (const EGeneric& e) {
        return e.Text();
    }
    return "(accepted)";
}

}  // namespace

TEST(EditorTextToFileBytes, WritesCodePage1250WithCrLfLineEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"Żółć", "\xAF\xF3\xB3\xE6"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd"},
        {"end\n", "end\r\n"},
        {"\xE2\x82\xAC", "\x80"},  // the euro sign is in the code page
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(EditorTextToFileBytes(in), out) << in;
}

TEST(EditorTextToFileBytes, RefusesCharactersOutsideTheCodePageNamingTheFirstFive) {
    SetCurrentLanguage(1);
    EXPECT_EQ(Refusal("new \u4E2D"),
              "The text holds 1 character(s) that code page 1250 cannot store (U+4E2D); the file "
              "was not changed");
    EXPECT_EQ(Refusal("\u4E00\u4E01\u4E02\u4E03\u4E04\u4E05\u4E06"),
              "The text holds 7 character(s) that code page 1250 cannot store (U+4E00, U+4E01, "
              "U+4E02, U+4E03, U+4E04); the file was not changed");
    // Malformed UTF-8 is refused as U+FFFD rather than written as "?".
    EXPECT_EQ(Refusal("a\xFF"),
              "The text holds 1 character(s) that code page 1250 cannot store (U+FFFD); the file "
              "was not changed");
    SetCurrentLanguage(2);
    EXPECT_EQ(Refusal("\u4E2D"),
              "Tekst zawiera znaki, których strona kodowa 1250 nie może zapisać (1: U+4E2D); plik "
              "nie został zmieniony");
    SetCurrentLanguage(1);
}

TEST(EditorTextFromFileBytes, ReadsEveryByteAndMakesLineEndsCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\xAF\xF3\xB3\xE6\nb\rc", "Żółć\r\nb\r\nc"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"\x80\x98", "€\xC2\x98"},  // 0x98 has no letter: it stays a control character
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(EditorTextFromFileBytes(in), out) << in;
    // Every byte but the line ends comes back unchanged through a save.
    std::string all;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') all += char(b);
    EXPECT_EQ(EditorTextToFileBytes(EditorTextFromFileBytes(all)), all);
}

TEST_F(EditorSave, SavingBacksUpTheTargetAndWritesTheBytes) {
    WriteFileBytes(Path("s.slo"), "previous");
    WriteFileBytes(Path("s.bak"), "older");
    SaveEditorText(Path("s.slo"), "Łódź\nok");
    EXPECT_EQ(ReadFileBytes(Path("s.slo")), "\xA3\xF3\x64\x9F\r\nok");
    EXPECT_EQ(ReadFileBytes(Path("s.bak")), "previous");
    // A new target leaves no backup.
    SaveEditorText(Path("new.slo"), "x");
    EXPECT_EQ(ReadFileBytes(Path("new.slo")), "x");
    EXPECT_FALSE(std::filesystem::exists(Path("new.bak")));
}

TEST_F(EditorSave, ARefusedTextTouchesNeitherTheTargetNorItsBackup) {
    WriteFileBytes(Path("s.slo"), "previous");
    WriteFileBytes(Path("s.bak"), "older");
    EXPECT_THROW(SaveEditorText(Path("s.slo"), "\u4E2D"), EGeneric);
    EXPECT_EQ(ReadFileBytes(Path("s.slo")), "previous");
    EXPECT_EQ(ReadFileBytes(Path("s.bak")), "older");
}

TEST_F(EditorSave, ATargetInAMissingFolderRaisesTheWriteError) {
    EXPECT_THROW(WriteWithBackup(Path("nope/x.slo"), "x"), EGeneric);
    EXPECT_FALSE(std::filesystem::exists(Path("nope")));
}
