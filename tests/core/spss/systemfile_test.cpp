// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "shell/errors.h"
#include "spss/tvarcoll.h"
#include "testutil.h"

namespace tallyra::core {
namespace {

const std::string Fixtures = std::string(TALLYRA_SOURCE_DIR) + "/tests/core/spss/fixtures/";

std::string Describe(const TVar& v) {
    std::string text = v.Name + " " + std::to_string(v.Start) + "+" + std::to_string(v.Width) +
                       " " + v.Format + " '" + v.Label + "'";
    TVar copy = v;
    copy.Width = 30;
    for (const TVal& label : v.ValueLabels.Items)
        text += " [" + copy.FormatValue(label.Value) + "=" + label.Text + "]";
    if (v.MissingCount > 0) text += " (" + copy.MissingText() + ")";
    return text;
}

std::vector<std::string> DescribeAll(const TVarColl& vars) {
    std::vector<std::string> lines;
    for (const auto& v : vars.Items)
        lines.push_back(Describe(*v));
    return lines;
}

// The dictionary that make_sav.sps gives (PSPP widens INCOME's write format).
const std::vector<std::string> FixtureVars = {
    "SEX 1+1 F1 'Sex of respondent' [1=male] [2=female]",
    "AGE 2+3 F3 'Age in years' [0=none] (998, 999)",
    "CITY 5+20 A20 'City of O'Brien'",
    "INCOME 25+9 F9.2 '' (LOWEST thru .00)",
    "SCORE 34+2 F2 '' [0=none] (1 thru 5, 9)",
};

TEST(ReadSystemFile, FilesWrittenByPSPPUncompressedAndCompressed) {
    for (const char* name : {"plain.sav", "compressed.sav"}) {
        const TVarColl vars(Fixtures + name, 8);
        EXPECT_EQ(DescribeAll(vars), FixtureVars) << name;
    }
}

TEST(ReadSystemFile, LongNamesAndLabelsInTheFilesEncoding) {
    // make_utf8_sav.sps and make_cp1250_sav.sps (PSPP) write the same
    // dictionary in UTF-8 and in windows-1250; labels come out as 1250 bytes.
    const std::vector<std::string> expected = {
        "plec_respondenta 1+1 F1 'P\xB3"
        "e\xE6 respondenta' [1=m\xEA\xBF"
        "czyzna] [2=kobieta]",
        "dochod_gospodarstwa 2+11 F11 'Doch\xF3"
        "d gospodarstwa domowego' [0=brak dochodu] "
        "(99999999999)",
        "miasto_zamieszkania 13+20 A20 'Miasto zamieszkania (\xBF\xF3\xB3\xE6)'",
    };
    for (const char* name : {"utf8_long.sav", "cp1250_long.sav"}) {
        const TVarColl vars(Fixtures + name, 8);
        EXPECT_EQ(DescribeAll(vars), expected) << name;
    }
}

TEST(ReadSystemFile, EveryTruncationIsAClearError) {
    const std::string bytes = testing::ReadAll(Fixtures + "plain.sav");
    ASSERT_GT(bytes.size(), 600u);
    // Up to the end of the variable records (byte 516) every cut loses
    // something needed; later cuts between records may still give the set.
    for (size_t size = 0; size < 516; ++size) {
        TVarColl vars;
        EXPECT_THROW(vars.ReadSystemBytes(bytes.substr(0, size)), EGeneric) << size;
    }
    int complete = 0;
    for (size_t size = 516; size < bytes.size(); ++size) {
        TVarColl vars;
        try {
            vars.ReadSystemBytes(bytes.substr(0, size));
            EXPECT_EQ(vars.Count(), 5) << size;
            ++complete;
        } catch (const EGeneric&) {
        }
    }
    EXPECT_GT(complete, 0);
}

// A system file assembled field by field, little-endian unless `big`.
class TSavBuilder {
public:
    explicit TSavBuilder(bool big = false) : Big(big) {}
    TSavBuilder& Int(int32_t v) {
        for (int i = 0; i < 4; ++i)
            Bytes +=
                static_cast<char>((static_cast<uint32_t>(v) >> (8 * (Big ? 3 - i : i))) & 0xFF);
        return *this;
    }
    TSavBuilder& Float(double d) {
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        for (int i = 0; i < 8; ++i)
            Bytes += static_cast<char>((bits >> (8 * (Big ? 7 - i : i))) & 0xFF);
        return *this;
    }
    TSavBuilder& Raw(const std::string& text) {
        Bytes += text;
        return *this;
    }
    TSavBuilder& Header(int32_t caseSize, int32_t cases = 1, int32_t layout = 2) {
        std::string product = "$FL2@(#) SPSS DATA FILE MS WINDOWS RELEASE 7.5";
        product.resize(64, ' ');
        Raw(product).Int(layout).Int(caseSize).Int(0).Int(0).Int(cases);
        return Raw(std::string(8 + 17 + 64 + 3, '\0'));
    }
    // A variable record; type 1 formats are strings.
    TSavBuilder& Var(const std::string& name, int width, int type = 5, int missingCode = 0,
                     const std::vector<double>& missing = {}) {
        std::string padded = name;
        padded.resize(8, ' ');
        const int32_t format = (type << 16) | (width << 8);
        Int(2)
            .Int(type == 1 ? width : 0)
            .Int(0)
            .Int(missingCode)
            .Int(format)
            .Int(format)
            .Raw(padded);
        for (double d : missing)
            Float(d);
        return *this;
    }
    TSavBuilder& Labels(const std::vector<std::pair<double, std::string>>& labels,
                        const std::vector<int32_t>& indexes) {
        Int(3).Int(static_cast<int32_t>(labels.size()));
        for (const auto& [value, text] : labels) {
            Float(value);
            Bytes += static_cast<char>(text.size());
            Raw(text).Raw(std::string((8 - (1 + text.size()) % 8) % 8, ' '));
        }
        Int(4).Int(static_cast<int32_t>(indexes.size()));
        for (int32_t index : indexes)
            Int(index);
        return *this;
    }
    // The record that continues a string wider than 8 bytes.
    TSavBuilder& Continuation() {
        return Int(2).Int(-1).Int(0).Int(0).Int(0).Int(0).Raw("        ");
    }
    // An extension record of text (long names, the encoding...).
    TSavBuilder& Text(int32_t subtype, const std::string& text) {
        return Int(7).Int(subtype).Int(1).Int(static_cast<int32_t>(text.size())).Raw(text);
    }
    bool Big;
    std::string Bytes;
};

TEST(ReadSystemFile, DocumentsExtensionsRangesAndSharedLabels) {
    TSavBuilder sav;
    sav.Header(3)
        .Var("A", 2, 5, -3, {1, 5, 9})
        .Var("B", 3)
        .Var("C", 4, 5, 2, {98, 99})
        .Labels({{1, "one"}, {2, "two"}}, {1, 3})
        .Int(6)
        .Int(2)
        .Raw(std::string(160, 'd'))  // two document lines
        .Int(7)
        .Int(3)
        .Int(4)
        .Int(8)
        .Raw(std::string(32, 'x'))  // an extension record
        .Int(999)
        .Int(0)
        .Raw("case data that is never read");
    TVarColl vars;
    vars.ReadSystemBytes(sav.Bytes);
    EXPECT_EQ(DescribeAll(vars),
              (std::vector<std::string>{"A 1+2 F2 '' [1=one] [2=two] (1 thru 5, 9)", "B 3+3 F3 ''",
                                        "C 6+4 F4 '' [1=one] [2=two] (98, 99)"}));
}

// Machines that store numbers the other way round write big-endian files;
// their layout code shows it, and they read as their little-endian twins.
// PSPP reads the big-endian one too, so it is a real system file.
TEST(ReadSystemFile, BigEndianFilesReadAsLittleEndianOnes) {
    std::vector<std::string> read;
    for (const bool big : {false, true}) {
        TSavBuilder sav(big);
        sav.Header(4)
            .Var("A", 2, 5, -3, {1, 5, 9})
            .Var("S", 9, 1)
            .Continuation()
            .Var("C", 4, 5, 2, {98, 99})
            .Labels({{1, "one"}, {2, "two"}}, {1, 4})
            .Text(20, "UTF-8")
            .Int(999)
            .Int(0)
            .Float(3)
            .Raw("abcdefghijklmnop")
            .Float(7);
        TVarColl vars;
        vars.ReadSystemBytes(sav.Bytes);
        const std::vector<std::string> described = DescribeAll(vars);
        EXPECT_EQ(described, (std::vector<std::string>{"A 1+2 F2 '' [1=one] [2=two] (1 thru 5, 9)",
                                                       "S 3+9 A9 ''",
                                                       "C 12+4 F4 '' [1=one] [2=two] (98, 99)"}))
            << (big ? "big-endian" : "little-endian");
        if (!big) continue;
        // Cut anywhere, the big-endian file still gives a clear error or the set.
        for (size_t size = 0; size < sav.Bytes.size(); ++size) {
            TVarColl cut;
            try {
                cut.ReadSystemBytes(sav.Bytes.substr(0, size));
                // Cut between records: what came before them.
                ASSERT_EQ(cut.Count(), 3) << size;
                EXPECT_EQ(cut.Get(2)->Name, "C") << size;
            } catch (const EGeneric& e) {
                EXPECT_TRUE(std::string(e.Text()).starts_with("Invalid SPSS system file: "))
                    << size << ": " << e.Text();
            }
        }
        ASSERT_EQ(std::system("pspp --version > /dev/null 2>&1"), 0) << "pspp is not installed";
        testing::TScratch dir;
        testing::WriteAll(dir / "big.sav", sav.Bytes);
        testing::WriteAll(dir / "r.sps",
                          "GET FILE='" + dir / "big.sav" + "'.\nDISPLAY DICTIONARY.\n");
        const std::string command =
            "pspp -o '" + dir / "r.csv" + "' '" + dir / "r.sps" + "' > '" + dir / "log" + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << testing::ReadAll(dir / "log");
        const std::string listing = testing::ReadAll(dir / "r.csv");
        EXPECT_NE(listing.find("\ns,2,"), std::string::npos) << listing;
        EXPECT_NE(listing.find("\nc,3,"), std::string::npos) << listing;
        EXPECT_NE(listing.find("98; 99"), std::string::npos) << listing;
    }
}

// Names are texts of the file's encoding like labels: a long name and a
// short name alike come out as code page 1250 (the 8-byte short name of
// zażółć ends inside a letter; its long name mends it). Value labels and
// missing values of a string are texts the model cannot hold: they are left
// out, and the set says so.
TEST(ReadSystemFile, PolishNamesAndTheStringValuesLeftOut) {
    const TVarColl vars(Fixtures + "polish.sav", 8);  // make_polish_sav.sps
    EXPECT_EQ(DescribeAll(vars),
              (std::vector<std::string>{"za\xBF\xF3\xB3\xE6 1+2 F2 'G\xEA\x9Cl\xB9 ja\x9F\xF1' "
                                        "[1=tak] [2=nie]",
                                        "wiek 3+3 F3 '' (999)", "miasto 6+8 A8 'Miasto'"}));
    EXPECT_EQ(vars.StringValuesLeftOut, std::vector<std::string>{"miasto"});

    TSavBuilder sav;
    sav.Header(1).Var("Z\xC5\xBB", 1).Text(20, "UTF-8").Int(999).Int(0);
    TVarColl shortName;
    shortName.ReadSystemBytes(sav.Bytes);
    ASSERT_EQ(shortName.Count(), 1);
    EXPECT_EQ(shortName.Get(0)->Name, "Z\xAF");
    EXPECT_TRUE(TVarColl::IsValidName("Z\xAF"));
}

TEST(ReadSystemFile, BadHeadersAndRecordsAreClearErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {TSavBuilder().Header(1, -1).Var("A", 1).Int(999).Int(0).Bytes, "invalid header"},
        {TSavBuilder().Header(1, 1, 4).Var("A", 1).Int(999).Int(0).Bytes, "invalid header"},
        {TSavBuilder().Header(-1).Int(999).Int(0).Bytes, "invalid header"},
        {TSavBuilder().Header(2000000000).Var("A", 1).Bytes, "too many variables or labels"},
        {TSavBuilder().Header(1).Var("A", 1, 5, 4).Bytes, "invalid variable record"},
        {TSavBuilder().Header(1).Var("A", 0).Bytes, "invalid variable record"},
        {TSavBuilder().Header(1).Var("A", 1).Int(3).Int(-5).Bytes, "invalid value label record"},
        {TSavBuilder().Header(1).Var("A", 1).Int(3).Int(2000000000).Bytes,
         "too many variables or labels"},
        {TSavBuilder().Header(1).Var("A", 1).Labels({{1, "x"}}, {2}).Bytes,
         "invalid value label record"},
        {TSavBuilder().Header(1).Var("A", 1).Int(7).Int(3).Int(-1).Int(1).Bytes, "invalid record"},
        {TSavBuilder().Header(1).Var("A", 1).Int(7).Int(3).Int(1000000).Int(1000000).Bytes,
         "the file ends too early"},
        {TSavBuilder().Header(1).Var("A", 1).Int(5).Bytes, "invalid record"},
        {TSavBuilder().Header(2).Var("A", 1).Bytes, "the file ends too early"},
        {"$FL2@(#) SPSS DATA FILE", "the file ends too early"},
        {std::string(200, 'x'), "invalid header"},
    };
    for (const auto& [bytes, reason] : cases) {
        TVarColl vars;
        try {
            vars.ReadSystemBytes(bytes);
            ADD_FAILURE() << reason;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), "Invalid SPSS system file: " + reason + ".");
        }
    }
}

}  // namespace
}  // namespace tallyra::core
