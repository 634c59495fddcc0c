// SPDX-License-Identifier: GPL-3.0-or-later
// The programs as built hold no absolute path of the source tree (help and
// examples are found relative to the program), so a copy installed anywhere
// works the same and leaks nothing of the machine it was built on; and the
// three say one version and name their licence.
#include <cstdio>
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

std::string Output(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

TEST(BuiltPrograms, SayTheOneVersionAndTheirLicence) {
    for (const std::string& program : Programs()) {
        const std::string name = program.substr(program.find_last_of('/') + 1);
        const std::string out = Output("QT_QPA_PLATFORM=offscreen '" + program + "' --version");
        EXPECT_EQ(out, name + " " TALLYRA_EXPECTED_VERSION "\n" +
                           "Licence GPL-3.0-or-later: GNU GPL version 3 or later "
                           "<https://gnu.org/licenses/gpl.html>.\n");
    }
}

TEST(BuiltPrograms, ManualPagesSayTheSameVersion) {
    for (const char* page : {"tallyra", "tallyra-studio", "tallyra-station"}) {
        const std::string text = ReadBytes(std::string(TALLYRA_MAN_DIR) + "/" + page + ".1");
        ASSERT_FALSE(text.empty()) << page;
        const std::string first = text.substr(0, text.find('\n'));
        EXPECT_NE(first.find("\"Tallyra " TALLYRA_EXPECTED_VERSION "\""), std::string::npos)
            << first;
    }
}

}  // namespace
