// SPDX-License-Identifier: GPL-3.0-or-later
// The commands run in this one test process, while the program runs each in
// a process of its own: every test starts with the settings a new process
// has (the variable name length a --var-size option of an earlier test set).
#include <gtest/gtest.h>

#include "script/tscriptoptions.h"

namespace {

class TFreshGlobals : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { tallyra::core::SetSPSSVarSize(0); }
};

const bool Registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshGlobals);
    return true;
}();

}  // namespace
