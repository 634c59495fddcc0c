// SPDX-License-Identifier: GPL-3.0-or-later
// Whole entry scenarios played as key scripts through the keyboard model:
// typing, accepting, auto-advance, pages, filters, groups, identifiers,
// validation, automatic filling before a boundary, update mode, navigation.
#include "data_fixture.h"
#include "shell/cp1250.h"

namespace tallyra::core::testing {
namespace {

const char* const Basic =
    "left='q1' width=3 range=[0:500] label=Q1*"
    "left='q2' width=2 range=[1:5] label=Q2*"
    "left='name' text width=4*";

TEST(Entry, TypedValuesAreNormalisedAndTheRecordCompletes) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("42<Enter>3<Enter>ab<Enter>");
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "04203ab  \r\n");
    EXPECT_EQ(s.Store->FullCount(), 1);
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.C().Cur, 0);
    EXPECT_EQ(s.Count("sound 1"), 1);
    EXPECT_EQ(s.Store->PrevRecord(), "04203ab  \r\n");
}

TEST(Entry, NumericFieldsNormaliseOnEnter) {
    const std::pair<const char*, const char*> cases[] = {
        {"5", "005"}, {"-5", "-05"}, {"", "000"}, {"+7", "+07"}};
    for (const auto& [typed, stored] : cases) {
        TScript script("left='n' width=3*left='m' width=1*");
        TTempDir dir;
        TSession s(script, dir.File("d.dat"));
        s.Keys(std::string(typed) + "<Enter>");
        EXPECT_EQ(s.Store->CurRecord().substr(0, 3), stored) << typed;
        EXPECT_EQ(s.C().Cur, 1) << typed;
    }
}

TEST(Entry, LastPositionTypedMovesOnAfterValidation) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("42");
    EXPECT_EQ(s.C().Cur, 0);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "42 ");
    EXPECT_EQ(s.Shown(), "42 ");
    s.Keys("1");
    EXPECT_EQ(s.C().Cur, 1);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "421");
}

TEST(Entry, NumericCharacterFilterBeepsAndRefuses) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("a");
    EXPECT_EQ(s.Shown(), "   ");
    EXPECT_EQ(s.Count("beep"), 1);
    s.Keys("-1-");
    EXPECT_EQ(s.Shown(), "-1 ");
    EXPECT_EQ(s.Count("beep"), 3);
    s.Keys("<Enter>");
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "-01");
}

TEST(Entry, TextFieldsTakeAnyCharacterUpToTheirWidth) {
    TScript script("left='t' text width=3*left='n' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("a+-x");
    // The third character fills the field and moves on; "x" goes to the next.
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "a+-");
    EXPECT_EQ(s.C().Cur, 1);
}

TEST(Entry, KeypadPlusFillsAnEmptyOrFullFieldOnly) {
    TScript script("left='n' width=3 auto=7*left='m' width=3*left='o' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("<KP+>");
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "007");
    EXPECT_EQ(s.C().Cur, 1);
    s.Keys("4<KP+>");
    EXPECT_EQ(s.C().Cur, 1);
    EXPECT_EQ(s.Shown(), "4  ");
}

TEST(Entry, OutOfRangeValueCanBeForced) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys(
        "123"
        "7<Enter><No>");
    EXPECT_EQ(s.C().Cur, 1);
    EXPECT_EQ(s.Count("ask: Value out of range\r\n[1:5].\r\n\r\nForce value?"), 1);
    EXPECT_EQ(s.Count("sound 2"), 1);
    s.Keys("<Enter><Yes>");
    EXPECT_EQ(s.C().Cur, 2);
    EXPECT_EQ(s.Store->CurRecord().substr(3, 2), "07");
}

TEST(Entry, NonNumericValueCannotBeLeft) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("4<Down>");
    EXPECT_EQ(s.C().Cur, 0);
    EXPECT_EQ(s.Count("error: Invalid value."), 1);
    EXPECT_EQ(s.Count("beep"), 1);
    s.Keys("<Enter>");
    EXPECT_EQ(s.C().Cur, 1);
}

TEST(Entry, EscUndoesTheTyping) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("42<Esc>");
    EXPECT_EQ(s.Shown(), "   ");
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "   ");
    EXPECT_EQ(s.C().Cur, 0);
}

const char* const Paged =
    "left='a' width=1 label=A*"
    "page*"
    "left='b' width=1 label=B*"
    "left='c' width=1 label=C*";

