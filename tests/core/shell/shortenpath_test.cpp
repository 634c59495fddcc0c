// SPDX-License-Identifier: GPL-3.0-or-later
// Path shortening for status lines.
#include "shell/shortenpath.h"

#include <gtest/gtest.h>

namespace tallyra::core {
namespace {

TEST(ShortenPath, FoldersNearestTheRootGiveWayFirst) {
    const struct {
        const char* Path;
        size_t N;
        const char* Expected;
    } cases[] = {
        {"C:\\Data\\Survey2005\\Wave1\\file.dat", 30, "C:\\...\\Wave1\\file.dat"},
        {"C:\\Data\\Survey2005\\Wave1\\file.dat", 40, "C:\\Data\\Survey2005\\Wave1\\file.dat"},
        {"C:\\Data\\Survey2005\\Wave1\\file.dat", 15, "C:\\...\\file.dat"},
        {"C:\\Data\\Survey2005\\Wave1\\file.dat", 14, "C:\\...\\file.da"},
        {"report.dat", 30, "report.dat"},
        {"a_very_long_report_name.dat", 10, "a_very_lon"},
        {"\\Data\\Survey\\Wave1\\file.dat", 20, "\\...\\Wave1\\file.dat"},
        {"Data\\Survey\\Wave1\\file.dat", 20, "...\\Wave1\\file.dat"},
        {"Data\\file_with_a_long_name.dat", 12, "...\\file_wit"},
        {"/home/ankieta/dane/fala1/household.dat", 30, "/.../dane/fala1/household.dat"},
        {"/home/ankieta/dane/fala1/household.dat", 25, "/.../fala1/household.dat"},
        {"/household_with_a_long_name.dat", 12, "/household_w"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortenPath(c.Path, c.N), c.Expected) << c.Path << " to " << c.N;
}

}  // namespace
}  // namespace tallyra::core
