#include "settings/IniSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <utility>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString kFileName = QStringLiteral("MK-Vorta-Tester_Registrids.ini");

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// "[name]" gives name; any other line gives nothing.
std::optional<QString> SectionOf(const QByteArray& line) {
    const QString t = QString::fromUtf8(line).trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
        return t.mid(1, t.size() - 2).trimmed();
    }
    return std::nullopt;
}

// "name=value" gives the pair; value names compare without case, as registry names do.
std::optional<std::pair<QString, QString>> EntryOf(const QByteArray& line) {
    const QString t = QString::fromUtf8(line).trimmed();
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

SectionSpan FindSection(const QList<QByteArray>& lines, const QString& section) {
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

// Stores one value into the lines; false when its section had to be added.
bool Put(IniSettingsStore::Lines& file, const SettingsValue& v) {
    QList<QByteArray>& lines = file.lines;
    // New lines end as the file's first line does, so a file kept with CR LF stays so.
    const QByteArray cr = !lines.isEmpty() && lines.first().endsWith('\r') ? QByteArray("\r") : QByteArray();
    SectionSpan span = FindSection(lines, v.section);
    const bool sectionFound = span.header >= 0;
    if (!sectionFound) {
        lines << QStringLiteral("[%1]").arg(v.section).toUtf8() + cr;
        file.endsWithNewline = true;
        span = {static_cast<int>(lines.size()) - 1, static_cast<int>(lines.size())};
    }
    const QByteArray entryLine = (v.name + QLatin1Char('=') + v.value).toUtf8();
    for (int i = span.header + 1; i < span.end; ++i) {
        const auto entry = EntryOf(lines[i]);
        if (entry && SameName(entry->first, v.name)) {
            lines[i] = entryLine + (lines[i].endsWith('\r') ? QByteArray("\r") : QByteArray());
            return sectionFound;
        }
    }
    // After the section's last value, before any blank lines that separate it from the next.
    int at = span.end;
    while (at > span.header + 1 && lines[at - 1].trimmed().isEmpty()) {
        --at;
    }
    if (at == lines.size()) {
        file.endsWithNewline = true;
    }
    lines.insert(at, entryLine + cr);
    return sectionFound;
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

std::optional<IniSettingsStore::Lines> IniSettingsStore::ReadLines(QString* refusal) const {
    Lines file;
    const QFileInfo info(filePath_);
    if (!info.exists() && !info.isSymLink()) {
        return file;  // the first run: there is nothing to lose
    }
    QFile in(filePath_);
    const bool opened = in.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? in.readAll() : QByteArray();
    if (!opened || in.error() != QFileDevice::NoError) {
        *refusal = QStringLiteral("the settings file %1 cannot be read").arg(filePath_);
        return std::nullopt;
    }
    if (bytes.isEmpty()) {
        return file;
    }
    file.lines = bytes.split('\n');
    file.endsWithNewline = bytes.endsWith('\n');
    if (file.endsWithNewline) {
        file.lines.removeLast();
    }
    bool anyText = false;
    for (const QByteArray& line : file.lines) {
        if (SectionOf(line)) {
            return file;
        }
        anyText = anyText || !line.trimmed().isEmpty();
    }
    if (anyText) {
        *refusal = QStringLiteral("the settings file %1 holds no section this program can read").arg(filePath_);
        return std::nullopt;
    }
    return file;
}

bool IniSettingsStore::Save(const Lines& file) const {
    if (!QDir().mkpath(QFileInfo(filePath_).absolutePath())) {
        return false;
    }
    // Unbuffered: a buffered save file learns of a failed write only when it is closed, and
    // then renames the cut-off file over the old one all the same.
    QSaveFile out(filePath_);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    QByteArray bytes = file.lines.join('\n');
    if (file.endsWithNewline && !file.lines.isEmpty()) {
        bytes += '\n';
    }
    if (out.write(bytes) != bytes.size()) {
        return false;  // the new file is discarded, the old one stays
    }
#ifdef Q_OS_UNIX
    // On the disk before it replaces the old file, so a power cut leaves one or the other.
    if (::fsync(out.handle()) != 0) {
        return false;
    }
#endif
    return out.commit();
}

QString IniSettingsStore::Refusal() const {
    QString reason;
    if (ReadLines(&reason)) {
        return {};
    }
    reason[0] = reason[0].toUpper();
    return reason + QStringLiteral("; the program runs on defaults and will not save over that file.");
}

QString IniSettingsStore::ReadString(const QString& section, const QString& name, const QString& def) const {
    QString refusal;
    const auto file = ReadLines(&refusal);
    if (!file) {
        return def;
    }
    const SectionSpan span = FindSection(file->lines, section);
    for (int i = span.header + 1; span.header >= 0 && i < span.end; ++i) {
        const auto entry = EntryOf(file->lines[i]);
        if (entry && SameName(entry->first, name)) {
            return entry->second;
        }
    }
    return def;
}

void IniSettingsStore::WriteString(const QString& section, const QString& name, const QString& value) {
    WriteStrings({{section, name, value}});
}

void IniSettingsStore::WriteStrings(const SettingsValues& values) {
    QString refusal;
    auto file = ReadLines(&refusal);
    if (!file) {
        throw SettingsStoreError(QStringLiteral("The settings could not be stored: %1.").arg(refusal));
    }
    if (values.empty()) {
        return;
    }
    // A failure names the first section that had to be made, else the first value.
    QString failure;
    for (const SettingsValue& v : values) {
        if (!Put(*file, v) && failure.isEmpty()) {
            failure = QStringLiteral("Failed to create key %1").arg(v.section);
        }
    }
    if (failure.isEmpty()) {
        failure = QStringLiteral("Failed to set data for '%1'").arg(values.front().name);
    }
    if (!Save(*file)) {
        throw SettingsStoreError(failure);
    }
}
