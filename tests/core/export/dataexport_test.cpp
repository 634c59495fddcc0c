// SPDX-License-Identifier: GPL-3.0-or-later
// The data set export: reading numeric fields, the CSV writer, and the
// export's refusals, which must leave no output behind.
#include "export/dataexport.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include <gtest/gtest.h>

#include "../otherprocesslock.h"
#include "../spss/testutil.h"
#include "export/atomicoutput.h"
#include "export/csvwriter.h"
#include "export/tdatasetwriter.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"
#include "shell/fdio.h"
#include "shell/langtext.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TScratch;
using testing::WriteAll;

// A file created for writing, closed at scope exit.
struct TFdGuard {
    explicit TFdGuard(const std::string& name)
        : Fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {}
    ~TFdGuard() { ::close(Fd); }
    int Fd;
};

TEST(ReadExportNumber, ReadsFieldsAsTheDataEngineWritesThem) {
    struct TCase {
        const char* Field;
        std::optional<bool> Read;
        double Value;
    };
    const TCase cases[] = {
        {"0034", true, 34},       {"  12", true, 12}, {"-5", true, -5},
        {"-000", true, 0},        {"+7", true, 7},    {"12345678901", true, 12345678901.0},
        {"   ", std::nullopt, 0},  // blank: system-missing
        {"***", std::nullopt, 0},  // never entered
        {"###", std::nullopt, 0},  // undefined
        {"12 ", false, 0},        {"1 2", false, 0},  {"1.5", false, 0},
        {"-", false, 0},          {"#1", false, 0},   {"1e5", false, 0},
    };
    for (const TCase& c : cases) {
        double value = -1;
        const std::optional<bool> read = ReadExportNumber(c.Field, value);
        EXPECT_EQ(read, c.Read) << c.Field;
        if (read && *read) {
            EXPECT_EQ(value, c.Value) << c.Field;
            EXPECT_EQ(std::signbit(value), c.Value < 0) << c.Field;  // no "-0" for "-000"
        }
    }
}

TEST(DataSetFormat, ComesFromTheWordOrTheExtension) {
    EXPECT_EQ(DataSetFormatFromName("a/b.sav"), TDataSetFormat::Sav);
    EXPECT_EQ(DataSetFormatFromName("b.ZSAV"), TDataSetFormat::Zsav);
    EXPECT_EQ(DataSetFormatFromName("b.por"), TDataSetFormat::Por);
    EXPECT_EQ(DataSetFormatFromName("b.dta"), TDataSetFormat::Dta);
    EXPECT_EQ(DataSetFormatFromName("b.csv"), TDataSetFormat::Csv);
    EXPECT_EQ(DataSetFormatFromName("b.dat"), std::nullopt);
    EXPECT_EQ(DataSetFormatFromName("sav"), std::nullopt);
    EXPECT_EQ(DataSetFormatFromWord("Csv"), TDataSetFormat::Csv);
}

TEST(DataSetText, PortableFilesGetBaseLetters) {
    // "Łódź, żółć" in code page 1250.
    EXPECT_EQ(DataSetText(TDataSetEncoding::Ascii, "\xA3\xF3\x64\x9F, \xBF\xF3\xB3\xE6"),
              "Lodz, zolc");
    EXPECT_EQ(DataSetText(TDataSetEncoding::Ascii, "two\r\nlines\x80"), "two  lines?");
    EXPECT_EQ(DataSetText(TDataSetEncoding::Utf8, "\xA3\xF3\x64\x9F"), "Łódź");
}

TEST(CsvWriter, QuotesWhatNeedsQuotingAndWritesLabelsOnRequest) {
    TScratch dir;
    std::vector<TDataSetColumn> columns(2);
    columns[0].Name = "Q1";
    columns[0].ValueLabels = {{"tak", 1}, {"n\"ie", 2}};
    columns[1].Name = "CITY";
    columns[1].IsString = true;
    for (const bool labels : {false, true}) {
        const std::string name = dir / (labels ? "l.csv" : "c.csv");
        {
            TFdGuard file(name);
            TDataSetWriterOptions o;
            o.CsvValueLabels = labels;
            auto writer = CreateCsvWriter(file.Fd, o);
            writer->Begin(columns, 3);
            writer->Number(1);
            writer->Text("\xA3\xF3\x64\x9F, centrum");
            writer->EndRow();
            writer->Number(2);
            writer->Text("line\r\nbreak");
            writer->EndRow();
            writer->Missing();
            writer->Text("");
            writer->EndRow();
            writer->Finish();
        }
        EXPECT_EQ(ReadAll(name),
                  labels ? "\xEF\xBB\xBFQ1,CITY\r\ntak,\"Łódź, centrum\"\r\n\"n\"\"ie\",\"line\r\n"
                           "break\"\r\n,\r\n"
                         : "\xEF\xBB\xBFQ1,CITY\r\n1,\"Łódź, centrum\"\r\n2,\"line\r\nbreak\"\r\n,"
                           "\r\n");
    }
}

