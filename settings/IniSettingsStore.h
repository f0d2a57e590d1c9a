#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "settings/SettingsStore.h"

// The settings store as an INI file. Every write rewrites the whole file atomically (a new
// file, flushed, renamed over the old one), so a failed write leaves the file as it was. Lines
// this store does not change keep their bytes, whatever their encoding and line ends. A file
// that cannot be read, or holds no section at all, is never written over: reads give the
// defaults and writes are refused.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(QString filePath);

    // $XDG_CONFIG_HOME (when absolute), else ~/.config, with the store's file name.
    static QString DefaultPath();

    QString FilePath() const { return filePath_; }

    QString ReadString(const QString& section, const QString& name, const QString& def) const override;
    void WriteString(const QString& section, const QString& name, const QString& value) override;
    void WriteStrings(const SettingsValues& values) override;
    QString Refusal() const override;

    // The file's lines as bytes, each without its '\n' (a '\r' before it stays with the line).
    struct Lines {
        QList<QByteArray> lines;
        bool endsWithNewline = true;
    };

private:
    // The file's lines; nothing, with the reason in *refusal, when it must not be written over.
    std::optional<Lines> ReadLines(QString* refusal) const;
    bool Save(const Lines& file) const;

    QString filePath_;
};
