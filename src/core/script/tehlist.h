// SPDX-License-Identifier: GPL-3.0-or-later
// Numbered messages (errors, warnings, hints) with positions, and the bounded
// list that collects them with its overflow rule.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tallyra::core {

constexpr uint8_t mkError = 0;
constexpr uint8_t mkWarning = 1;
constexpr uint8_t mkHint = 2;

class TEHMessage {
public:
    TEHMessage() = default;
    TEHMessage(uint8_t kind, int32_t position, int32_t code)
        : Kind(kind), Code(code), Position(position) {}
    virtual ~TEHMessage() = default;

    // A copy carrying Kind, Code and Position (and the extra data of subclasses).
    virtual std::unique_ptr<TEHMessage> CreateCopy() const;
    // GetBaseText, or "unknown message: N" when that is empty.
    virtual std::string GetText() const;
    // The overflow marker's text for code 0, otherwise empty.
    virtual std::string GetBaseText() const;

    int32_t Seq = 0;  // insertion index, written by Sort only
    uint8_t Kind = mkError;
    int32_t Code = 0;  // 0 = the list's overflow marker
    int32_t Position = 0;
};

// An owning list of messages with a limit. When full, an error pushes out the
// earliest warning or hint; an error that finds only errors appends the
// overflow marker (when AddMarker) and raises EMessagesLimit.
class TEHList {
public:
    TEHList(int32_t limit, bool showKind, bool addMarker)
        : Limit(limit), ShowKind(showKind), AddMarker(addMarker) {}
    virtual ~TEHList() = default;
    TEHList(const TEHList&) = delete;
    TEHList& operator=(const TEHList&) = delete;

    // Takes ownership of m and applies the overflow rule; returns the index
    // the message got, or -1 when it was not kept. Raises EMessagesLimit.
    virtual int32_t Add(std::unique_ptr<TEHMessage> m);
    // NewMessage with the given fields, then Add.
    virtual void AddMessage(uint8_t kind, int32_t position, int32_t code);
    TEHMessage* Get(int32_t index) const { return Items[static_cast<size_t>(index)].get(); }
    // Stable sort by Position (Seq records the order before sorting).
    virtual void Sort();
    // The display line: "(1) Warning: label never used." or, without kinds,
    // "(1) label never used.".
    virtual std::string FormatItem(int32_t index) const;
    // Number of messages whose Kind is among `kinds`.
    int32_t CountKinds(std::initializer_list<uint8_t> kinds) const;
    // A new plain message of this list's message class.
    virtual std::unique_ptr<TEHMessage> NewMessage() const;

    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    void Clear() { Items.clear(); }
    void Reserve(size_t n) { Items.reserve(n); }
    void Shrink() { Items.shrink_to_fit(); }

    int32_t Limit;
    bool ShowKind;
    bool AddMarker;
    std::vector<std::unique_ptr<TEHMessage>> Items;
};

}  // namespace tallyra::core
