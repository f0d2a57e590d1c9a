#include "automation/OptionWords.h"

#include <QRegularExpression>
#include <QStringList>
#include <utility>

namespace OptionWords {

namespace {

const std::pair<const char*, ReplyFraming> kFramings[] = {
    {"compact", ReplyFraming::Compact},
    {"real", ReplyFraming::Real},
};

}  // namespace

std::optional<bool> ParseOnOff(const QString& word) {
    if (word == QLatin1String("on")) return true;
    if (word == QLatin1String("off")) return false;
    return std::nullopt;
}

std::optional<ReplyFraming> ParseFraming(const QString& word) {
    for (const auto& [name, framing] : kFramings) {
        if (word == QLatin1String(name)) return framing;
    }
    return std::nullopt;
}

QString FramingName(ReplyFraming framing) {
    for (const auto& [name, value] : kFramings) {
        if (value == framing) return QLatin1String(name);
    }
    return {};
}

QString FramingChoices() {
    QStringList names;
    for (const auto& entry : kFramings) {
        names << QLatin1String(entry.first);
    }
    return names.join(QLatin1Char(' '));
}

std::optional<int> ParseCount(const QString& text, int max) {
    static const QRegularExpression kDigits(QStringLiteral(R"(^\d{1,9}$)"));
    if (!kDigits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const int value = text.toInt();
    if (value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace OptionWords