// A spreadsheet runs a cell beginning with "=", "+", "-", "@", a tab or a
// CR as a formula: such texts (and value labels written for codes) get an
// apostrophe, plain numbers do not, and --raw writes texts exactly.
TEST(CsvWriter, KeepsSpreadsheetsFromRunningTextsAsFormulas) {
    TScratch dir;
    std::vector<TDataSetColumn> columns(2);
    columns[0].Name = "Q1";
    columns[0].ValueLabels = {{"=1+1", 1}, {"-minus", 2}, {"plain", 3}};
    columns[1].Name = "T";
    columns[1].IsString = true;
    const char* const texts[] = {
        "=HYPERLINK(\"http://x\",\"y\")",
        "=cmd|' /C calc'!A0",
        "+48 600 100 200",
        "-5",
        "+3.5",
        "-0,5",
        "-5a",
        "-",
        "@SUM(A1)",
        "\tx",
        "\rx",
        "'=x",
        "'abc",
        "a=b",
        "",
    };
    const std::string guarded[] = {
        "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"",
        "'=cmd|' /C calc'!A0",
        "'+48 600 100 200",
        "-5",
        "+3.5",
        "\"-0,5\"",
        "'-5a",
        "'-",
        "'@SUM(A1)",
        "'\tx",
        "\"'\rx\"",
        "''=x",
        "'abc",
        "a=b",
        "",
    };
    for (const bool raw : {false, true}) {
        const std::string name = dir / (raw ? "raw.csv" : "safe.csv");
        {
            TFdGuard file(name);
            TDataSetWriterOptions o;
            o.CsvValueLabels = true;
            o.CsvRaw = raw;
            auto writer = CreateCsvWriter(file.Fd, o);
            writer->Begin(columns, 15);
            int n = 0;
            for (const char* t : texts) {
                const double codes[] = {1, 2, 3, -3};
                writer->Number(codes[n++ % 4]);
                writer->Text(t);
                writer->EndRow();
            }
            writer->Finish();
        }
        std::string want = "\xEF\xBB\xBFQ1,T\r\n";
        int n = 0;
        for (size_t i = 0; i < std::size(texts); ++i) {
            const char* const labels[] = {raw ? "=1+1" : "'=1+1", raw ? "-minus" : "'-minus",
                                          "plain", "-3"};
            std::string cell = raw ? texts[i] : guarded[i];
            if (raw && cell.find_first_of(",\"\r\n") != std::string::npos) {
                std::string quoted = "\"";
                for (const char c : cell)
                    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
                cell = quoted + "\"";
            }
            want += std::string(labels[n++ % 4]) + "," + cell + "\r\n";
        }
        EXPECT_EQ(ReadAll(name), want) << (raw ? "raw" : "guarded");
    }
    EXPECT_EQ(CsvSafeText("=x"), "'=x");
    EXPECT_EQ(CsvSafeText("Jan"), "Jan");
}

class DataExport : public ::testing::Test {
protected:
    void SetUp() override {
        SetCurrentLanguage(LangEnglish);
        WriteAll(Dir / "s.slo",
                 "left='Age' width=3 range=[0:120] auto=0*\r\nleft='City' text width=6 auto='\\ '*"
                 "\r\n");
        Script = std::make_unique<TPXDictionary>(Dir / "s.slo", Messages);
        ASSERT_EQ(Messages.CountKinds({mkError}), 0);
        Vars = std::make_unique<TVarColl>(Dir / "s.slo", 8);
    }
    TDataExportSummary Export(const std::string& data, const std::string& target,
                              const TDataExportOptions& options) {
        return ExportDataSet(*Script, *Vars, data, target, options);
    }
    TScratch Dir;
    TPXMessageList Messages;
    std::unique_ptr<TPXDictionary> Script;
    std::unique_ptr<TVarColl> Vars;
};

