// SPDX-License-Identifier: GPL-3.0-or-later
// The recent-files list of a main window: one or two levels, each with a
// capacity and a first accelerator character, stored under the window's
// "Recents" key. Pure logic; the window turns BuildMenu's items into menu
// entries and asks the user before RemoveObsolete and RemoveAll.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settingsstore.h"

namespace tallyra::core {

class TRecents_List;

struct TRecents_File {
    std::string Path;
    bool Open = false;                     // currently open in a window
    std::unique_ptr<TRecents_List> Files;  // nested list (two-level handlers only)
};

class TRecents_List {
public:
    std::vector<TRecents_File> Items;
};

// One entry of a built Recents menu.
struct TRecentsMenuItem {
    enum class Kind { File, Separator, RemoveObsolete, RemoveAll, NoFiles };
    Kind ItemKind = Kind::File;
    std::string Caption;  // selected text, ready to show
    std::string Hint;     // selected text
    std::string Path;     // File items: the file to open
    bool Enabled = true;
};

class TRecents_Handler {
public:
    // A one-level list of `capacity` entries with accelerators from `firstChar`.
    explicit TRecents_Handler(int capacity = 26, char firstChar = 'A');

    // Enters a file as opened (open mark set) or closed (mark cleared): an
    // absent path goes to the top and the bottom is dropped beyond the
    // capacity; a present one (compared ignoring letter case) moves to the top.
    void AddOpened(const std::string& path);
    void AddClosed(const std::string& path);

    // The menu entries for the current list; `currentDir` is stripped from
    // the front of paths that begin with it (ignoring case).
    std::vector<TRecentsMenuItem> BuildMenu(const std::string& currentDir) const;

    // Removes, from the bottom up, every entry whose file `exists` rejects.
    void RemoveObsolete(const std::function<bool(const std::string&)>& exists);
    void RemoveAll();

    // "Count" and "File<i>" below root + "Recents". Reading clears the list
    // first and reads at most the capacity; writing deletes the key first.
    void ReadList(TSettingsStore& store, const std::string& root);
    void WriteList(TSettingsStore& store, const std::string& root) const;

    const TRecents_List& List() const { return Top; }
    int Capacity() const { return Cap; }

    // Full, normalised form of a path; the path unchanged when that fails.
    static std::string FullPath(const std::string& path);

private:
    void Add(const std::string& path, bool open);

    TRecents_List Top;
    int Cap;
    char FirstChar;
};

// Case-insensitive (ASCII letters) equality and prefix tests for paths.
bool SamePathText(const std::string& a, const std::string& b);
bool StartsWithPathText(const std::string& text, const std::string& prefix);

}  // namespace tallyra::core
