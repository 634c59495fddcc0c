// `tallyra subset` on the bundled example.
#include "subsetcommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/langtext.h"

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

}  // namespace
}  // namespace tallyra::cli