TEST(Entry, CrossingAPageSignalsAndSavesTheRecordSoFar) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("1");
    EXPECT_EQ(s.C().Page, 2);
    EXPECT_EQ(s.C().PageStart, 2);
    EXPECT_EQ(s.C().Cur, 2);
    EXPECT_EQ(s.Count("sound 1"), 1);
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "1");
    EXPECT_EQ(s.Keyboard->Editors().size(), 2u);
    s.Keys("23");
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "123\r\n");
    EXPECT_EQ(s.Count("sound 1"), 2);
    EXPECT_EQ(s.C().Page, 1);
}

TEST(Entry, NavigationAcrossPagesAndRecords) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("123456");
    ASSERT_EQ(s.Store->FullCount(), 2);
    s.Keys("<PgUp>");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(s.C().Page, 2);
    EXPECT_EQ(s.Shown(), "6");
    s.Keys("<PgUp>");
    EXPECT_EQ(s.C().Cur, 0);
    EXPECT_EQ(s.C().Page, 1);
    EXPECT_EQ(s.Shown(), "4");
    s.Keys("<C-Home>");
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.Shown(), "1");
    s.Keys("<PgDn>");
    EXPECT_EQ(s.C().Cur, 2);
    EXPECT_EQ(s.C().Page, 2);
    s.Keys("<C-End>");
    EXPECT_EQ(s.C().Rec, 3);
    EXPECT_EQ(s.C().Cur, 0);
    s.Keys("<A-PgUp>");
    EXPECT_EQ(s.C().Rec, 2);
    s.Keys("<A-PgDn>");
    EXPECT_EQ(s.C().Rec, 3);
    // Beyond the incomplete record nothing moves.
    s.Keys("<A-PgDn>");
    EXPECT_EQ(s.C().Rec, 3);
}

TEST(Entry, AltPageDownEntersTheIncompleteRecordOnlyUpToTheEntryPosition) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("123<A-PgUp><Down><Down>");
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 3);
    s.Keys("<A-PgDn>");
    EXPECT_EQ(s.C().Rec, 1);
    s.Keys("<C-Up><A-PgDn>");
    EXPECT_EQ(s.C().Rec, 2);
}

TEST(Entry, ChangedValueInAFullRecordIsWrittenBack) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("123456<C-Home>9<C-End>");
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "923\r\n456\r\n");
}

const char* const StrongFilter =
    "left='f' width=1 range=[1:2] when=[1][A:B]*"
    "left='a' width=1 range=[0:9] label=A*"
    "left='b' width=1 label=B*"
    "left='c' width=1 label=C*";

TEST(Entry, StrongFilterFillsItsFieldsWithoutStopping) {
    TScript script(StrongFilter);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("1");
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "100");
    TTempDir dir2;
    TSession t(script, dir2.File("d.dat"));
    t.Keys("2");
    EXPECT_EQ(t.C().Cur, 1);
}

TEST(Entry, ReopenedIncompleteRecordRebuildsItsFilters) {
    TScript script(StrongFilter);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "1");
    TSession s(script, dir.File("d.dat"));
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "100");
}

TEST(Entry, WeakFiltersSkipOnlyWhenAllAgree) {
    const char* const script =
        "left='f' width=1 signal=[1][A]*"
        "left='g' width=1 signal=[1][A]*"
        "left='a' width=1 label=A*"
        "left='z' width=1*";
    const std::pair<const char*, int32_t> cases[] = {{"11", 3}, {"12", 2}, {"21", 2}};
    for (const auto& [keys, cur] : cases) {
        TScript sc(script);
        TTempDir dir;
        TSession s(sc, dir.File("d.dat"));
        s.Keys(keys);
        EXPECT_EQ(s.C().Cur, cur) << keys;
    }
}

TEST(Entry, NoMoreAnswersKeyFillsTheRestOfTheGroup) {
    TScript script(
        "left='g1' width=2 group=G3*"
        "left='g2' width=2*"
        "left='g3' width=2 label=G3*"
        "left='after' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("01<KP+>");
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 6), "010000");
    EXPECT_EQ(s.C().GroupLabel, "");
}

