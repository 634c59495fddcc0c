// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user settings store: keys form a path separated by "\" and hold
// named values of four kinds (32-bit integer, boolean, string, byte block).
// Windows read their settings once at creation and write them at
// destruction through this interface; the desktop program backs it with an
// INI file, the tests with TMemorySettingsStore.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tallyra::core {

// One stored value as the backend keeps it.
struct TSettingsValue {
    enum class Kind { Int, Bool, Str, Binary };
    Kind ValueKind = Kind::Str;
    int32_t Int = 0;    // Int and Bool
    std::string Bytes;  // Str (UTF-8) and Binary
};

// The store. Backends implement the three raw operations; the typed reads
// and writes are shared. No operation raises: a read that fails gives its
// default, a write that fails is lost silently (settings failures never
// reach the user).
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // Reads the raw value `name` of `key`; false when it does not exist.
    virtual bool ReadValue(const std::string& key, const std::string& name,
                           TSettingsValue& out) = 0;
    virtual void WriteValue(const std::string& key, const std::string& name,
                            const TSettingsValue& value) = 0;
    // Deletes a key with all its sub-keys.
    virtual void DeleteKeyTree(const std::string& key) = 0;

    // The stored value, or `def` when it is missing or not of that kind.
    bool ReadBool(const std::string& key, const std::string& name, bool def);
    int32_t ReadInt(const std::string& key, const std::string& name, int32_t def);
    std::string ReadStr(const std::string& key, const std::string& name, const std::string& def);
    // Fills buffer[0..length) from a stored block of exactly `length` bytes,
    // otherwise from def[0..length).
    void ReadBinary(const std::string& key, const std::string& name, void* buffer, size_t length,
                    const void* def);
    // A 32-bit set stored as a 4-byte block (low byte first).
    uint32_t ReadSet32(const std::string& key, const std::string& name, uint32_t def);

    void WriteBool(const std::string& key, const std::string& name, bool value);
    void WriteInt(const std::string& key, const std::string& name, int32_t value);
    void WriteStr(const std::string& key, const std::string& name, const std::string& value);
    void WriteBinary(const std::string& key, const std::string& name, const void* buffer,
                     size_t length);
    void WriteSet32(const std::string& key, const std::string& name, uint32_t value);
};

// Joins a key path and a sub-key with one "\" between them.
std::string SubKey(const std::string& key, const std::string& sub);

// A store held in memory; key paths compare exactly after trimming "\" at
// both ends. Used by the tests and as a neutral store for windows that keep
// nothing.
class TMemorySettingsStore : public TSettingsStore {
public:
    bool ReadValue(const std::string& key, const std::string& name, TSettingsValue& out) override;
    void WriteValue(const std::string& key, const std::string& name,
                    const TSettingsValue& value) override;
    void DeleteKeyTree(const std::string& key) override;

    // Names of the values of a key (sorted), for tests.
    std::vector<std::string> ValueNames(const std::string& key) const;
    bool HasKey(const std::string& key) const;

private:
    std::map<std::string, std::map<std::string, TSettingsValue>> Keys;
};

}  // namespace tallyra::core
