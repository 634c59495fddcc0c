// SPDX-License-Identifier: GPL-3.0-or-later
#include "tehlist.h"

#include <algorithm>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

std::unique_ptr<TEHMessage> TEHMessage::CreateCopy() const {
    return std::make_unique<TEHMessage>(Kind, Position, Code);
}

std::string TEHMessage::GetText() const {
    std::string text = GetBaseText();
    if (text.empty())
        text = FormatText(LangText("<EN>unknown message: %d<PL>nieznany komunikat: %d"), Code);
    return text;
}

std::string TEHMessage::GetBaseText() const {
    if (Code == 0)
        return LangText(
            "<EN>too many errors, the rest will be ignored"
            "<PL>za dużo błędów, kolejne zostaną zignorowane");
    return std::string();
}

int32_t TEHList::Add(std::unique_ptr<TEHMessage> m) {
    const int32_t n = Count();
    if (n < Limit) {
        Items.push_back(std::move(m));
        return n;
    }
    if (n == Limit && m->Kind == mkError) {
        const auto it = std::find_if(Items.begin(), Items.end(),
                                     [](const auto& item) { return item->Kind != mkError; });
        if (it != Items.end()) {
            Items.erase(it);
            Items.push_back(std::move(m));
            return Count() - 1;
        }
        if (AddMarker) {
            auto marker = NewMessage();
            marker->Kind = mkError;
            marker->Code = 0;
            marker->Position = m->Position;
            Items.push_back(std::move(marker));
        }
        throw EMessagesLimit();
    }
    return -1;
}

void TEHList::AddMessage(uint8_t kind, int32_t position, int32_t code) {
    auto m = NewMessage();
    m->Kind = kind;
    m->Position = position;
    m->Code = code;
    Add(std::move(m));
}

void TEHList::Sort() {
    for (size_t i = 0; i < Items.size(); ++i)
        Items[i]->Seq = static_cast<int32_t>(i);
    std::stable_sort(Items.begin(), Items.end(), [](const auto& a, const auto& b) {
        if (a->Position != b->Position) return a->Position < b->Position;
        return a->Seq < b->Seq;
    });
}

std::string TEHList::FormatItem(int32_t index) const {
    const TEHMessage* m = Get(index);
    const std::string text = m->GetText();
    if (!ShowKind) return FormatText(LangText("(%d) %s."), index + 1, text.c_str());
    const char* word = m->Kind == mkError     ? "<EN>Error<PL>Błąd"
                       : m->Kind == mkWarning ? "<EN>Warning<PL>Ostrzeżenie"
                                              : "<EN>Hint<PL>Uwaga";
    return FormatText(std::string("(%d) %s: %s."), index + 1, LangText(word).c_str(), text.c_str());
}

int32_t TEHList::CountKinds(std::initializer_list<uint8_t> kinds) const {
    int32_t count = 0;
    for (const auto& m : Items)
        if (std::find(kinds.begin(), kinds.end(), m->Kind) != kinds.end()) ++count;
    return count;
}

std::unique_ptr<TEHMessage> TEHList::NewMessage() const {
    return std::make_unique<TEHMessage>();
}

}  // namespace tallyra::core
