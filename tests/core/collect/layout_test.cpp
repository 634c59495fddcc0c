// SPDX-License-Identifier: GPL-3.0-or-later
// A survey's layout and values as the collection stores them, without a
// server: columns from the variable model, the layout that tells versions
// apart, field values, survey names and the binary COPY format.
#include <tuple>

#include <gtest/gtest.h>

#include "census.h"
#include "collect/copybinary.h"
#include "shell/errors.h"

namespace tallyra::core::testing {
namespace {

TEST(SurveyLayout, ColumnsAreTheVariableModelsNamesTypedByField) {
    const TCensus census;
    const TSurveyLayout& layout = *census.Layout;
    ASSERT_EQ(layout.Columns().size(), 11u);
    const std::pair<const char*, TColumnType> expected[] = {
        {"numer", TColumnType::Integer},  {"ankieter", TColumnType::Integer},
        {"woj", TColumnType::Text},       {"plec", TColumnType::Integer},
        {"wiek", TColumnType::Integer},   {"praca", TColumnType::Integer},
        {"zawod", TColumnType::Text},     {"osoby", TColumnType::Integer},
        {"dzieci", TColumnType::Integer}, {"dochod", TColumnType::BigInt},
        {"uwagi", TColumnType::Text}};
    for (size_t i = 0; i < layout.Columns().size(); ++i) {
        EXPECT_EQ(layout.Columns()[i].Name, expected[i].first) << i;
        EXPECT_EQ(layout.Columns()[i].Type, expected[i].second) << i;
    }
    EXPECT_EQ(layout.Columns()[1].Variable, "ANKIETER");
    EXPECT_EQ(layout.IdentifierColumn(), 0);
    EXPECT_EQ(layout.LineLength(), 120);
    EXPECT_EQ(layout.Text().substr(0, 68),
              "record 120\nNUMER 1 5 number recid\nANKIETER 6 3 number\nWOJ 9 20 text\n");
}

TEST(SurveyLayout, LabelsAndRangesAreNotPartOfTheLayoutButColumnsAre) {
    const std::string original = ReadAll(CensusScript);
    const auto layoutOf = [](const std::string& text) {
        TScript script(text);
        return TSurveyLayout(*script.Dictionary, "census").Text();
    };
    const auto changed = [&](const std::string& from, const std::string& to) {
        std::string text = original;
        text.replace(text.find(from), from.size(), to);
        return layoutOf(text);
    };
    const std::string base = layoutOf(original);
    EXPECT_EQ(changed("range=[0:120]", "range=[0:110]"), base);
    EXPECT_EQ(changed("'Wiek w latach'", "'Wiek'"), base);
    const std::string wider = changed("varname=zawod text width=30", "varname=zawod text width=31");
    EXPECT_NE(wider, base);
    EXPECT_EQ(LayoutDifference(base, wider),
              "Field 7: the database has \"ZAWOD 34 30 text\", the script \"ZAWOD 34 31 text\".");
    const std::string renamed = changed("varname=osoby", "varname=osob");
    EXPECT_EQ(LayoutDifference(base, renamed),
              "Field 8: the database has \"OSOBY 64 2 number\", the script \"OSOB 64 2 number\".");
    EXPECT_EQ(LayoutDifference(base, base), "");
}

TEST(SurveyLayout, RefusesABadSurveyNameAndRepeatedVariableNames) {
    TScript script(ReadAll(CensusScript));
    for (const char* name : {"", "Census", "census-2", "tallyra_surveys",
                             "a23456789012345678901234567890123456789012345678901234567"})
        EXPECT_THROW(TSurveyLayout(*script.Dictionary, name), EGeneric) << name;
    TScript repeated("left='a' varname=x width=1 auto=0*left='b' varname=x width=1 auto=0*");
    EXPECT_THROW(TSurveyLayout(*repeated.Dictionary, "s"), EGeneric);
}

TEST(SurveyLayout, SurveyNameFromTheScriptsFileName) {
    const std::pair<const char*, const char*> cases[] = {
        {"/data/Census.slo", "census"},
        {"spis-2026.sl", "spis_2026"},
        {"Spis ludności.slo", "spis_ludno__ci"},
        {"tallyra_x.slo", "survey_tallyra_x"},
        {".slo", "_slo"},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(SurveyNameFromScript(path), name) << path;
        EXPECT_EQ(SurveyNameProblem(SurveyNameFromScript(path)), "") << path;
    }
}

TEST(SurveyLayout, FieldValuesAsTheirColumnsStoreThem) {
    const TSurveyColumn number{"N", "n", 1, 5, TColumnType::Integer, false};
    const TSurveyColumn text{"T", "t", 1, 6, TColumnType::Text, false};
    // The stored value of each field, nullptr for NULL.
    const std::tuple<const TSurveyColumn*, std::string, const char*> cases[] = {
        {&number, "00042", "42"},
        {&number, "  -07", "-7"},
        {&number, "+0012", "12"},
        {&number, "-0000", "0"},
        {&number, "*****", nullptr},
        {&number, "     ", nullptr},
        {&number, "#####", nullptr},
        {&number, "12a45", nullptr},
        {&number, "1 2 3", nullptr},
        {&number, "    -", nullptr},
        {&text, "ab    ", "ab"},
        {&text, "      ", ""},
        {&text, "******", nullptr},
        {&text, "a\\nb  ", "a\r\nb"},
        {&text, Utf8ToCp1250("Łódź  "), "Łódź"},
        {&text, std::string("a\0b\x01  ", 6),
         "a\xEF\xBF\xBD"
         "b\x01"},
    };
    for (const auto& [column, field, value] : cases) {
        const auto got = ColumnValue(*column, field);
        if (value)
            EXPECT_EQ(got.value_or("<NULL>"), value) << field;
        else
            EXPECT_FALSE(got) << field;
    }
}

TEST(CopyBinary, RowsReadBackWhateverPiecesTheyArriveIn) {
    std::string data;
    TCopyBinaryWriter::Header(data);
    TCopyBinaryWriter::BeginRow(data, 3);
    TCopyBinaryWriter::Int4(data, -5);
    TCopyBinaryWriter::Null(data);
    TCopyBinaryWriter::Bytes(data, std::string("a\0'\\;\r\n", 7));
    TCopyBinaryWriter::BeginRow(data, 1);
    TCopyBinaryWriter::Int8(data, 1LL << 40);
    TCopyBinaryWriter::Trailer(data);
    for (size_t piece : {size_t(1), size_t(3), data.size()}) {
        TCopyBinaryReader reader;
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string_view> fields;
        std::vector<bool> null;
        for (size_t at = 0; at < data.size(); at += piece) {
            reader.Feed(std::string_view(data).substr(at, piece));
            while (reader.NextRow(fields, null)) {
                rows.emplace_back();
                for (size_t i = 0; i < fields.size(); ++i)
                    rows.back().push_back(null[i] ? "<NULL>" : std::string(fields[i]));
            }
        }
        ASSERT_TRUE(reader.Ended()) << piece;
        ASSERT_EQ(rows.size(), 2u) << piece;
        EXPECT_EQ(TCopyBinaryReader::ReadInt4(rows[0][0]), -5);
        EXPECT_EQ(rows[0][1], "<NULL>");
        EXPECT_EQ(rows[0][2], std::string("a\0'\\;\r\n", 7));
        EXPECT_EQ(TCopyBinaryReader::ReadInt8(rows[1][0]), 1LL << 40);
    }
    TCopyBinaryReader wrong;
    wrong.Feed(std::string("COPY 1\n\377\r\n\0\0\0\0\0\0\0\0\0", 19));
    std::vector<std::string_view> fields;
    std::vector<bool> null;
    EXPECT_THROW(wrong.NextRow(fields, null), EGeneric);
}

}  // namespace
}  // namespace tallyra::core::testing
