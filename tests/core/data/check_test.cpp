// SPDX-License-Identifier: GPL-3.0-or-later
// The data check: the eight kinds of data error, the mask, groups and
// filters, error navigation and the error panel.
#include "data_fixture.h"

namespace tallyra::core::testing {
namespace {

struct TFound {
    int32_t Record;
    int32_t Field;
    int32_t Code;
    bool operator==(const TFound&) const = default;
};

std::vector<TFound> Errors(TPXDataHandler& store) {
    std::vector<TFound> found;
    TEHList& list = store.MessageList();
    for (int32_t i = 0; i < list.Count(); ++i) {
        const auto* m = dynamic_cast<const TPXDataMessage*>(list.Get(i));
        if (!m) continue;
        found.push_back({m->Record, m->FieldIndex, m->Code});
        EXPECT_EQ(m->Position, (m->Record & 0xFFFF) | (m->FieldIndex << 16));
    }
    return found;
}

void PrintTo(const TFound& f, std::ostream* os) {
    *os << "(" << f.Record << "," << f.Field << ",0x" << std::hex << f.Code << std::dec << ")";
}

const char* const Values =
    "left='u' width=2 range=[1:5] auto=0*"
    "left='k' width=1 const auto=3 range=[0:9]*"
    "left='t' text width=2*";
const char* const ValuesData =
    "##3ab\r\n"
    "074ab\r\n"
    "x13  \r\n"
    "003ab\r\n";

TEST(CheckData, ValueErrorsByMask) {
    struct TCase {
        uint8_t Mask;
        std::vector<TFound> Expected;
    };
    const TCase cases[] = {
        {255, {{1, 0, 0x2065}, {2, 0, 0x2068}, {2, 1, 0x2066}, {3, 0, 0x2067}, {4, 0, 0x206C}}},
        {0, {}},
        {4, {{1, 0, 0x2067}, {3, 0, 0x2067}}},
        {2 | 8, {{2, 0, 0x2068}, {2, 1, 0x2066}}},
    };
    for (const TCase& c : cases) {
        TScript script(Values);
        TTempDir dir;
        WriteAll(dir.File("d.dat"), ValuesData);
        auto store =
            TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
        store->CheckData(true, c.Mask);
        EXPECT_EQ(Errors(*store), c.Expected) << int(c.Mask);
    }
}

TEST(CheckData, ReportsValuesAfterTheAutomaticValueAndRepeatsInAGroup) {
    TScript script(
        "left='g1' width=2 group=G3 range=[0:99] auto='\\ '*"
        "left='g2' width=2*"
        "left='g3' width=2 label=G3*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "01  02\r\n0101  \r\n010203\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->CheckData(true, 32 | 64);
    EXPECT_EQ(Errors(*store), (std::vector<TFound>{{1, 2, 0x206A}, {2, 1, 0x206B}}));
}

TEST(CheckData, FilteredStretchIsReportedOnce) {
    TScript script(
        "left='f' width=1 range=[0:9] when=[1][A:D]*"
        "left='a' width=1 label=A*left='b' width=1*left='c' width=1*"
        "left='d' width=1 label=D*left='e' width=1*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "155550\r\n200000\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->CheckData(true, 16);
    EXPECT_EQ(Errors(*store), (std::vector<TFound>{{1, 1, 0x2069}}));
    // Automatic values outside the filter: record 1's field e, record 2's a..e.
    store->CheckData(true, 128);
    EXPECT_EQ(Errors(*store).size(), 6u);
}

TEST(CheckData, AutomaticValueInsideAGroupIsNoError) {
    TScript script(
        "left='x' width=1 range=[0:9] auto=0*"
        "left='g1' width=1 group=G2*left='g2' width=1 label=G2*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "010\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->CheckData(true, 128);
    EXPECT_EQ(Errors(*store), (std::vector<TFound>{{1, 0, 0x206C}}));
}

TEST(CheckData, CheckLeavesThePositionAndTheRecordBeingTyped) {
    TScript script(Values);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), ValuesData);
    TSession s(script, dir.File("d.dat"));
    s.Keys("4");
    const std::string before = s.Store->CurRecord();
    s.Store->CheckData(false, 255);  // refused in the incomplete record
    EXPECT_EQ(s.Store->MessageList().Count(), 0);
    s.Keyboard->CheckMask = 0;
    s.Keys("<F9>");
    EXPECT_EQ(s.C().Rec, 5);
    EXPECT_EQ(s.Store->CurRecord(), before);
    EXPECT_EQ(s.Count("information: The data is OK!"), 1);
}

TEST(CheckData, ErrorNavigationThroughKeys) {
    TScript script(Values);
    TTempDir dir;
    WriteAll(dir.File("d.dat"), ValuesData);
    TSession s(script, dir.File("d.dat"));
    EXPECT_EQ(s.Keyboard->ErrorInfoText(), "Data not checked yet.");
    s.Keys("<F9>");
    EXPECT_EQ(s.Count("information: The data is not ok.\r\nErrors found: 5."), 1);
    EXPECT_EQ(s.C().Rec, 1);
    EXPECT_EQ(s.C().Cur, 0);
    EXPECT_EQ(s.Keyboard->ErrorInfoText(), "Error 1/5: undefined value");
    s.Keys("<F12><F12>");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.C().Cur, 1);
    EXPECT_EQ(s.Keyboard->ErrorInfoText(), "Error 3/5: constant field value not automatic");
    s.Keys("<F11>");
    EXPECT_EQ(s.C().Cur, 0);
    s.Keys("<F12><F12><F12><F12>");
    EXPECT_EQ(s.Store->ErrorIndex(), 4);
    EXPECT_EQ(s.C().Rec, 4);
    s.Keys("<F10>");
    EXPECT_EQ(s.Count("information: The data is not ok.\r\nErrors found: 1."), 1);
}

TEST(CheckData, RefusedWithoutFullRecordsOrInTheIncompleteRecord) {
    TScript script(Values);
    TTempDir dir;
    TSession s(script, dir.File("d.dat"));
    s.Keys("<F9>");
    EXPECT_EQ(s.Count("error: There are no FULL records in the data."), 1);
    WriteAll(dir.File("e.dat"), ValuesData);
    TSession t(script, dir.File("e.dat"));
    t.Keys("<F10>");
    EXPECT_EQ(t.Count("error: You are currently in an incomplete record.\r\nMove to one of the "
                      "earlier ones."),
              1);
}

TEST(CheckData, ErrorsBeyondRecord65535AreNavigatedByTheirFullNumber) {
    TScript script("left='v' width=1 range=[0:5]*");
    TTempDir dir;
    std::string data;
    for (int i = 1; i <= 70000; ++i)
        data += i == 70000 ? "7\r\n" : "1\r\n";
    WriteAll(dir.File("d.dat"), data);
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->CheckData(true, 255);
    ASSERT_EQ(Errors(*store), (std::vector<TFound>{{70000, 0, 0x2068}}));
    EXPECT_EQ(store->MessageList().Get(0)->Position, 70000 & 0xFFFF);
    EXPECT_EQ(store->Context().Rec, 70000);
    EXPECT_EQ(store->FieldText(0), "7");
}

TEST(CheckData, MessageLimitEndsTheCheck) {
    TScript script("left='v' width=1 range=[0:5]*");
    TTempDir dir;
    std::string data;
    for (int i = 1; i <= 16100; ++i)
        data += "7\r\n";
    WriteAll(dir.File("d.dat"), data);
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->CheckData(true, 255);
    EXPECT_EQ(store->MessageList().Count(), 16001);  // the limit and its overflow marker
    EXPECT_EQ(store->Context().Rec, 1);
}

}  // namespace
}  // namespace tallyra::core::testing
