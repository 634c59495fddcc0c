// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra subset` on the bundled example.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "shell/langtext.h"
#include "subsetcommand.h"

namespace tallyra::cli {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class SubsetCommand : public ::testing::Test {
protected:
    void SetUp() override {
        core::SetCurrentLanguage(core::LangEnglish);
        Dir = fs::temp_directory_path() / ("tallyra_subset_" + std::to_string(::getpid()));
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }
    int Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunSubset(args, out, err);
        Out = out.str();
        Err = err.str();
        return status;
    }
    const std::string Script = std::string(TALLYRA_SOURCE_DIR) + "/examples/household.slo";
    const std::string Data = std::string(TALLYRA_SOURCE_DIR) + "/examples/household.dat";
    fs::path Dir;
    std::string Out, Err;
};

TEST_F(SubsetCommand, SavesChosenFieldsOfChosenRecords) {
    const std::string out = (Dir / "part.dat").string();
    ASSERT_EQ(Run({Script, Data, out, "--fields", "cartype, 1", "--records", "1,3-"}), 0) << Err;
    EXPECT_EQ(Out, "Selected:\n               2 of 5 fields,\n               3 of 4 records.\n");
    // Fields keep the script's order whatever order they were named in.
    const std::string data = ReadAll(out);
    const std::string full = ReadAll(Data);
    const size_t line = 54;  // 52 characters and CR LF
    ASSERT_EQ(full.size(), 4 * line);
    std::string expected;
    for (const int r : {0, 2, 3})
        expected += full.substr(r * line, 5) + full.substr(r * line + 6, 2) + "\r\n";
    EXPECT_EQ(data, expected);
    EXPECT_TRUE(fs::exists(Dir / "part.slo"));
    EXPECT_TRUE(fs::exists(Dir / "part.sps"));
}

// The names `vars` prints for the example (HOUSEHOL, CAR) choose the same
// fields as their instruction indexes.
TEST_F(SubsetCommand, FieldsNamedAsVarsPrintsThem) {
    const std::string byName = (Dir / "names.dat").string();
    const std::string byIndex = (Dir / "indexes.dat").string();
    ASSERT_EQ(Run({Script, Data, byName, "--fields", "HOUSEHOL,car", "--records", "1-"}), 0) << Err;
    ASSERT_EQ(Run({Script, Data, byIndex, "--fields", "1,4", "--records", "1-"}), 0) << Err;
    EXPECT_EQ(ReadAll(byName), ReadAll(byIndex));
    EXPECT_EQ(ReadAll(byName).substr(0, 9), "0000107\r\n");
}

// An output that is a folder or a pipe is refused with a message naming it,
// and nothing takes its place.
TEST_F(SubsetCommand, OutputThatIsNoRegularFileIsRefused) {
    fs::create_directories(Dir / "folder.dat");
    const std::string fifo = (Dir / "pipe.dat").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string Out;
        std::string Text;
    } cases[] = {{(Dir / "folder.dat").string(), ": This is a folder, not a file.\n"},
                 {fifo, ": Not a regular file (a device or a pipe).\n"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Run({Script, Data, c.Out, "--fields", "1", "--records", "1", "--force"}), 1)
            << c.Out;
        EXPECT_EQ(Err, "tallyra subset: " + c.Out + c.Text);
    }
    EXPECT_TRUE(fs::is_directory(Dir / "folder.dat"));
    EXPECT_TRUE(fs::is_fifo(fifo));
    for (const auto& entry : fs::directory_iterator(Dir))
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
}

// Only the record identifier makes no script of its own: refused naming the
// script file, and none of the three files is left.
TEST_F(SubsetCommand, FieldsThatMakeNoScriptAreRefusedAndLeaveNoFile) {
    const std::string out = (Dir / "id.dat").string();
    EXPECT_EQ(Run({Script, Data, out, "--fields", "HOUSEHOL", "--records", "1-"}), 1);
    EXPECT_EQ(Err.rfind("tallyra subset: " + (Dir / "id.slo").string() +
                            " cannot be written: the chosen fields do not make a script of "
                            "their own.\n",
                        0),
              0u)
        << Err;
    EXPECT_TRUE(fs::is_empty(Dir));
}