TEST(Entry, RecordIdentifierIsFilledFromThePreviousRecord) {
    const std::pair<const char*, const char*> cases[] = {
        {"0091\r\n", "010"}, {"9991\r\n", "999"}, {"abc1\r\n", "005"}, {"", "005"}};
    for (const auto& [file, id] : cases) {
        TScript script("left='id' width=3 recid auto=5*left='v' width=1*");
        TTempDir dir;
        WriteAll(dir.File("d.dat"), file);
        TSession s(script, dir.File("d.dat"));
        EXPECT_EQ(s.C().Cur, 1) << file;
        EXPECT_EQ(s.Store->CurRecord().substr(0, 3), id) << file;
    }
}

TEST(Entry, CopyPreviousAndMarkUndefined) {
    TScript script("left='a' width=2*left='b' width=2*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("1234<Ins><C-KP+>");
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "1234\r\n12##\r\n");
}

TEST(Entry, AutomaticFillingBeforeTheBoundaryNeverAsks) {
    TScript script(
        "left='a' width=1 range=[1:5] auto=7*"
        "left='b' width=1 auto=0 range=[0:9]*left='c' width=1*left='d' width=1*");
    TTempDir dir;
    TSession s(script, 3, dir.Path);
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 3), "700");
    EXPECT_EQ(s.Count("ask"), 0);
    s.Keys("4");
    EXPECT_EQ(s.Store->FullCount(), 1);
    EXPECT_EQ(s.C().Cur, 3);
    EXPECT_EQ(ReadAll(s.Store->FileName()), "7004\r\n");
}

TEST(Entry, AllAutomaticRecordsDoNotRunAway) {
    TScript script("left='a' width=1*left='b' width=1*");
    TTempDir dir;
    TSession s(script, 10, dir.Path);
    EXPECT_LE(s.Store->FullCount(), 2);
    s.Keys("<Enter>");
    EXPECT_LE(s.Store->FullCount(), 4);
}

TEST(Entry, UpdateModeVisitsOnlyUpdateFields) {
    TScript script("left='a' width=1*left='b' width=1 update*left='c' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("13");
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "1#3\r\n");
    s.Keys("4<F8>");
    EXPECT_TRUE(s.Keyboard->UpdateMode);
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 1);
    s.Keys("9");
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 1);
    s.Keys("<F8>");
    EXPECT_FALSE(s.Keyboard->UpdateMode);
    EXPECT_EQ(s.C().Cur, 2);
    s.Keys("<C-End>");
    // The update field of the new record was marked undefined on the way.
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "193\r\n4#");
}

TEST(Entry, UpdateModeIsRefusedWithoutUpdateFields) {
    TScript script(Basic);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("<F8>");
    EXPECT_FALSE(s.Keyboard->UpdateMode);
    EXPECT_EQ(s.Count("information: No fields marked for update."), 1);
}

TEST(Entry, SoundOptionSilencesSignalsButNotBeeps) {
    TScript script("left='a' width=1 range=[1:5]*left='b' width=1 beep*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("<F7>7<Yes>x");
    EXPECT_EQ(s.Count("sound"), 0);
    EXPECT_EQ(s.Count("beep"), 2);  // the beep field, the refused letter
}

TEST(Entry, MultiLineTextFieldAcceptsOnEnter) {
    TScript script("left='t' text width=12 height=3*left='n' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    ASSERT_TRUE(s.Keyboard->Focused()->IsMultiLine());
    s.Keys("ab<Enter>");
    EXPECT_EQ(s.C().Cur, 1);
    EXPECT_EQ(s.Store->CurRecord().substr(0, 12), "ab          ");
}

TEST(Entry, ViewerStartsOnTheFirstRecordAndNeverAppends) {
    TScript script(Paged);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "123\r\n456\r\n");
    TSession s(script, dir.File("d.dat"), true);
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 0);
    s.Keys("<C-End>");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.C().Cur, 3);
    s.Keys("<A-PgDn><Down><Down>");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(ReadAll(dir.File("d.dat")), "123\r\n456\r\n");
}

TEST(Entry, KeyScriptReadsSpecialKeysAndRefusesUnknownOnes) {
    std::string error;
    const auto keys = ParseKeyScript("a<<\r\n<C-A-End><KP+><Yes><No><F12>", error);
    ASSERT_TRUE(keys.has_value()) << error;
    ASSERT_EQ(keys->size(), 5u);
    EXPECT_EQ(KeyName((*keys)[1].Stroke), "<<");
    EXPECT_EQ(KeyName((*keys)[2].Stroke), "<C-A-End>");
    EXPECT_EQ((*keys)[3].Answers, (std::vector<bool>{true, false}));
    for (const char* bad : {"<Nope>", "<Yes>", "<End", "<C-x>"})
        EXPECT_FALSE(ParseKeyScript(bad, error).has_value()) << bad;
}

