// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store of the desktop program: an INI file under the user's
// configuration folder, key paths mapped to INI groups ("\" becomes "/").
#pragma once

#include <memory>

#include <QString>

#include "shell/settingsstore.h"

class QSettings;

namespace tallyra::gui {

class TQSettingsStore : public core::TSettingsStore {
public:
    // The user's own settings file (QSettings' user scope).
    TQSettingsStore();
    // A given INI file (used by tests).
    explicit TQSettingsStore(const QString& iniFile);
    ~TQSettingsStore() override;

    bool ReadValue(const std::string& key, const std::string& name,
                   core::TSettingsValue& out) override;
    void WriteValue(const std::string& key, const std::string& name,
                    const core::TSettingsValue& value) override;
    void DeleteKeyTree(const std::string& key) override;

private:
    std::unique_ptr<QSettings> Settings;
};

}  // namespace tallyra::gui
