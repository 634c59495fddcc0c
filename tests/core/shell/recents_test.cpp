// SPDX-License-Identifier: GPL-3.0-or-later
// The recent-files list, the settings store's typed reads and the page set-up.
#include "shell/recents.h"

#include <gtest/gtest.h>

#include "shell/langtext.h"
#include "shell/pagesetup.h"
#include "shell/settingsstore.h"

using namespace tallyra::core;

namespace {

std::vector<std::string> Paths(const TRecents_Handler& h) {
    std::vector<std::string> p;
    for (const auto& f : h.List().Items)
        p.push_back(f.Path);
    return p;
}

}  // namespace

TEST(TRecents_Handler, TwentySeventhFileDropsTheOldest) {
    TRecents_Handler h;
    for (int i = 1; i <= 27; ++i)
        h.AddClosed("/d/f" + std::to_string(i) + ".slo");
    ASSERT_EQ(h.List().Items.size(), 26u);
    EXPECT_EQ(h.List().Items.front().Path, "/d/f27.slo");
    EXPECT_EQ(h.List().Items.back().Path, "/d/f2.slo");
}

TEST(TRecents_Handler, KnownFileMovesToTopIgnoringCase) {
    TRecents_Handler h;
    h.AddClosed("/d/One.slo");
    h.AddClosed("/d/two.slo");
    h.AddClosed("/D/ONE.SLO");
    EXPECT_EQ(Paths(h), (std::vector<std::string>{"/d/One.slo", "/d/two.slo"}));
}

TEST(TRecents_Handler, RelativePathsAreStoredInFullForm) {
    TRecents_Handler h;
    h.AddClosed("a/../b.slo");
    ASSERT_EQ(h.List().Items.size(), 1u);
    EXPECT_EQ(h.List().Items[0].Path.front(), '/');
    EXPECT_EQ(h.List().Items[0].Path.find(".."), std::string::npos);
}

TEST(TRecents_Handler, MenuHidesOpenFilesAndStripsCurrentFolder) {
    SetCurrentLanguage(LangEnglish);
    TRecents_Handler h;
    h.AddClosed("/w/old.slo");
    h.AddOpened("/w/open.slo");
    h.AddClosed("/x/far.slo");
    auto menu = h.BuildMenu("/W");
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_EQ(menu[0].Caption, "&A    /x/far.slo          ");
    EXPECT_EQ(menu[1].Caption, "&B    old.slo          ");
    EXPECT_EQ(menu[1].Path, "/w/old.slo");
    EXPECT_EQ(menu[0].Hint, "Opens the indicated file");
    EXPECT_EQ(menu[2].ItemKind, TRecentsMenuItem::Kind::Separator);
    EXPECT_EQ(menu[3].Caption, "Remove obsolete...");
    EXPECT_EQ(menu[4].Caption, "Remove all...");
    h.AddClosed("/w/open.slo");
    EXPECT_EQ(h.BuildMenu("/").size(), 6u);
}

TEST(TRecents_Handler, EmptyListShowsOnlyDisabledNoFiles) {
    for (int lang : {LangEnglish, LangPolish}) {
        SetCurrentLanguage(lang);
        TRecents_Handler h;
        h.AddOpened("/only/open.slo");
        auto menu = h.BuildMenu("/");
        ASSERT_EQ(menu.size(), 1u);
        EXPECT_EQ(menu[0].ItemKind, TRecentsMenuItem::Kind::NoFiles);
        EXPECT_FALSE(menu[0].Enabled);
        EXPECT_EQ(menu[0].Caption, lang == LangEnglish ? "[no files]" : "[brak plików]");
    }
    SetCurrentLanguage(LangEnglish);
}

TEST(TRecents_Handler, RemoveObsoleteKeepsExistingFilesInOrder) {
    TRecents_Handler h;
    for (const char* p : {"/a", "/b", "/c", "/d"})
        h.AddClosed(p);
    h.RemoveObsolete([](const std::string& p) { return p == "/a" || p == "/c"; });
    EXPECT_EQ(Paths(h), (std::vector<std::string>{"/c", "/a"}));
    h.RemoveAll();
    EXPECT_TRUE(h.List().Items.empty());
}

TEST(TRecents_Handler, StoredListRoundTripsAndReadsAtMostCapacity) {
    TMemorySettingsStore store;
    const std::string root = "\\Software\\Co\\App\\";
    TRecents_Handler h;
    h.AddClosed("/one");
    h.AddClosed("/two");
    h.WriteList(store, root);
    EXPECT_EQ(store.ReadInt("\\Software\\Co\\App\\Recents", "Count", -1), 2);
    EXPECT_EQ(store.ReadStr("\\Software\\Co\\App\\Recents", "File0", ""), "/two");
    TRecents_Handler back;
    back.AddClosed("/stale");
    back.ReadList(store, root);
    EXPECT_EQ(Paths(back), (std::vector<std::string>{"/two", "/one"}));

    for (int i = 0; i < 40; ++i)
        store.WriteStr(root + "Recents", "File" + std::to_string(i), "/f");
    store.WriteInt(root + "Recents", "Count", 40);
    back.ReadList(store, root);
    EXPECT_EQ(back.List().Items.size(), 26u);
    // Writing deletes the old key first: no leftover File values.
    back.RemoveAll();
    back.AddClosed("/x");
    back.WriteList(store, root);
    EXPECT_EQ(store.ValueNames(root + "Recents"), (std::vector<std::string>{"Count", "File0"}));
}

TEST(TSettingsStore, MissingOrWrongKindGivesDefault) {
    TMemorySettingsStore s;
    EXPECT_EQ(s.ReadInt("K", "n", 7), 7);
    EXPECT_TRUE(s.HasKey("K"));  // reading creates the key
    s.WriteStr("K", "n", "12x");
    EXPECT_EQ(s.ReadInt("K", "n", 7), 7);
    s.WriteStr("K", "n", "-12");
    EXPECT_EQ(s.ReadInt("K", "n", 7), -12);
    s.WriteBinary("K", "b", "ab", 2);
    EXPECT_EQ(s.ReadSet32("K", "b", 0x456u), 0x456u);  // wrong length
    s.WriteSet32("K", "b", 0x0102027Bu);
    EXPECT_EQ(s.ReadSet32("K", "b", 0), 0x0102027Bu);
    EXPECT_EQ(s.ReadStr("K", "b", "d"), "d");
    s.WriteBool("K", "f", false);
    EXPECT_FALSE(s.ReadBool("K", "f", true));
}

TEST(TPageSetup, DefaultsAndMakersMarkRestored) {
    TMemorySettingsStore s;
    TPageSetup p;
    p.Read(s, "\\R");
    EXPECT_EQ(p.HdrLeft, "&[VRK]");
    EXPECT_EQ(p.HdrRight, "&[DATE]");
    EXPECT_EQ(p.FtrMiddle, "&[PAGEINFO]");
    EXPECT_EQ(p.MrgLeft, 10);
    EXPECT_EQ(p.PgFirstNr, 1);
    p.HdrLeft = p.HdrRight = p.FtrMiddle = "";
    p.MrgTop = 3;
    p.Write(s, "\\R");
    EXPECT_EQ(s.ReadStr("\\R\\Page Setup", "hrdLeft", "?"), "");
    TPageSetup back;
    back.Read(s, "\\R");
    EXPECT_EQ(back.HdrLeft, "&[VRK] ");
    EXPECT_EQ(back.MrgTop, 3);
}
