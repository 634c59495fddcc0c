// SPDX-License-Identifier: GPL-3.0-or-later
// The station's box for a data file that another program holds names the
// file: with two stations open the operator must know which file is taken.
#include <memory>

#include <QApplication>

#include <gtest/gtest.h>

#include "data/datafile.h"
#include "guitestenv.h"
#include "shell/langui.h"
#include "station/tappstation.h"

namespace tallyra::gui::test {
namespace {

TEST(StationInUse, TheBoxNamesTheFileInUse) {
    ResetEnvironment();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string script = S(dir.filePath("s.slo"));
    const std::string data = S(dir.filePath("d.dat"));
    WriteFile(script, "left='id' width=3 recid*left='b' width=1 range=[0:9]*");
    WriteFile(data, "0011\r\n");
    core::TDataFile other;  // another station keying the file
    other.Open(data);
    {
        TAppTYStation_Form w;
        w.SetStartupFiles({Q(script), Q(data)});
        w.show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        EXPECT_EQ(w.Store(), nullptr);
        ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
        bool named = false;
        for (const auto& b : Boxes().Log)
            named |= b.Kind == TMsgKind::Error &&
                     b.Text == data +
                                   ": File access denied - possibly in use by another "
                                   "application.";
        EXPECT_TRUE(named) << Boxes().Log.back().Text;
    }
    QApplication::processEvents();
    ResetEnvironment();
}

}  // namespace
}  // namespace tallyra::gui::test
