#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <vector>

// A failed write to the settings store; what() is the UTF-8 text shown to the operator.
class SettingsStoreError : public std::runtime_error {
public:
    explicit SettingsStoreError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

// One value to store: its section, its name and its text.
struct SettingsValue {
    QString section;
    QString name;
    QString value;
};
using SettingsValues = std::vector<SettingsValue>;

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

    // Stores the values together: in one write where the store can make one, so that a failure
    // leaves every value as it was. Raises SettingsStoreError as WriteString does. This one
    // writes them one by one.
    virtual void WriteStrings(const SettingsValues& values);

    // Why this store will not be written (it holds something it cannot read, which a write
    // would lose); empty while it may be. Reads then give the defaults.
    virtual QString Refusal() const { return {}; }

    // The user's store: an INI file in the configuration folder, the registry key on Windows.
    static std::unique_ptr<SettingsStore> OpenDefault();
};
