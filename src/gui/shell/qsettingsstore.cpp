// SPDX-License-Identifier: GPL-3.0-or-later
#include "qsettingsstore.h"

#include <QSettings>

#include "langui.h"

namespace tallyra::gui {

namespace {

QString GroupOf(const std::string& key, const std::string& name) {
    QString k = Q(key);
    k.replace('\\', '/');
    while (k.startsWith('/'))
        k.remove(0, 1);
    while (k.endsWith('/'))
        k.chop(1);
    return name.empty() ? k : k + "/" + Q(name);
}

}  // namespace

TQSettingsStore::TQSettingsStore()
    : Settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Tallyra",
                                           "tallyra-studio")) {}

TQSettingsStore::TQSettingsStore(const QString& iniFile)
    : Settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

TQSettingsStore::~TQSettingsStore() {
    Settings->sync();
}

bool TQSettingsStore::ReadValue(const std::string& key, const std::string& name,
                                core::TSettingsValue& out) {
    const QVariant v = Settings->value(GroupOf(key, name));
    if (!v.isValid()) return false;
    switch (v.typeId()) {
        case QMetaType::QByteArray:
            out.ValueKind = core::TSettingsValue::Kind::Binary;
            out.Bytes = v.toByteArray().toStdString();
            return true;
        case QMetaType::Bool:
            out.ValueKind = core::TSettingsValue::Kind::Bool;
            out.Int = v.toBool();
            return true;
        case QMetaType::Int:
            out.ValueKind = core::TSettingsValue::Kind::Int;
            out.Int = v.toInt();
            return true;
        default:
            // INI files give text back; the typed reads interpret it.
            out.ValueKind = core::TSettingsValue::Kind::Str;
            out.Bytes = S(v.toString());
            return true;
    }
}

void TQSettingsStore::WriteValue(const std::string& key, const std::string& name,
                                 const core::TSettingsValue& value) {
    const QString path = GroupOf(key, name);
    switch (value.ValueKind) {
        case core::TSettingsValue::Kind::Int:
            Settings->setValue(path, value.Int);
            break;
        case core::TSettingsValue::Kind::Bool:
            Settings->setValue(path, value.Int != 0);
            break;
        case core::TSettingsValue::Kind::Str:
            Settings->setValue(path, Q(value.Bytes));
            break;
        case core::TSettingsValue::Kind::Binary:
            Settings->setValue(path, QByteArray(value.Bytes.data(), qsizetype(value.Bytes.size())));
            break;
    }
}

void TQSettingsStore::DeleteKeyTree(const std::string& key) {
    Settings->remove(GroupOf(key, {}));
}

}  // namespace tallyra::gui
