// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the resolved file of an adjudication: the chosen values in place,
// the ".bak" rule for an existing target, and the refusals that keep the
// compared files safe.
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/data/data_fixture.h"
#include "shell/langtext.h"
#include "verify/datacompare.h"
#include "verify/resolvedfile.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TScript;
using testing::TTempDir;
using testing::WriteAll;

const char* const Script =
    "left='id' width=3 recid*\r\n"
    "left='Sex' width=1 range=[1:2]*\r\n"
    "left='Name' text width=4*\r\n";

class ResolvedFile : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentLanguage(LangEnglish);
        WriteAll(First(), "0011Anna\r\n0022Olek\r\n0031Ewa \r\n");
        WriteAll(Second(), "0011Ania\r\n0021Olek\r\n0031Ewa \r\n004");
    }
    std::string First() const { return Dir.File("first.dat"); }
    std::string Second() const { return Dir.File("second.dat"); }
    // The names in the folder, for checking that nothing was left behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(Dir.Path))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TScript S{Script};
    TTempDir Dir;
};

// The adjudicator takes the second keying's name, keeps the first keying's
// sex and types a third name for record 3.
TEST_F(ResolvedFile, WritesTheBaseWithTheChosenValues) {
    const TComparisonResult r =
        CompareDataFiles(*S.Dictionary, First(), Second(), TPairBy::Identifier);
    ASSERT_EQ(r.Differences.size(), 2u);
    std::vector<TResolvedValue> values = {
        ResolveDifference(r.Differences[1], true, r.Differences[1].First),
        ResolveDifference(r.Differences[0], true, r.Differences[0].Second),
        {3, 2, "Ewka"},
    };
    const std::string target = Dir.File("resolved.dat");
    WriteResolvedFile(*S.Dictionary, First(), values, target, {First(), Second()});
    EXPECT_EQ(ReadAll(target), "0011Ania\r\n0022Olek\r\n0031Ewka\r\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"first.dat", "resolved.dat", "second.dat"}));
    EXPECT_EQ(ReadAll(First()), "0011Anna\r\n0022Olek\r\n0031Ewa \r\n");
    // An ordinary data file for its user, not a private temporary one.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);

    // Written again from the second file (its incomplete record left out):
    // the old target becomes the backup, short text values are padded.
    WriteResolvedFile(*S.Dictionary, Second(),
                      {ResolveDifference(r.Differences[1], false, "2"), {1, 2, "Jo"}}, target,
                      {First(), Second()});
    EXPECT_EQ(ReadAll(target), "0011Jo  \r\n0022Olek\r\n0031Ewa \r\n");
    EXPECT_EQ(ReadAll(Dir.File("resolved.bak")), "0011Ania\r\n0022Olek\r\n0031Ewka\r\n");
}

TEST_F(ResolvedFile, RefusesWhatWouldHarmAnInputOrDoesNotFit) {
    WriteAll(Dir.File("resolved.dat"), "old");
    const std::string ok = Dir.File("resolved.dat");
    const struct {
        const char* What;
        std::vector<TResolvedValue> Values;
        std::string Target;
        std::string Text;
    } cases[] = {
        {"target is an input",
         {},
         Second(),
         "The resolved file \"" + Second() + "\" would replace one of the compared files."},
        {"target is an input by another name",
         {},
         Dir.Path + "/./first.dat",
         "The resolved file \"" + Dir.Path + "/./first.dat" +
             "\" would replace one of the compared files."},
        {"backup would replace an input",
         {},
         Dir.File("first.slo"),
         "The backup copy of \"" + Dir.File("first.slo") +
             "\" would replace one of the compared files."},
        {"record past the end",
         {{4, 1, "1"}},
         ok,
         "There is no field 1 in record 4 of the file \"" + First() + "\"."},
        {"comment or missing instruction",
         {{1, 3, "1"}},
         ok,
         "There is no field 3 in record 1 of the file \"" + First() + "\"."},
        {"number shorter than its field",
         {{1, 0, "1"}},
         ok,
         "The value \"1\" does not fit field 0 (3 characters) of record 1."},
        {"text longer than its field",
         {{1, 2, "Annabel"}},
         ok,
         "The value \"Annabel\" does not fit field 2 (4 characters) of record 1."},
        {"line break in a number",
         {{1, 1, "\r"}},
         ok,
         "The value \"\r\" does not fit field 1 (1 characters) of record 1."},
        {"two values for one field",
         {{2, 1, "1"}, {1, 1, "2"}, {2, 1, "2"}},
         ok,
         "Two values were chosen for field 1 of record 2."},
    };
    // first.slo's backup name is first.bak; make an input of that name.
    WriteAll(Dir.File("first.bak"), "0011Anna\r\n");
    for (const auto& c : cases) {
        std::string text;
        try {
            WriteResolvedFile(*S.Dictionary, First(), c.Values, c.Target,
                              {First(), Second(), Dir.File("first.bak")});
        } catch (const EGeneric& e) {
            text = e.Text();
        }
        EXPECT_EQ(text, c.Text) << c.What;
    }
    EXPECT_EQ(ReadAll(ok), "old");
    EXPECT_EQ(ReadAll(Dir.File("first.bak")), "0011Anna\r\n");
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"first.bak", "first.dat", "resolved.dat", "second.dat"}));
}

TEST_F(ResolvedFile, ABaseThatDoesNotFitLeavesTheTargetAlone) {
    WriteAll(Dir.File("bad.dat"), "0011Anna\r\n001\r\n");
    WriteAll(Dir.File("resolved.dat"), "old");
    EXPECT_THROW(WriteResolvedFile(*S.Dictionary, Dir.File("bad.dat"), {}, Dir.File("resolved.dat"),
                                   {First()}),
                 EPXData);
    EXPECT_EQ(ReadAll(Dir.File("resolved.dat")), "old");
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"bad.dat", "first.dat", "resolved.dat", "second.dat"}));
}

}  // namespace
}  // namespace tallyra::core