TEST_F(SubsetCommand, RefusesWithoutLosingFiles) {
    const std::string out = (Dir / "part.dat").string();
    std::ofstream(out) << "keep me";
    EXPECT_EQ(Run({Script, Data, out, "--fields", "1", "--records", "2"}), 1);
    EXPECT_NE(Err.find("these files exist already"), std::string::npos);
    EXPECT_EQ(ReadAll(out), "keep me");
    EXPECT_EQ(Run({Script, Data, out, "--fields", "1,2", "--records", "2", "--force"}), 0) << Err;
    EXPECT_NE(ReadAll(out), "keep me");

    EXPECT_EQ(Run({Script, Data, (Dir / "b.dat").string(), "--fields", "1", "--records", "9-2"}),
              1);
    EXPECT_EQ(Err, "tallyra subset: Invalid range.\n");
    EXPECT_EQ(Run({Script, Data, Data, "--fields", "1", "--records", "1"}), 1);
    EXPECT_EQ(
        Run({Script, Data, (Dir / "c.dat").string(), "--fields", "nothing", "--records", "1"}), 2);
    EXPECT_EQ(Run({Script, Data, (Dir / "c.dat").string(), "--records", "1"}), 2);
    EXPECT_FALSE(fs::exists(Dir / "c.dat"));
}

TEST_F(SubsetCommand, NeverReplacesItsInputsAndRefusesDataThatDoesNotFit) {
    // The script and the data in the scratch folder, so that outputs may be
    // named after them.
    const std::string script = (Dir / "h.slo").string(), data = (Dir / "h.dat").string();
    fs::copy_file(Script, script);
    fs::copy_file(Data, data);
    const std::string scriptBytes = ReadAll(script), dataBytes = ReadAll(data);
    const std::string out = (Dir / "h.txt").string();  // its script would be h.slo
    EXPECT_EQ(Run({script, data, out, "--fields", "1", "--records", "1", "--force"}), 1);
    EXPECT_EQ(Err, "tallyra subset: The file \"" + script + "\" is the script being read.\n");
    EXPECT_EQ(ReadAll(script), scriptBytes);
    EXPECT_FALSE(fs::exists(out));

    // Data files that do not fit the script, with the record count of the
    // real one: the save is refused and nothing is written.
    const std::string record(52, '1');
    const struct {
        std::string Name, Bytes;
    } misfits[] = {
        {"garbage", std::string(4 * 54, 'x')},
        {"short records", std::string(4 * 54 / 50 * 50, '1')},
        {"line break inside",
         record.substr(0, 10) + "\r\n" + record.substr(12) + "\r\n" + std::string(3 * 54, '1')},
        {"the script", scriptBytes},
    };
    for (const auto& m : misfits) {
        const std::string bad = (Dir / "bad.dat").string();
        std::ofstream(bad, std::ios::binary | std::ios::trunc) << m.Bytes;
        const std::string target = (Dir / "sub.dat").string();
        EXPECT_EQ(Run({script, bad, target, "--fields", "1", "--records", "1"}), 1) << m.Name;
        EXPECT_EQ(Err,
                  "tallyra subset: The data structure does not correspond with the "
                  "script.\n" +
                      bad +
                      "\n\nCheck whether you loaded the script and the "
                      "data from the same survey.\n")
            << m.Name;
        for (const char* name : {"sub.dat", "sub.slo", "sub.sps"})
            EXPECT_FALSE(fs::exists(Dir / name)) << m.Name << " " << name;
    }
    // No temporary file is left in the folder.
    for (const auto& entry : fs::directory_iterator(Dir))
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace tallyra::cli
