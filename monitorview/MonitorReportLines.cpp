#include "monitorview/MonitorReportLines.h"

namespace MonitorReportLines {

namespace {

QString ReasonText(UnansweredReason reason) {
    switch (reason) {
    case UnansweredReason::IgnitionOff: return QStringLiteral("зажигание выключено");
    case UnansweredReason::OtherAddress: return QStringLiteral("другой адрес");
    case UnansweredReason::NotStarted: return QStringLiteral("связь не начата");
    case UnansweredReason::NoService: return QStringLiteral("нет такой службы");
    case UnansweredReason::FaultMode: return QStringLiteral("режим неисправности");
    case UnansweredReason::QueueFull: return QStringLiteral("очередь ответов полна");
    }
    return {};
}

QString Ms(const std::optional<double>& ms) {
    return ms ? QStringLiteral("%1 мс").arg(*ms, 0, 'f', 1) : QStringLiteral("—");
}

}  // namespace

QString MarkText(DeviceReport::Mark mark) {
    switch (mark) {
    case DeviceReport::Mark::NoData: return QStringLiteral("нет данных");
    case DeviceReport::Mark::Within: return QStringLiteral("в норме");
    case DeviceReport::Mark::Outside: return QStringLiteral("вне нормы");
    case DeviceReport::Mark::WrittenAtOnce: return QStringLiteral("вне нормы: запрос записан целиком");
    }
    return {};
}

std::vector<Line> Lines(const DeviceReport::Figures& f) {
    std::vector<Line> lines = {
        {QStringLiteral("P3 мин. (пауза перед запросом)"), Ms(f.p3Min.ms), QStringLiteral("55–5000 мс"), f.p3Min.mark, true},
        {QStringLiteral("P3 медиана"), Ms(f.p3Median.ms), QStringLiteral("55–5000 мс"), f.p3Median.mark, true},
        {QStringLiteral("P4 мин. (между байтами запроса)"), Ms(f.p4Min.ms), QStringLiteral("5–20 мс"), f.p4Min.mark, true},
        {QStringLiteral("P4 макс."), Ms(f.p4Max.ms), QStringLiteral("5–20 мс"), f.p4Max.mark, true},
        {QStringLiteral("Запросы одним куском (без пауз P4)"),
         QStringLiteral("%1 из %2").arg(f.requestsInOnePiece).arg(f.requestsInOnePiece + f.requestsInPieces), QString(),
         DeviceReport::Mark::NoData, false},
        {QStringLiteral("Наибольшая тишина на связи"), Ms(f.longestSilence.ms), QStringLiteral("≤ 5000 мс (P3max)"),
         f.longestSilence.mark, true},
        {QStringLiteral("Пробуждение перед StartCommunication"),
         QStringLiteral("%1 из %2").arg(f.startsAfterWakeUp).arg(f.starts), QString(), DeviceReport::Mark::NoData,
         false},
        {QStringLiteral("Запросы до StartCommunication"), QString::number(f.requestsBeforeStart), QString(),
         DeviceReport::Mark::NoData, false},
        {QStringLiteral("Ответы"), QString::number(f.replies), QString(), DeviceReport::Mark::NoData, false},
        {QStringLiteral("Медленные инициализации"), QString::number(f.slowInits), QString(), DeviceReport::Mark::NoData,
         false},
        {QStringLiteral("W4 мин. (до инверсии KB2)"), Ms(f.w4Min.ms), QStringLiteral("25–50 мс"), f.w4Min.mark, true},
        {QStringLiteral("W4 макс."), Ms(f.w4Max.ms), QStringLiteral("25–50 мс"), f.w4Max.mark, true},
    };
    for (const UnansweredReason reason : {UnansweredReason::IgnitionOff, UnansweredReason::OtherAddress,
                                          UnansweredReason::NotStarted, UnansweredReason::NoService,
                                          UnansweredReason::FaultMode, UnansweredReason::QueueFull}) {
        const auto it = f.unanswered.find(reason);
        lines.push_back({QStringLiteral("Без ответа: ") + ReasonText(reason),
                         QString::number(it == f.unanswered.end() ? 0 : it->second), QString(),
                         DeviceReport::Mark::NoData, false});
    }
    const std::pair<QString, int> counts[] = {
        {QStringLiteral("Неверная контрольная сумма"), f.badChecksums},
        {QStringLiteral("Неверный заголовок"), f.malformedHeaders},
        {QStringLiteral("Частичные кадры отброшены"), f.partialFramesDropped},
        {QStringLiteral("Кадры другим адресам"), f.otherAddresses},
    };
    for (const auto& [name, count] : counts) {
        lines.push_back({name, QString::number(count), QString(), DeviceReport::Mark::NoData, false});
    }
    for (const auto& [key, count] : f.requests) {
        lines.push_back({QStringLiteral("Запросы ") + QString::fromStdString(key), QString::number(count), QString(),
                         DeviceReport::Mark::NoData, false});
    }
    lines.push_back({QStringLiteral("Разрешение отметок времени"), QString::fromStdString(f.resolution.text),
                     QString(), DeviceReport::Mark::NoData, false});
    return lines;
}

}  // namespace MonitorReportLines
