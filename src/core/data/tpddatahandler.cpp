// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpddatahandler.h"

#include "../shell/errors.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::string InvalidRangeText() {
    return LangText("<EN>Invalid range.<PL>Nieprawidłowy zakres.");
}

std::optional<TRecordRanges> ParseRangeText(std::string_view text, int32_t fullCount) {
    TRecordRanges ranges;
    std::string_view rest = TrimBlanks(text);
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view item = TrimBlanks(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view()
                                               : TrimBlanks(rest.substr(comma + 1));
        int32_t from;
        int32_t to;
        const size_t dash = item.find('-');
        if (dash == std::string_view::npos) {
            if (!DataStrToInt(item, from) || item.empty() || item[0] == ' ') return std::nullopt;
            to = from;
        } else {
            const std::string_view left = TrimBlanks(item.substr(0, dash));
            const std::string_view right = TrimBlanks(item.substr(dash + 1));
            if (!DataStrToInt(left, from)) return std::nullopt;
            if (right.empty()) {
                to = fullCount;
            } else if (!DataStrToInt(right, to)) {
                return std::nullopt;
            }
            if (to < from) return std::nullopt;
        }
        ranges.emplace_back(from, to);
    }
    if (ranges.empty()) return std::nullopt;
    return ranges;
}

std::unique_ptr<TPDDataHandler> TPDDataHandler::CreateForFile(TPXDictionary& dictionary,
                                                              bool makeBackup, IPXDataOwner* owner,
                                                              const std::string& fileName) {
    std::unique_ptr<TPDDataHandler> store(new TPDDataHandler(dictionary, owner));
    store->OpenFile(fileName, makeBackup);
    if (store->FullCount() == 0)
        throw EPXData(LangText("<EN>No records in data.<PL>Nie ma żadnych rekordów w danych."));
    store->Selection.assign(size_t(store->FullCount()), 0);
    return store;
}

void TPDDataHandler::GoToEnd() {
    TPXDataContext& c = Context();
    if (c.Rec < FullCount()) {
        SaveRecord();
        c.Rec = FullCount();
        LoadRecord();
        c.PageStart = 0;
        c.Cur = 0;
    }
    EndOfRecord();
}

void TPDDataHandler::NextRecord() {
    if (Context().Rec < FullCount()) {
        SaveRecord();
        ++Context().Rec;
        LoadRecord();
    }
}

void TPDDataHandler::NextField() {
    // On the last full record there is nothing after the last field: the
    // viewer never moves on to a new record. Comments or pages after the
    // last field count as nothing, so a script ending in a comment cannot
    // open a record after the last one either.
    if (Context().Rec >= FullCount()) {
        bool fieldAfter = false;
        for (int32_t i = Context().Cur + 1; i < InstructionCount() && !fieldAfter; ++i)
            fieldAfter = FieldAt(i) != nullptr;
        if (!fieldAfter) return;
    }
    TPXDataHandler::NextField();
}

bool TPDDataHandler::IsSelected(int32_t r) const {
    return r >= 1 && r <= int32_t(Selection.size()) && Selection[size_t(r - 1)] != 0;
}

void TPDDataHandler::SetSelected(int32_t r, bool selected) {
    if (r >= 1 && r <= int32_t(Selection.size())) Selection[size_t(r - 1)] = selected ? 1 : 0;
}

void TPDDataHandler::SelectAll(bool selected) {
    std::fill(Selection.begin(), Selection.end(), selected ? 1 : 0);
}

void TPDDataHandler::InvertSelection() {
    for (uint8_t& b : Selection)
        b = b ? 0 : 1;
}

void TPDDataHandler::ApplyRanges(const TRecordRanges& ranges) {
    for (const auto& [from, to] : ranges) {
        const int32_t lo = std::max(from, 1);
        const int32_t hi = std::min(to, int32_t(Selection.size()));
        for (int32_t r = lo; r <= hi; ++r)
            Selection[size_t(r - 1)] = 1;
    }
}

int32_t TPDDataHandler::SelectedCount() const {
    int32_t n = 0;
    for (uint8_t b : Selection)
        n += b ? 1 : 0;
    return n;
}

}  // namespace tallyra::core
