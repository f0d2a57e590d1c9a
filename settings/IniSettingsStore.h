#pragma once

#include <QString>
#include <QStringList>

#include "settings/SettingsStore.h"

// The settings store as an INI file. Every write rewrites the whole file atomically, so a
// failed write leaves the file as it was; lines of other sections are kept as they are.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(QString filePath);

    // $XDG_CONFIG_HOME (when absolute), else ~/.config, with the store's file name.
    static QString DefaultPath();

    QString FilePath() const { return filePath_; }

    QString ReadString(const QString& section, const QString& name, const QString& def) const override;
    void WriteString(const QString& section, const QString& name, const QString& value) override;

private:
    QStringList ReadLines() const;
    bool Save(const QStringList& lines) const;

    QString filePath_;
};
