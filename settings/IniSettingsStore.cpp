#include "settings/IniSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <optional>
#include <utility>

namespace {

const QString kFileName = QStringLiteral("MK-Vorta-Tester_Registrids.ini");

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// "[name]" gives name; any other line gives nothing.
std::optional<QString> SectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
        return t.mid(1, t.size() - 2).trimmed();
    }
    return std::nullopt;
}

// "name=value" gives the pair; value names compare without case, as registry names do.
std::optional<std::pair<QString, QString>> EntryOf(const QString& line) {
    const QString t = line.trimmed();
    const int eq = t.indexOf(QLatin1Char('='));
    if (t.isEmpty() || IsComment(t) || eq <= 0) {
        return std::nullopt;
    }
    return std::make_pair(t.left(eq).trimmed(), t.mid(eq + 1).trimmed());
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section starts and ends in the file: [header, end).
struct SectionSpan {
    int header = -1;
    int end = -1;
};

SectionSpan FindSection(const QStringList& lines, const QString& section) {
    SectionSpan span;
    for (int i = 0; i < lines.size(); ++i) {
        const auto name = SectionOf(lines[i]);
        if (!name) {
            continue;
        }
        if (span.header >= 0) {
            span.end = i;
            return span;
        }
        if (SameName(*name, section)) {
            span.header = i;
        }
    }
    if (span.header >= 0) {
        span.end = static_cast<int>(lines.size());
    }
    return span;
}

}  // namespace

IniSettingsStore::IniSettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString IniSettingsStore::DefaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QLatin1Char('/') + kFileName;
}

QStringList IniSettingsStore::ReadLines() const {
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QStringList lines;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        lines << in.readLine();
    }
    return lines;
}

bool IniSettingsStore::Save(const QStringList& lines) const {
    if (!QDir().mkpath(QFileInfo(filePath_).absolutePath())) {
        return false;
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    const QByteArray text = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    return file.write(text) == text.size() && file.commit();
}

QString IniSettingsStore::ReadString(const QString& section, const QString& name, const QString& def) const {
    const QStringList lines = ReadLines();
    const SectionSpan span = FindSection(lines, section);
    for (int i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        const auto entry = EntryOf(lines[i]);
        if (entry && SameName(entry->first, name)) {
            return entry->second;
        }
    }
    return def;
}

void IniSettingsStore::WriteString(const QString& section, const QString& name, const QString& value) {
    QStringList lines = ReadLines();
    SectionSpan span = FindSection(lines, section);
    if (span.header < 0) {
        lines << QStringLiteral("[%1]").arg(section);
        if (!Save(lines)) {
            throw SettingsStoreError(QStringLiteral("Failed to create key %1").arg(section));
        }
        span = {static_cast<int>(lines.size()) - 1, static_cast<int>(lines.size())};
    }
    const QString entryLine = name + QLatin1Char('=') + value;
    bool replaced = false;
    for (int i = span.header + 1; i < span.end && !replaced; ++i) {
        const auto entry = EntryOf(lines[i]);
        if (entry && SameName(entry->first, name)) {
            lines[i] = entryLine;
            replaced = true;
        }
    }
    if (!replaced) {
        // After the section's last value, before any blank lines that separate it from the next.
        int at = span.end;
        while (at > span.header + 1 && lines[at - 1].trimmed().isEmpty()) {
            --at;
        }
        lines.insert(at, entryLine);
    }
    if (!Save(lines)) {
        throw SettingsStoreError(QStringLiteral("Failed to set data for '%1'").arg(name));
    }
}
