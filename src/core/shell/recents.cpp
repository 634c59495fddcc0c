// SPDX-License-Identifier: GPL-3.0-or-later
#include "recents.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "langtext.h"

namespace tallyra::core {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void ReadLevel(TSettingsStore& store, const std::string& key, TRecents_List& list, int capacity) {
    list.Items.clear();
    int count = store.ReadInt(key, "Count", 0);
    if (count < 0) count = 0;
    if (count > capacity) count = capacity;
    for (int i = 0; i < count; ++i) {
        TRecents_File f;
        f.Path = store.ReadStr(key, "File" + std::to_string(i), "");
        if (f.Path.empty()) continue;
        list.Items.push_back(std::move(f));
    }
}

void WriteLevel(TSettingsStore& store, const std::string& key, const TRecents_List& list,
                int capacity) {
    const int count = std::min<int>(capacity, static_cast<int>(list.Items.size()));
    store.WriteInt(key, "Count", count);
    for (int i = 0; i < count; ++i) {
        store.WriteStr(key, "File" + std::to_string(i), list.Items[i].Path);
        if (list.Items[i].Files)
            WriteLevel(store, SubKey(key, "Files" + std::to_string(i)), *list.Items[i].Files,
                       capacity);
    }
}

}  // namespace

bool SamePathText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool StartsWithPathText(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && SamePathText(text.substr(0, prefix.size()), prefix);
}

TRecents_Handler::TRecents_Handler(int capacity, char firstChar)
    : Cap(capacity < 1 ? 1 : capacity), FirstChar(firstChar) {}

std::string TRecents_Handler::FullPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    if (ec) return path;
    return p.lexically_normal().string();
}

void TRecents_Handler::Add(const std::string& path, bool open) {
    const std::string full = FullPath(path);
    auto& items = Top.Items;
    auto it = std::find_if(items.begin(), items.end(),
                           [&](const TRecents_File& f) { return SamePathText(f.Path, full); });
    TRecents_File entry;
    if (it != items.end()) {
        entry = std::move(*it);
        items.erase(it);
    } else {
        entry.Path = full;
    }
    entry.Open = open;
    items.insert(items.begin(), std::move(entry));
    while (static_cast<int>(items.size()) > Cap)
        items.pop_back();
}

void TRecents_Handler::AddOpened(const std::string& path) {
    Add(path, true);
}
void TRecents_Handler::AddClosed(const std::string& path) {
    Add(path, false);
}

std::vector<TRecentsMenuItem> TRecents_Handler::BuildMenu(const std::string& currentDir) const {
    std::vector<TRecentsMenuItem> menu;
    std::string prefix = currentDir;
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';
    char accel = FirstChar;
    for (const auto& f : Top.Items) {
        if (f.Open) continue;
        std::string shown = f.Path;
        if (prefix.size() > 1 && StartsWithPathText(shown, prefix))
            shown = shown.substr(prefix.size());
        TRecentsMenuItem item;
        item.Caption = std::string("&") + accel + "    " + shown + std::string(10, ' ');
        item.Hint = LangText("<EN>Opens the indicated file<PL>Otwiera wskazywany plik");
        item.Path = f.Path;
        menu.push_back(std::move(item));
        ++accel;
    }
    if (!menu.empty()) {
        TRecentsMenuItem sep;
        sep.ItemKind = TRecentsMenuItem::Kind::Separator;
        menu.push_back(sep);
        TRecentsMenuItem obsolete;
        obsolete.ItemKind = TRecentsMenuItem::Kind::RemoveObsolete;
        obsolete.Caption = LangText("<EN>Remove obsolete...<PL>Usuń nieaktualne...");
        obsolete.Hint = LangText(
            "<EN>Remove obsolete entries in the list - these, that do not point to files "
            "anymore<PL>Usuń nieaktualne elementy listy - te, które już nie wskazują na "
            "istniejące pliki");
        menu.push_back(obsolete);
        TRecentsMenuItem all;
        all.ItemKind = TRecentsMenuItem::Kind::RemoveAll;
        all.Caption = LangText("<EN>Remove all...<PL>Usuń wszystkie...");
        all.Hint =
            LangText("<EN>Remove all entries from the list<PL>Usuń wszystkie elementy listy");
        menu.push_back(all);
    } else {
        TRecentsMenuItem none;
        none.ItemKind = TRecentsMenuItem::Kind::NoFiles;
        none.Caption = LangText("<EN>[no files]<PL>[brak plików]");
        none.Hint =
            LangText("<EN>There are no recently opened files<PL>Nie ma ostatnio otwartych plików");
        none.Enabled = false;
        menu.push_back(none);
    }
    return menu;
}

void TRecents_Handler::RemoveObsolete(const std::function<bool(const std::string&)>& exists) {
    auto& items = Top.Items;
    for (size_t i = items.size(); i-- > 0;) {
        if (items[i].Files) {
            auto& nested = items[i].Files->Items;
            for (size_t j = nested.size(); j-- > 0;)
                if (!exists(nested[j].Path)) nested.erase(nested.begin() + j);
        }
        if (!exists(items[i].Path)) items.erase(items.begin() + i);
    }
}

void TRecents_Handler::RemoveAll() {
    Top.Items.clear();
}

void TRecents_Handler::ReadList(TSettingsStore& store, const std::string& root) {
    // Open marks are not stored: the windows register again when opened.
    ReadLevel(store, SubKey(root, "Recents"), Top, Cap);
}

void TRecents_Handler::WriteList(TSettingsStore& store, const std::string& root) const {
    const std::string key = SubKey(root, "Recents");
    store.DeleteKeyTree(key);
    WriteLevel(store, key, Top, Cap);
}

}  // namespace tallyra::core
