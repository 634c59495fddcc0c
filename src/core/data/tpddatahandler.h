// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer's record store: no new records, one selection byte per full
// record, and the record range texts of the range dialog ("1,3,5-12", "4-").
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "tpxdatahandler.h"

namespace tallyra::core {

// A list of (from, to) record number pairs.
using TRecordRanges = std::vector<std::pair<int32_t, int32_t>>;

// Parses a range text: items separated by ",", each a record number or
// "from-to" ("from-" runs to `fullCount`); blanks and tabs around items and
// numbers are ignored. nullopt for any error (the dialog then shows
// "Invalid range."): a non-number, to < from, an empty item or list.
std::optional<TRecordRanges> ParseRangeText(std::string_view text, int32_t fullCount);

// The text of the range error, selected for the current language.
std::string InvalidRangeText();

class TPDDataHandler : public TPXDataHandler {
public:
    // The base opening; raises EPXData "No records in data." for a file
    // without full records. Arguments as TPXDataHandler::CreateForFile.
    static std::unique_ptr<TPDDataHandler> CreateForFile(TPXDictionary& dictionary, bool makeBackup,
                                                         IPXDataOwner* owner,
                                                         const std::string& fileName);

    bool CanAppend() const override { return false; }
    void GoToEnd() override;
    void NextRecord() override;
    void NextField() override;

    // The selection byte of full record r (1-based); false outside the file.
    bool IsSelected(int32_t r) const;
    void SetSelected(int32_t r, bool selected);
    void ToggleSelected(int32_t r) { SetSelected(r, !IsSelected(r)); }
    void SelectAll(bool selected);
    void InvertSelection();
    // Marks every record of every range as selected; numbers outside
    // 1..FullCount are left out.
    void ApplyRanges(const TRecordRanges& ranges);
    int32_t SelectedCount() const;

private:
    using TPXDataHandler::TPXDataHandler;
    std::vector<uint8_t> Selection;  // index 0 is record 1
};

}  // namespace tallyra::core