// A key script read from its file a window at a time gives the keys the
// whole text gives: Polish letters of two bytes fall across every window
// boundary, answers across line breaks, and a broken key far into the file is
// reported at the offset the whole text has.
TEST(Entry, KeyScriptFileReadInPiecesGivesTheSameKeys) {
    TTempDir dir;
    std::string utf8;
    for (int i = 0; utf8.size() < 300000; ++i) {
        utf8 += i % 3 == 0 ? "\xc5\xbc\xc3\xb3\xc5\x82w" : "ab";  // "żółw"
        utf8 += i % 7 == 0 ? "<C-End>\r\n<Yes>\n<No>" : "<Enter><<";
        if (i % 11 == 0) utf8 += "\xe2\x82\xac";  // the euro sign, three bytes
        if (i % 13 == 0) utf8 += "\xff";          // not UTF-8 at all
    }
    for (const bool broken : {false, true}) {
        const std::string text = broken ? utf8 + "x<Nope>" : utf8;
        const std::string path = dir.File(broken ? "broken.keys" : "k.keys");
        std::ofstream(path, std::ios::binary) << text;
        std::string wholeError;
        const auto whole = ParseKeyScript(Utf8ToCp1250(text), wholeError);
        TKeyScriptReader reader = TKeyScriptReader::FromFile(path);
        std::string error;
        TScriptKey key;
        size_t n = 0;
        while (reader.Next(key, error)) {
            if (whole) {
                ASSERT_LT(n, whole->size());
                ASSERT_EQ(KeyName(key.Stroke), KeyName((*whole)[n].Stroke)) << "key " << n;
                ASSERT_EQ(key.Answers, (*whole)[n].Answers) << "key " << n;
            }
            ++n;
        }
        EXPECT_EQ(whole.has_value(), !broken);
        EXPECT_EQ(error, wholeError);
        if (whole) {
            EXPECT_EQ(n, whole->size());
        }
    }
    EXPECT_THROW(TKeyScriptReader::FromFile(dir.File("missing.keys")), EGeneric);
    EXPECT_THROW(TKeyScriptReader::FromFile(dir.Path), EGeneric);
}

}  // namespace
}  // namespace tallyra::core::testing

namespace tallyra::core::testing {
namespace {

TEST(Entry, NextEnteredOnNewGroundDoesNothing) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("<Down><PgDn>");
    EXPECT_EQ(s.C().Cur, 0);
    s.Keys("1<Up><Down>");
    EXPECT_EQ(s.C().Cur, 2);
}

TEST(Entry, InvalidCommandCodeIsReportedAndChangesNothing) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Store->DoCommand(TPXCommand(24), false);
    EXPECT_EQ(s.Count("error: Invalid parameter of DoCommand = 24.\r\nREPORT TO THE "
                      "ADMINISTRATOR!!!\r\n\r\nYou can continue to enter data."),
              1);
    EXPECT_EQ(s.C().Cur, 0);
}

TEST(Entry, FieldsBeyondTheEntryPositionReadEmpty) {
    TScript script(Paged);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "123\r\n456\r\n7");
    TSession s(script, dir.File("d.dat"));
    EXPECT_EQ(s.C().Cur, 2);
    // Characters left in the buffer beyond the entry position are not read.
    s.C().Cur = 3;
    s.Store->StoreValue("9");
    s.C().Cur = 2;
    EXPECT_EQ(s.Store->FieldText(3), "");
    EXPECT_EQ(s.Store->FieldText(0), "7");
}

TEST(Entry, ErrorNavigationIgnoresPositionsOutsideTheFile) {
    TScript script(Paged);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Store->MessageList().AddMessage(mkWarning, 0x00030009, 0x4001);  // a script message
    s.Store->DoCommand(cmdFirstError, false);
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 0);
}

TEST(Entry, FindByIdentifierReachesTheRecordBeingEntered) {
    TScript script("left='id' width=3 recid auto=1*left='v' width=1*");
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("5");
    s.Store->FindByIdentifier("1");
    EXPECT_EQ(s.C().Rec, 1);
    s.Store->FindByIdentifier("2");
    EXPECT_EQ(s.C().Rec, 2);
}

}  // namespace
}  // namespace tallyra::core::testing