TEST_F(DataExport, RefusesAValueThatIsNoNumberAndLeavesNoOutput) {
    WriteAll(Dir / "d.dat", "034Paris \r\n0x5Rome  \r\n");
    WriteAll(Dir / "out.csv", "keep me");
    TDataExportOptions options;
    options.Format = TDataSetFormat::Csv;
    try {
        Export(Dir / "d.dat", Dir / "out.csv", options);
        FAIL() << "no error";
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "Record 2, variable AGE: \"0x5\" is not a number.");
    }
    EXPECT_EQ(ReadAll(Dir / "out.csv"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path), {}),
              3);  // no temporary left

    options.Lenient = true;
    const TDataExportSummary summary = Export(Dir / "d.dat", Dir / "out.csv", options);
    EXPECT_EQ(summary.LenientValues, 1);
    EXPECT_EQ(summary.Records, 2);
    EXPECT_EQ(ReadAll(Dir / "out.csv"),
              "\xEF\xBB\xBF"
              "AGE,CITY\r\n34,Paris\r\n,Rome\r\n");
}

TEST_F(DataExport, ChoosesFieldsAndRecordsAndSkipsTheIncompleteRecord) {
    WriteAll(Dir / "d.dat", "001Ab    \r\n002Cd    \r\n003Ef    \r\n004G");
    TDataExportOptions options;
    options.Format = TDataSetFormat::Csv;
    options.Fields = {1};
    options.Records = std::vector<int64_t>{1, 3, 4};
    const TDataExportSummary summary = Export(Dir / "d.dat", Dir / "out.csv", options);
    EXPECT_EQ(summary.Records, 2);
    EXPECT_EQ(ReadAll(Dir / "out.csv"),
              "\xEF\xBB\xBF"
              "CITY\r\nAb\r\nEf\r\n");
}

TEST_F(DataExport, RefusesDataThatDoesNotFitAndTheDataFileAsTarget) {
    WriteAll(Dir / "d.dat", "001Ab    \r\n002Cd   \r\n\r\n");
    TDataExportOptions options;
    options.Format = TDataSetFormat::Sav;
    EXPECT_THROW(Export(Dir / "d.dat", Dir / "out.sav", options), EPXData);
    EXPECT_FALSE(std::filesystem::exists(Dir / "out.sav"));
    EXPECT_THROW(Export(Dir / "d.dat", Dir / "d.dat", options), EGeneric);
    EXPECT_EQ(ReadAll(Dir / "d.dat"), "001Ab    \r\n002Cd   \r\n\r\n");
    WriteAll(Dir / "e.dat", "");
    EXPECT_THROW(Export(Dir / "e.dat", Dir / "out.sav", options), EGeneric);
    EXPECT_FALSE(std::filesystem::exists(Dir / "out.sav"));
}

// Failures name their file: a full disk names the output, a data file cut
// while it is read names the data file; nothing is left behind.
TEST_F(DataExport, FailuresNameTheFileTheyHappenedTo) {
    std::string data;
    for (int r = 0; r < 3; ++r)
        data += "034Paris \r\n";
    WriteAll(Dir / "d.dat", data);
    for (const TDataSetFormat format : {TDataSetFormat::Csv, TDataSetFormat::Sav}) {
        TDataExportOptions options;
        options.Format = format;
        const std::string target = Dir / (format == TDataSetFormat::Csv ? "o.csv" : "o.sav");
        SetWriteFault(1, ENOSPC);
        std::string text;
        try {
            Export(Dir / "d.dat", target, options);
        } catch (const EGeneric& e) {
            text = e.Text();
        }
        SetWriteFault(0, 0);
        EXPECT_EQ(text, target + ": Probably disk out of space.");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.Path), {}), 2);
    }
    // 700 000 records of one field: more than one read, so the file can be
    // cut under the export when the first progress report comes.
    WriteAll(Dir / "n.slo", "left='Q' width=1 auto=1*\r\n");
    TPXMessageList messages;
    const TPXDictionary script(Dir / "n.slo", messages);
    TVarColl vars(Dir / "n.slo", 8);
    std::string many;
    for (int r = 0; r < 700000; ++r)
        many += "1\r\n";
    WriteAll(Dir / "n.dat", many);
    TDataExportOptions options;
    options.Format = TDataSetFormat::Csv;
    options.Progress = [&](int64_t done, int64_t) {
        if (done < 700000) ::truncate((Dir / "n.dat").c_str(), 30);
    };
    std::string text;
    try {
        ExportDataSet(script, vars, Dir / "n.dat", Dir / "n.csv", options);
    } catch (const EGeneric& e) {
        text = e.Text();
    }
    EXPECT_EQ(text,
              Dir / "n.dat" +
                  ": The file became shorter while it was read (another program changed it).");
    EXPECT_FALSE(std::filesystem::exists(Dir / "n.csv"));
}

