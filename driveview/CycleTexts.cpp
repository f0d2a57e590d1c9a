#include "driveview/CycleTexts.h"

#include <cmath>

namespace CycleTexts {

QString State(CycleRun::State state) {
    switch (state) {
        case CycleRun::State::Idle: return QStringLiteral("не запущен");
        case CycleRun::State::Running: return QStringLiteral("идёт");
        case CycleRun::State::Finished: return QStringLiteral("завершён");
        case CycleRun::State::Stopped: return QStringLiteral("остановлен досрочно");
    }
    return {};
}

QString VerdictText(const Verdict& v) {
    switch (v.state) {
        case VerdictState::Pass: return QStringLiteral("ГОДЕН");
        case VerdictState::Fail: return QStringLiteral("НЕ ГОДЕН");
        case VerdictState::NoFigures: return QStringLiteral("нет вердикта: показания устройства не введены");
        case VerdictState::Running: return QStringLiteral("нет вердикта: ни одна фаза ещё не закончилась");
        case VerdictState::StoppedEarly: return QStringLiteral("нет вердикта: цикл остановлен досрочно");
        case VerdictState::NoReplies: return QStringLiteral("нет вердикта: устройство не получило ни одного ответа со скоростью");
    }
    return {};
}

QString FigureName(const std::string& name) {
    if (name == "distance") return QStringLiteral("Путь, км");
    if (name == "fuel") return QStringLiteral("Топливо, л");
    if (name == "avg-speed") return QStringLiteral("Средняя скорость, км/ч");
    if (name == "avg-consumption") return QStringLiteral("Средний расход, л/100 км");
    if (name == "time") return QStringLiteral("Время в пути, с");
    return QString::fromStdString(name);
}

QString Number(std::optional<double> value, int decimals) {
    if (!value || !std::isfinite(*value)) {
        return QStringLiteral("—");
    }
    // A figure that rounds to zero reads 0, never -0.
    return QString::number(std::fabs(*value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : *value, 'f', decimals);
}

QString Clock(double seconds) {
    const long long s = std::llround(std::max(seconds, 0.0));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString PollText(const DeviceView& device) {
    auto one = [](const PollRate& rate) {
        return rate.count == 0 ? QStringLiteral("нет ответов")
                               : QStringLiteral("%1 ответов, в среднем %2 мс, наибольший перерыв %3 мс")
                                     .arg(rate.count)
                                     .arg(Number(rate.meanMs, 0), Number(rate.longestMs, 0));
    };
    return QStringLiteral("Опрос скорости: %1. Опрос расхода: %2.").arg(one(device.SpeedPolls()), one(device.FuelPolls()));
}

}  // namespace CycleTexts
