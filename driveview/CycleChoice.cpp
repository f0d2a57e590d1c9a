#include "driveview/CycleChoice.h"

#include <QFile>
#include <QFileInfo>

#include "driveview/CurveCycle.h"
#include "drive/CycleCsv.h"
#include "drive/StandardCycles.h"

namespace CycleChoice {

namespace {

const QString kCurveWord = QStringLiteral("curve");
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

}  // namespace

QStringList Words() {
    QStringList words{kCurveWord};
    for (const StandardCycle& standard : StandardCycles()) {
        words << QString::fromLatin1(standard.word);
    }
    return words;
}

std::optional<DriveCycle> Load(const QString& wordOrPath, QString* error) {
    if (wordOrPath.compare(kCurveWord, Qt::CaseInsensitive) == 0) {
        return CurveCycle();
    }
    if (auto standard = LoadStandardCycle(wordOrPath.toStdString())) {
        return standard;
    }
    QFile file(wordOrPath);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("no cycle named '%1' (%2) and no file: %3")
                     .arg(wordOrPath.left(200), Words().join(QLatin1Char(' ')), file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxFileBytes) {
        *error = QStringLiteral("%1: larger than 16 MiB").arg(wordOrPath);
        return std::nullopt;
    }
    const QByteArray text = file.readAll();
    CycleLoad load = ParseCycleCsv(text.toStdString(), QFileInfo(wordOrPath).completeBaseName().toStdString());
    if (!load.cycle) {
        *error = QStringLiteral("%1: %2").arg(QFileInfo(wordOrPath).fileName(), QString::fromStdString(load.error));
        return std::nullopt;
    }
    return std::move(load.cycle);
}

}  // namespace CycleChoice
