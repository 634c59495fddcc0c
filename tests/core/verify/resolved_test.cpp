// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the resolved file of an adjudication: the chosen values in place,
// the ".bak" rule for an existing target, and the refusals that keep the
// compared files safe.
#include <algorithm>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/data/data_fixture.h"
#include "data/datafile.h"
#include "shell/langtext.h"
#include "verify/datacompare.h"
#include "verify/resolvedfile.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TScript;
using testing::TTempDir;
using testing::WriteAll;

// A value given by hand: no record check, not forced.
TResolvedValue Value(int32_t record, int32_t field, std::string text) {
    TResolvedValue v;
    v.Record = record;
    v.FieldIndex = field;
    v.Text = std::move(text);
    return v;
}

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
        ResolveDifference(r.Differences[1], r.By, true, r.Differences[1].First),
        ResolveDifference(r.Differences[0], r.By, true, r.Differences[0].Second),
        Value(3, 2, "Ewka"),
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
                      {ResolveDifference(r.Differences[1], r.By, false, "2"), Value(1, 2, "Jo")},
                      target, {First(), Second()});
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
         {Value(4, 1, "1")},
         ok,
         "There is no field 1 in record 4 of the file \"" + First() + "\"."},
        {"comment or missing instruction",
         {Value(1, 3, "1")},
         ok,
         "There is no field 3 in record 1 of the file \"" + First() + "\"."},
        {"number shorter than its field",
         {Value(1, 0, "1")},
         ok,
         "The value \"1\" does not fit field 0 (3 characters) of record 1."},
        {"text longer than its field",
         {Value(1, 2, "Annabel")},
         ok,
         "The value \"Annabel\" does not fit field 2 (4 characters) of record 1."},
        {"line break in a number",
         {Value(1, 1, "\r")},
         ok,
         "The value \"\r\" does not fit field 1 (1 characters) of record 1."},
        {"two values for one field",
         {Value(2, 1, "1"), Value(1, 1, "2"), Value(2, 1, "2")},
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

// A chosen value passes the field's rules as in entry: typed numbers are
// padded with zeros, what is no number is refused, a number outside the
// range asks to be forced.
TEST(ChosenValue, GoesThroughTheFieldsOwnRules) {
    SetCurrentLanguage(LangEnglish);
    TScript s(
        "left='id' width=3 recid*\r\n"
        "left='Cars' width=2 range=[0:20]*\r\n"
        "left='Name' text width=4*\r\n"
        "left='Kind' width=1 range=[1:3] auto=2*\r\n");
    const TPXInstructionList& list = s.Dictionary->Instructions;
    const std::string longer2 = "The value is longer than the field (2 characters).";
    const std::string invalid = "Invalid value.";
    const std::string outside = "Value out of range [0:20], not forced.";
    const struct {
        int32_t Field;
        const char* Text;
        bool Typed;
        TChosenKind Kind;
        const char* Result;  // the field's characters, or the reason
    } cases[] = {
        {1, "7", true, TChosenKind::Valid, "07"},
        {1, " 7 ", true, TChosenKind::Valid, "07"},
        {1, "20", true, TChosenKind::Valid, "20"},
        {1, " 7", false, TChosenKind::Valid, " 7"},
        {1, "##", false, TChosenKind::Valid, "##"},
        {1, "ab", true, TChosenKind::Invalid, invalid.c_str()},
        {1, "1 2", true, TChosenKind::Invalid, longer2.c_str()},
        {1, "  ", false, TChosenKind::Invalid, invalid.c_str()},
        {1, "7 ", false, TChosenKind::Invalid, invalid.c_str()},
        {1, "99", true, TChosenKind::OutOfRange, outside.c_str()},
        {1, "-5", true, TChosenKind::OutOfRange, outside.c_str()},
        {2, "Ola", true, TChosenKind::Valid, "Ola "},
        {2, "A\r\nB", true, TChosenKind::Valid, "A\\nB"},
        {2, "Annabel", true, TChosenKind::Invalid,
         "The value is longer than the field (4 characters)."},
        {3, "2", false, TChosenKind::Valid, "2"},
        {3, "4", true, TChosenKind::OutOfRange, "Value out of range [1:3], not forced."},
    };
    for (const auto& c : cases) {
        const TChosenCheck check = CheckChosenValue(*list.Field(c.Field), c.Text, c.Typed);
        EXPECT_EQ(check.Kind, c.Kind) << c.Text;
        EXPECT_EQ(c.Kind == TChosenKind::Valid ? check.Text : check.Reason, c.Result) << c.Text;
    }
    const TChosenCheck force = CheckChosenValue(*list.Field(1), "99", true);
    EXPECT_EQ(force.Text, "99");
    EXPECT_EQ(force.Question, "Value out of range\r\n[0:20].\r\n\r\nForce value?");
}

const char* const RangeScript =
    "left='id' width=3 recid*\r\n"
    "left='Cars' width=2 range=[0:20]*\r\n";

TEST(ResolvedValues, ANumberBreakingItsRulesIsRefusedAndAForcedOneCounted) {
    SetCurrentLanguage(LangEnglish);
    TScript s(RangeScript);
    TTempDir dir;
    WriteAll(dir.File("first.dat"), "00102\r\n00203\r\n");
    WriteAll(dir.File("second.dat"), "00112\r\n00203\r\n");
    const std::string target = dir.File("resolved.dat");
    const struct {
        TResolvedValue Value;
        std::string Text;
    } refused[] = {
        {Value(1, 1, "ab"),
         "The value \"ab\" of field 1 in record 1 breaks the field's rules: Invalid value."},
        {Value(1, 1, "99"),
         "The value \"99\" of field 1 in record 1 breaks the field's rules: "
         "Value out of range [0:20], not forced."},
    };
    for (const auto& c : refused) {
        std::string text;
        try {
            WriteResolvedFile(*s.Dictionary, dir.File("first.dat"), {c.Value}, target,
                              {dir.File("first.dat"), dir.File("second.dat")});
        } catch (const EGeneric& e) {
            text = e.Text();
        }
        EXPECT_EQ(text, c.Text);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    TResolvedValue forced = Value(2, 1, "99");
    forced.Forced = true;
    const TResolvedSummary summary =
        WriteResolvedFile(*s.Dictionary, dir.File("first.dat"), {Value(1, 1, "12"), forced}, target,
                          {dir.File("first.dat"), dir.File("second.dat")});
    EXPECT_EQ(ReadAll(target), "00112\r\n00299\r\n");
    EXPECT_EQ(summary.Records, 2);
    EXPECT_EQ(summary.Values, 2);
    EXPECT_EQ(summary.Forced, 1);
}

// The keyings as they were compared are what the resolved file is made of:
// reordered records, or files written meanwhile, are refused.
TEST_F(ResolvedFile, RecordsThatChangedSinceTheComparisonAreRefused) {
    TComparedFiles held(First(), Second());
    const TComparisonResult r =
        CompareDataFiles(*S.Dictionary, First(), Second(), TPairBy::Identifier);
    ASSERT_EQ(r.Differences.size(), 2u);
    const std::vector<TResolvedValue> values = {
        ResolveDifference(r.Differences[0], r.By, true, r.Differences[0].Second),
        ResolveDifference(r.Differences[1], r.By, true, r.Differences[1].Second),
    };
    const std::string target = Dir.File("resolved.dat");
    const auto attempt = [&](const TComparedFiles* files) {
        try {
            WriteResolvedFile(*S.Dictionary, First(), values, target, {First(), Second()}, files);
        } catch (const EGeneric& e) {
            return e.Text();
        }
        return std::string("written");
    };
    // Another program (no store: the lock keeps those out) swapped the first
    // two questionnaires of the first keying.
    WriteAll(First(), "0022Olek\r\n0011Anna\r\n0031Ewa \r\n");
    const std::string moved = "Record 1 of the file \"" + First() +
                              "\" is not the record that was compared: the file has changed "
                              "since the comparison. Nothing was written; compare the files again.";
    EXPECT_EQ(attempt(nullptr), moved);
    // The same identifier, another value in the compared field.
    WriteAll(First(), "0011Anna\r\n0023Olek\r\n0031Ewa \r\n");
    EXPECT_EQ(attempt(nullptr), "Record 2 of the file \"" + First() +
                                    "\" is not the record that was compared: the file has "
                                    "changed since the comparison. Nothing was written; compare "
                                    "the files again.");
    // Back as compared, but the second keying grew a record.
    WriteAll(First(), "0011Anna\r\n0022Olek\r\n0031Ewa \r\n");
    WriteAll(Second(), "0011Ania\r\n0021Olek\r\n0031Ewa \r\n0041Ola \r\n");
    EXPECT_EQ(attempt(nullptr), "written");
    std::filesystem::remove(target);
    EXPECT_EQ(attempt(&held), "The file \"" + First() +
                                  "\" has changed since the comparison. Nothing was written; "
                                  "compare the files again.");
    EXPECT_EQ(Names(), (std::vector<std::string>{"first.dat", "second.dat"}));
}

TEST_F(ResolvedFile, TheComparedFilesStayLockedAgainstStores) {
    const auto storeOpens = [](const std::string& path) {
        TDataFile store;
        try {
            store.Open(path);
        } catch (const EGeneric& e) {
            return e.Text();
        }
        return std::string("opened");
    };
    {
        TComparedFiles held(First(), Second());
        const std::string inUse = "File access denied - possibly in use by another application.";
        EXPECT_EQ(storeOpens(First()), inUse);
        EXPECT_EQ(storeOpens(Second()), inUse);
        held.CheckUnchanged();
    }
    EXPECT_EQ(storeOpens(First()), "opened");
    // A file a store holds cannot be compared.
    TDataFile store;
    store.Open(Second());
    std::string text;
    try {
        TComparedFiles held(First(), Second());
    } catch (const EGeneric& e) {
        text = e.Text();
    }
    EXPECT_EQ(text, Second() + ": File access denied - possibly in use by another application.");
}

}  // namespace
}  // namespace tallyra::core
