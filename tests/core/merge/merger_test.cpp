// SPDX-License-Identifier: GPL-3.0-or-later
#include <sstream>

#include <gtest/gtest.h>

#include "../spss/testutil.h"
#include "merge/tfilemerger.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TOtherProcessLock;
using testing::TScratch;
using testing::WriteAll;

// A script whose records hold 4 data characters (L = 6).
class MergerTest : public ::testing::Test {
protected:
    MergerTest() : Script("left='a' width=4 auto=0*", FixedReadingOptions(), Messages) {}

    static std::string Records(int count, char fill = '1') {
        std::string bytes;
        for (int i = 0; i < count; ++i)
            bytes += std::string(4, fill) + "\r\n";
        return bytes;
    }

    std::string Merge(const std::vector<std::string>& inputs, const std::string& output) {
        std::ostringstream out;
        TFileMerger merger(Script, inputs, Report, output, &out);
        merger.Run();
        return out.str();
    }

    TScratch Dir;
    TPXMessageList Messages;
    TPXDictionary Script;
    std::vector<std::string> Report;
};

TEST_F(MergerTest, ThreeInputsWithAPartialAndAMissingFile) {
    const std::string a = Dir / "a.dat", b = Dir / "b.dat", c = Dir / "c.dat",
                      out = Dir / "out.dat";
    WriteAll(a, Records(3, 'a'));
    WriteAll(b, Records(5, 'b') + "bb");  // two bytes of a sixth record
    EXPECT_EQ(Merge({a, b, c}, out), "Creating output file \"" + out +
                                         "\"...\n"
                                         "\n"
                                         "Merging files...\n"
                                         "    " +
                                         a +
                                         " - 3\n"
                                         "    " +
                                         b +
                                         " - 5 (partial record removed)\n"
                                         "    " +
                                         c +
                                         " (file not found)\n"
                                         "\n"
                                         "Number of records in output file: 8\n");
    EXPECT_EQ(ReadAll(b), Records(5, 'b'));
    EXPECT_EQ(ReadAll(out), Records(3, 'a') + Records(5, 'b'));
    EXPECT_EQ(Report, (std::vector<std::string>{
                          "Output file: \"" + out + "\"",
                          "Input files: \"" + a + "\", \"" + b + "\", \"" + c + "\"",
                          "",
                          "    " + a + " - 3",
                          "    " + b + " - 5 (partial record removed)",
                          "    " + c + " (file not found)",
                          "",
                          "Number of records in output file: 8",
                      }));
}

TEST_F(MergerTest, StructureTellsValidPartialAndInvalidFiles) {
    struct Case {
        std::string bytes;
        TFileStructure structure;
    };
    const Case cases[] = {
        {"", TFileStructure::Valid},
        {Records(2), TFileStructure::Valid},
        {Records(1) + "1111\r", TFileStructure::Invalid},  // one byte short of a record
        {Records(1) + "111", TFileStructure::ValidPartial},
        {"11\t1\r\n", TFileStructure::Invalid},
        {"1111\n\r", TFileStructure::Invalid},
        {"11111\n", TFileStructure::Invalid},
        {"\xB3\xE6\xA5\xFF\r\n", TFileStructure::Valid},  // Polish letters are data
        {Records(1) + "\x01", TFileStructure::Invalid},
    };
    for (const Case& c : cases) {
        WriteAll(Dir / "f.dat", c.bytes);
        EXPECT_EQ(TFileMerger::CheckStructure(Dir / "f.dat", 6), c.structure) << c.bytes;
    }
}

TEST_F(MergerTest, InvalidInputsAreReportedAndNotCopied) {
    WriteAll(Dir / "bad.dat", "12\t4\r\n");
    WriteAll(Dir / "good.dat", Records(2));
    const std::string text = Merge({Dir / "bad.dat", Dir / "good.dat"}, Dir / "out.dat");
    EXPECT_NE(text.find("    " + (Dir / "bad.dat") + " (invalid file structure)\n"),
              std::string::npos);
    EXPECT_EQ(ReadAll(Dir / "out.dat"), Records(2));
    EXPECT_EQ(ReadAll(Dir / "bad.dat"), "12\t4\r\n");
}

TEST_F(MergerTest, WildcardMatchesAreMergedOnceAndNeverTheOutput) {
    WriteAll(Dir / "w1.dat", Records(1, 'x'));
    WriteAll(Dir / "w2.dat", Records(2, 'y'));
    WriteAll(Dir / "w3.txt", Records(4, 'z'));
    std::filesystem::create_directory(Dir / "wdir.dat");
    const std::string out = Dir / "wout.dat";
    WriteAll(out, Records(7, 'o'));
    const std::string text =
        Merge({Dir / "w*.dat", Dir / "w?.dat", Dir / "w1.dat", Dir / "w1.dat"}, out);
    EXPECT_EQ(text, "Creating output file \"" + out +
                        "\"...\n\nMerging files...\n"
                        "  [" +
                        Dir / "w*.dat" +
                        "]\n"
                        "    " +
                        Dir / "w1.dat" +
                        " - 1\n"
                        "    " +
                        Dir / "w2.dat" +
                        " - 2\n"
                        "  [" +
                        Dir / "w?.dat" +
                        "]\n"
                        "    " +
                        Dir / "w1.dat" +
                        " - 1\n"
                        "    " +
                        Dir / "w1.dat" +
                        " - 1\n"
                        "\nNumber of records in output file: 5\n");
    EXPECT_EQ(ReadAll(out), Records(1, 'x') + Records(2, 'y') + Records(1, 'x') + Records(1, 'x'));
}

