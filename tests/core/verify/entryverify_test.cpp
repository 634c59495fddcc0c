// SPDX-License-Identifier: GPL-3.0-or-later
// Verify mode: values keyed a second time are held against the first keying
// through the real keyboard model and store.
#include "verify/entryverify.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/data/data_fixture.h"

namespace tallyra::core::testing {
namespace {

// a: filter (a = 0 skips c, filled with its automatic value 5); b: two digits.
const char* const NumberScript =
    "left='a' width=1 range=[0:9] when=[0][c:c]*left='b' width=2 range=[0:99]*"
    "left='c' width=1 range=[0:9] auto=5 label=c*";

struct TVerifySession {
    TVerifySession(TScript& script, const std::string& reference, const std::string& data,
                   TPairBy by)
        : Verifier(*script.Dictionary, reference, by) {
        Store = TPXDataHandler::CreateForFile(*script.Dictionary, true, &Owner, data);
        Store->SetVerifier(&Verifier);
        Keyboard = std::make_unique<TEntryKeyboard>(*Store, Owner);
        Owner.Keyboard = Keyboard.get();
        Keyboard->StartEntry();
    }
    void Keys(const std::string& script) {
        std::string error;
        const auto keys = ParseKeyScript(script, error);
        ASSERT_TRUE(keys.has_value()) << error;
        for (const TScriptKey& key : *keys)
            Keyboard->Press(key.Stroke);
    }
    int Count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : Owner.Log)
            n += e.rfind(event, 0) == 0 ? 1 : 0;
        return n;
    }
    TEntryVerifier Verifier;
    TScriptedOwner Owner;
    std::unique_ptr<TPXDataHandler> Store;
    std::unique_ptr<TEntryKeyboard> Keyboard;
};

struct TVerifyCase {
    const char* Name;
    const char* Reference;  // the first keying's records
    const char* Keys;
    const char* Written;  // the file after the keys
    int Asked;            // "key it again" boxes
    int64_t FirstErrors;
    int64_t Slips;
    int64_t Compared;
};

class VerifyModeTest : public ::testing::TestWithParam<TVerifyCase> {};

TEST_P(VerifyModeTest, HoldsEveryValueAgainstTheFirstKeying) {
    const TVerifyCase& t = GetParam();
    TTempDir dir;
    TScript script(NumberScript);
    WriteAll(dir.File("first.dat"), t.Reference);
    TVerifySession s(script, dir.File("first.dat"), dir.File("second.dat"), TPairBy::Number);
    s.Keys(t.Keys);
    EXPECT_EQ(ReadAll(dir.File("second.dat")), t.Written);
    EXPECT_EQ(s.Count("warning: The value differs from the first keying"), t.Asked);
    EXPECT_EQ(s.Count("beep"), t.Asked);
    EXPECT_EQ(s.Verifier.FirstEntryErrors(), t.FirstErrors);
    EXPECT_EQ(s.Verifier.VerifierSlips(), t.Slips);
    EXPECT_EQ(s.Verifier.Compared(), t.Compared);
    EXPECT_EQ(s.Verifier.Findings().size(), size_t(t.FirstErrors + t.Slips));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyModeTest,
    ::testing::Values(
        TVerifyCase{"Matching", "1425\r\n", "1425", "1425\r\n", 0, 0, 0, 3},
        // 43 asked again, 42 equals the reference: the verifier's slip.
        TVerifyCase{"SlipRekeyedToTheReference", "1425\r\n", "143425", "1425\r\n", 1, 0, 1, 3},
        // 43 asked again and keyed again: the first keying was wrong.
        TVerifyCase{"CorrectionOfTheFirstEntry", "1425\r\n", "143435", "1435\r\n", 1, 1, 0, 3},
        // 43, then 44 (neither), then 44 again: a correction after two boxes.
        TVerifyCase{"ThirdKeyingDecides", "1425\r\n", "14344445", "1445\r\n", 2, 1, 0, 3},
        // a = 0 confirmed skips c: its automatic 5 differs from the 3 keyed
        // the first time, a first-entry error found without a question.
        TVerifyCase{"FilteredFieldComparedToo", "1423\r\n", "0042", "0425\r\n", 1, 2, 0, 3},
        // A second record the reference does not hold: told once, no check.
        TVerifyCase{"RecordBeyondTheReference", "1425\r\n", "14259999", "1425\r\n9999\r\n", 0, 0, 0,
                    3}),
    [](const ::testing::TestParamInfo<TVerifyCase>& info) { return info.param.Name; });

