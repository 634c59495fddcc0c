// The programs as built hold no absolute path of the source tree (help and
// examples are found relative to the program), so a copy installed anywhere
// works the same and leaks nothing of the machine it was built on.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::vector<std::string> Programs() {
    return {
        TALLYRA_CLI_PATH,
#ifdef TALLYRA_STUDIO_PATH
        TALLYRA_STUDIO_PATH,
        TALLYRA_STATION_PATH,
#endif
    };
}

TEST(BuiltPrograms, HoldNoPathOfTheSourceTree) {
    const std::string source = TALLYRA_SOURCE_DIR;
    ASSERT_TRUE(source.size() > 1 && source[0] == '/') << source;
    // The search itself finds the path where it is: this test has it built in.
    ASSERT_NE(ReadBytes("/proc/self/exe").find(source), std::string::npos);
    for (const std::string& program : Programs()) {
        const std::string bytes = ReadBytes(program);
        ASSERT_GT(bytes.size(), 1000u) << program << " could not be read";
        const size_t at = bytes.find(source);
        EXPECT_EQ(at, std::string::npos)
            << program << " holds " << source << " at byte " << at << ": "
            << bytes.substr(at == std::string::npos ? 0 : at, 120).c_str();
    }
}

}  // namespace