TEST_F(MergerTest, AnOutputNamedAmongTheInputsIsRefused) {
    WriteAll(Dir / "in.dat", Records(2));
    try {
        Merge({Dir / "in.dat"}, Dir / "./in.dat");
        FAIL();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(),
                  "The output file \"" + Dir / "./in.dat" + "\" is also one of the input files.");
    }
    EXPECT_EQ(ReadAll(Dir / "in.dat"), Records(2));
}

TEST_F(MergerTest, AnOutputThatCannotBeCreatedStopsTheRun) {
    WriteAll(Dir / "in.dat", Records(2));
    EXPECT_THROW(Merge({Dir / "in.dat"}, Dir / "no/such/out.dat"), EGeneric);
}

TEST_F(MergerTest, EveryInputThatIsNotMergedIsReportedWithItsReason) {
    const std::string inUse = "File access denied - possibly in use by another application.";
    const std::string partial = Records(2, 'p') + "pp";
    WriteAll(Dir / "held.dat", partial);
    WriteAll(Dir / "shared.dat", partial);
    WriteAll(Dir / "reading.dat", Records(2, 'r'));
    WriteAll(Dir / "bad.dat", "12\t4\r\n");
    std::filesystem::create_directory(Dir / "folder.dat");
    // A store elsewhere holds "held.dat"; another reader holds the other two.
    TOtherProcessLock store(Dir / "held.dat", LOCK_EX);
    TOtherProcessLock reader(Dir / "shared.dat", LOCK_SH);
    TOtherProcessLock reader2(Dir / "reading.dat", LOCK_SH);
    ASSERT_TRUE(store.Taken && reader.Taken && reader2.Taken);
    const struct {
        std::string Name, Line;
    } cases[] = {
        {Dir / "held.dat", " (" + inUse + ")"},
        // A partial record is cut only under the exclusive lock.
        {Dir / "shared.dat", " (" + inUse + ")"},
        // Readers share a file that needs no change.
        {Dir / "reading.dat", " - 2"},
        {Dir / "folder.dat", " (This is a folder, not a file.)"},
        {"/dev/zero", " (Not a regular file (a device or a pipe).)"},
        {Dir / "none.dat", " (file not found)"},
        {Dir / "bad.dat", " (invalid file structure)"},
    };
    std::vector<std::string> inputs;
    for (const auto& c : cases)
        inputs.push_back(c.Name);
    std::ostringstream out;
    TFileMerger merger(Script, inputs, Report, Dir / "out.dat", &out);
    merger.Run();
    for (const auto& c : cases)
        EXPECT_NE(out.str().find("    " + c.Name + c.Line + "\n"), std::string::npos)
            << c.Name << "\n"
            << out.str();
    EXPECT_EQ(merger.Failed, 6);
    EXPECT_EQ(merger.Total, 2);
    EXPECT_EQ(ReadAll(Dir / "out.dat"), Records(2, 'r'));
    EXPECT_EQ(ReadAll(Dir / "held.dat"), partial);
    EXPECT_EQ(ReadAll(Dir / "shared.dat"), partial);
}

TEST_F(MergerTest, AProgressWindowGetsTheTextAndRunsPendingEvents) {
    struct Window : IMergeProgress {
        void AppendText(const std::string& text) override { Text += text; }
        void ProcessPendingEvents() override { ++Events; }
        std::string Text;
        int Events = 0;
    } window;
    WriteAll(Dir / "in.dat", Records(2));
    std::ostringstream out;
    const std::vector<std::string> inputs = {Dir / "in.dat"};
    TFileMerger merger(Script, inputs, Report, Dir / "out.dat", &out);
    merger.SetProgress(&window);
    merger.Run();
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(window.Text.find("\r\nMerging files...\r\n    " + (Dir / "in.dat") + " - 2\r\n"),
              std::string::npos);
    EXPECT_GT(window.Events, 3);
}

TEST(WildcardMatch, StarAndQuestionMarkMatchAsInFileNames) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*", "", true},
        {"*.dat", "a.dat", true},
        {"*.dat", "a.dat.bak", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*a*b", "xxaxxb", true},
        {"*a*b", "xxaxxbx", false},
        {"a*", "A", false},
    };
    for (const auto& [pattern, name, match] : cases)
        EXPECT_EQ(WildcardMatch(pattern, name), match) << pattern << " " << name;
}

}  // namespace
}  // namespace tallyra::core