// A killed export leaves its hidden temporary; the next export of the same
// output removes those no process holds. One being written (locked), and
// names of any other shape, stay.
TEST_F(DataExport, StaleTemporariesOfTheSameOutputGoWhenItIsWrittenAgain) {
    WriteAll(Dir / "d.dat", "034Paris \r\n");
    const char* const stale[] = {".o.csv.tmp.Ab12Cd", ".o.csv.tmp.zzzzzz"};
    const char* const kept[] = {".o.csv.tmp.Ab12C", ".o.csv.tmp.Ab-2Cd", ".p.csv.tmp.Ab12Cd",
                                ".o.csv.Ab12Cd", "o.csv.tmp.Ab12Cd.keep"};
    for (const char* name : stale)
        WriteAll(Dir / name, "half an export");
    for (const char* name : kept)
        WriteAll(Dir / name, "");
    WriteAll(Dir / ".o.csv.tmp.InUse1", "");
    const testing::TOtherProcessLock writing(Dir / ".o.csv.tmp.InUse1", LOCK_EX);
    ASSERT_TRUE(writing.Taken);
    TDataExportOptions options;
    options.Format = TDataSetFormat::Csv;
    Export(Dir / "d.dat", Dir / "o.csv", options);
    for (const char* name : stale)
        EXPECT_FALSE(std::filesystem::exists(Dir / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(Dir / name)) << name;
    EXPECT_TRUE(std::filesystem::exists(Dir / ".o.csv.tmp.InUse1"));
    // Two writers of one output at once: the second leaves the first's
    // temporary alone.
    TAtomicOutput first(Dir / "o.csv");
    TAtomicOutput second(Dir / "o.csv");
    int temporaries = 0;
    for (const auto& e : std::filesystem::directory_iterator(Dir.Path))
        temporaries += e.path().filename().string().starts_with(".o.csv.tmp.") &&
                       e.path().filename() != ".o.csv.tmp.InUse1";
    EXPECT_EQ(temporaries, 2 + 2);  // the two writers' and two kept names of that start
}

TEST_F(DataExport, SaysWhenTheIncompleteLastRecordIsLeftOut) {
    TDataExportOptions options;
    options.Format = TDataSetFormat::Csv;
    const struct {
        const char* Data;
        bool LeftOut;
    } cases[] = {
        {"001Ab    \r\n004G", true},
        {"001Ab    \r\n\x1a", false},  // an old end-of-file mark
        {"001Ab    \r\n", false},
    };
    for (const auto& c : cases) {
        WriteAll(Dir / "d.dat", c.Data);
        const TDataExportSummary summary = Export(Dir / "d.dat", Dir / "out.csv", options);
        EXPECT_EQ(summary.Records, 1);
        EXPECT_EQ(summary.IncompleteLeftOut, c.LeftOut) << c.Data;
    }
}

// The viewer has only the read script: its variable set, rebuilt from the
// field definitions, must be the one the script's text gives, or its exports
// would name and label the variables differently from Studio's.
TEST(DictionaryVars, AreTheVariablesOfTheScriptText) {
    const char* const scripts[] = {
        TALLYRA_SOURCE_DIR "/examples/household.slo",
        nullptr,  // the fixture below
    };
    TScratch dir;
    WriteAll(dir / "pl.slo",
             "left='Województwo' width=2 range=[1:16] varlab='Województwo zamieszkania' "
             "vallab=[1 'dolnośląskie' 2 'kujawsko-pomorskie']*\r\n"
             "left='Dochód' width=11 range=[0:999999999]*\r\n"
             "left='Uwagi' text width=20 auto='\\ '*\r\n"
             "left='Dochód' width=3 range=[0:999]*\r\n");
    for (const char* file : scripts) {
        const std::string name = file ? std::string(file) : std::string(dir / "pl.slo");
        TPXMessageList messages;
        TPXDictionary script(name, messages);
        ASSERT_EQ(messages.CountKinds({mkError}), 0) << name << ": " << messages.FormatItem(0);
        TVarColl fromText(name, 8);
        const auto fromScript = BuildDictionaryVars(script, 8);
        const TSPSExportOptions options;
        // Same name in two folders: the syntax names its data file.
        std::filesystem::create_directories(dir / "a");
        std::filesystem::create_directories(dir / "b");
        WriteSPSExport(fromText, dir / "a/out.sps", options);
        WriteSPSExport(*fromScript, dir / "b/out.sps", options);
        std::string fromTextSyntax = ReadAll(dir / "a/out.sps");
        std::string fromScriptSyntax = ReadAll(dir / "b/out.sps");
        const size_t at = fromTextSyntax.find("/a/out.dat");
        ASSERT_NE(at, std::string::npos) << fromTextSyntax;
        fromTextSyntax.replace(at, 3, "/b/");
        EXPECT_EQ(fromScriptSyntax, fromTextSyntax) << name;
        if (!file) {
            EXPECT_NE(fromTextSyntax.find("VALUE LABELS"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tallyra::core
