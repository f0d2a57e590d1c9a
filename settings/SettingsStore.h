#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

// A failed write to the settings store; what() is the UTF-8 text shown to the operator.
class SettingsStoreError : public std::runtime_error {
public:
    explicit SettingsStoreError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

// The persisted settings: named string values in sections. Opened anew for each load,
// each OK of the settings dialog and at start-up.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or def when the section or the value is missing.
    virtual QString ReadString(const QString& section, const QString& name, const QString& def) const = 0;

    // Stores one value, creating the section when it is missing. Raises SettingsStoreError
    // with "Failed to create key %s" (the section) or "Failed to set data for '%s'" (the name).
    virtual void WriteString(const QString& section, const QString& name, const QString& value) = 0;

    // The user's store: an INI file in the configuration folder, the registry key on Windows.
    static std::unique_ptr<SettingsStore> OpenDefault();
};