TEST(VerifyMode, RecordBeyondTheReferenceIsToldOnce) {
    TTempDir dir;
    TScript script(NumberScript);
    WriteAll(dir.File("first.dat"), "1425\r\n");
    TVerifySession s(script, dir.File("first.dat"), dir.File("second.dat"), TPairBy::Number);
    s.Keys("14259999");
    EXPECT_EQ(s.Count("information: Record 2 is not in the first keying"), 1);
}

TEST(VerifyMode, PairsByIdentifierOnceItIsKeyed) {
    TTempDir dir;
    // The identifier starts at 07 and counts up by itself; the verifier
    // goes back to it for a questionnaire out of order.
    TScript script("left='id' width=2 range=[1:99] auto=7 recid*left='q' width=1 range=[0:9]*");
    // Questionnaire 07 is record 2 of the first keying; 05 appears twice.
    WriteAll(dir.File("first.dat"), "031\r\n074\r\n052\r\n053\r\n");
    TVerifySession s(script, dir.File("first.dat"), dir.File("second.dat"), TPairBy::Identifier);
    s.Keys("4");  // 07 paired with record 2: q agrees
    EXPECT_EQ(s.Count("warning:"), 0);
    // The automatic 08 of the next record is not announced: nothing of it
    // has been keyed yet.
    EXPECT_EQ(s.Count("information:"), 0);
    s.Keys("<Up>035");  // 03 holds 1: asked again
    EXPECT_EQ(s.Count("warning: The value differs"), 1);
    s.Keys("1");
    EXPECT_EQ(s.Verifier.VerifierSlips(), 1);
    s.Keys("<Up>056");  // held twice: keyed without verification
    EXPECT_EQ(s.Count("information: The identifier 05 occurs more than once"), 1);
    EXPECT_EQ(s.Count("warning: The value differs"), 1);
    EXPECT_EQ(ReadAll(dir.File("second.dat")).substr(0, 15), "074\r\n031\r\n056\r\n");
    ASSERT_EQ(s.Verifier.Findings().size(), 1u);
    EXPECT_EQ(s.Verifier.Findings()[0].Key, "03");
    EXPECT_EQ(s.Verifier.Findings()[0].Keyed, "5");
    EXPECT_EQ(s.Verifier.Findings()[0].Reference, "1");
    EXPECT_EQ(s.Verifier.Findings()[0].Kind, TVerifyFinding::TKind::VerifierSlip);
}

TEST(VerifyMode, RefusesAReferenceThatDoesNotFitAndAScriptWithoutIdentifier) {
    TTempDir dir;
    TScript script(NumberScript);
    WriteAll(dir.File("first.dat"), "14250\r\n");
    EXPECT_THROW(TEntryVerifier(*script.Dictionary, dir.File("first.dat"), TPairBy::Number),
                 EPXData);
    WriteAll(dir.File("first.dat"), "1425\r\n");
    EXPECT_THROW(TEntryVerifier(*script.Dictionary, dir.File("first.dat"), TPairBy::Identifier),
                 EGeneric);
    EXPECT_THROW(TEntryVerifier(*script.Dictionary, dir.File("missing.dat"), TPairBy::Number),
                 EGeneric);
}

}  // namespace
}  // namespace tallyra::core::testing
