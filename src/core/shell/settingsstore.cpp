// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace tallyra::core {

namespace {

std::string TrimKey(const std::string& key) {
    size_t b = 0, e = key.size();
    while (b < e && key[b] == '\\')
        ++b;
    while (e > b && key[e - 1] == '\\')
        --e;
    return key.substr(b, e - b);
}

}  // namespace

std::string SubKey(const std::string& key, const std::string& sub) {
    std::string k = key;
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    return k + "\\" + sub;
}

bool TSettingsStore::ReadBool(const std::string& key, const std::string& name, bool def) {
    TSettingsValue v;
    if (!ReadValue(key, name, v)) return def;
    if (v.ValueKind == TSettingsValue::Kind::Bool || v.ValueKind == TSettingsValue::Kind::Int)
        return v.Int != 0;
    if (v.ValueKind == TSettingsValue::Kind::Str) {
        if (v.Bytes == "true" || v.Bytes == "1") return true;
        if (v.Bytes == "false" || v.Bytes == "0") return false;
    }
    return def;
}

int32_t TSettingsStore::ReadInt(const std::string& key, const std::string& name, int32_t def) {
    TSettingsValue v;
    if (!ReadValue(key, name, v)) return def;
    if (v.ValueKind == TSettingsValue::Kind::Int) return v.Int;
    if (v.ValueKind == TSettingsValue::Kind::Str && !v.Bytes.empty()) {
        // Text backends hand integers back as text; accept only a whole number.
        char* end = nullptr;
        errno = 0;
        const long long n = std::strtoll(v.Bytes.c_str(), &end, 10);
        if (errno == 0 && end && *end == '\0' && n >= INT32_MIN && n <= INT32_MAX)
            return static_cast<int32_t>(n);
    }
    return def;
}

std::string TSettingsStore::ReadStr(const std::string& key, const std::string& name,
                                    const std::string& def) {
    TSettingsValue v;
    if (!ReadValue(key, name, v) || v.ValueKind != TSettingsValue::Kind::Str) return def;
    return v.Bytes;
}

void TSettingsStore::ReadBinary(const std::string& key, const std::string& name, void* buffer,
                                size_t length, const void* def) {
    TSettingsValue v;
    if (ReadValue(key, name, v) && v.ValueKind == TSettingsValue::Kind::Binary &&
        v.Bytes.size() == length) {
        std::memcpy(buffer, v.Bytes.data(), length);
        return;
    }
    if (def) std::memcpy(buffer, def, length);
}

uint32_t TSettingsStore::ReadSet32(const std::string& key, const std::string& name, uint32_t def) {
    unsigned char d[4] = {static_cast<unsigned char>(def), static_cast<unsigned char>(def >> 8),
                          static_cast<unsigned char>(def >> 16),
                          static_cast<unsigned char>(def >> 24)};
    unsigned char b[4];
    ReadBinary(key, name, b, 4, d);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void TSettingsStore::WriteBool(const std::string& key, const std::string& name, bool value) {
    TSettingsValue v;
    v.ValueKind = TSettingsValue::Kind::Bool;
    v.Int = value ? 1 : 0;
    WriteValue(key, name, v);
}

void TSettingsStore::WriteInt(const std::string& key, const std::string& name, int32_t value) {
    TSettingsValue v;
    v.ValueKind = TSettingsValue::Kind::Int;
    v.Int = value;
    WriteValue(key, name, v);
}

void TSettingsStore::WriteStr(const std::string& key, const std::string& name,
                              const std::string& value) {
    TSettingsValue v;
    v.ValueKind = TSettingsValue::Kind::Str;
    v.Bytes = value;
    WriteValue(key, name, v);
}

void TSettingsStore::WriteBinary(const std::string& key, const std::string& name,
                                 const void* buffer, size_t length) {
    TSettingsValue v;
    v.ValueKind = TSettingsValue::Kind::Binary;
    v.Bytes.assign(static_cast<const char*>(buffer), length);
    WriteValue(key, name, v);
}

void TSettingsStore::WriteSet32(const std::string& key, const std::string& name, uint32_t value) {
    const unsigned char b[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    WriteBinary(key, name, b, 4);
}

bool TMemorySettingsStore::ReadValue(const std::string& key, const std::string& name,
                                     TSettingsValue& out) {
    auto k = Keys.find(TrimKey(key));
    if (k == Keys.end()) {
        // Keys are opened with creation for reading too.
        Keys[TrimKey(key)];
        return false;
    }
    auto v = k->second.find(name);
    if (v == k->second.end()) return false;
    out = v->second;
    return true;
}

void TMemorySettingsStore::WriteValue(const std::string& key, const std::string& name,
                                      const TSettingsValue& value) {
    Keys[TrimKey(key)][name] = value;
}

void TMemorySettingsStore::DeleteKeyTree(const std::string& key) {
    const std::string k = TrimKey(key);
    for (auto it = Keys.begin(); it != Keys.end();) {
        if (it->first == k || it->first.rfind(k + "\\", 0) == 0)
            it = Keys.erase(it);
        else
            ++it;
    }
}

std::vector<std::string> TMemorySettingsStore::ValueNames(const std::string& key) const {
    std::vector<std::string> names;
    auto k = Keys.find(TrimKey(key));
    if (k != Keys.end())
        for (const auto& [n, v] : k->second)
            names.push_back(n);
    return names;
}

bool TMemorySettingsStore::HasKey(const std::string& key) const {
    return Keys.count(TrimKey(key)) != 0;
}

}  // namespace tallyra::core
