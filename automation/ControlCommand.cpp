#include "automation/ControlCommand.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <utility>

namespace {

template <typename T>
struct Named {
    const char* name;
    T value;
};

// The values a bench sets and reads, by their control-interface names.
const Named<Mirror> kSettableMirrors[] = {
    {"speed", Mirror::Speed},         {"coolant", Mirror::Coolant},
    {"rpm", Mirror::EngineSpeed},     {"throttle", Mirror::Throttle},
    {"idle-valve", Mirror::IdleValve}, {"fuel-flow", Mirror::FuelFlow},
    {"air-flow", Mirror::AirFlow},    {"voltage", Mirror::Voltage},
    {"idle-rpm", Mirror::IdleSpeed},  {"injection", Mirror::Injection},
};

const Named<ControlButton> kButtons[] = {
    {"ignition", ControlButton::Ignition},   {"engine", ControlButton::Engine},
    {"ignition-2", ControlButton::Ignition2}, {"engine-2", ControlButton::Engine2},
    {"trip", ControlButton::Trip},           {"curve", ControlButton::Curve},
    {"clear-dtc", ControlButton::ClearDtc},
};

const Named<EcuVariant> kVariants[] = {
    {"Ja5", EcuVariant::Ja5}, {"B1", EcuVariant::B1},   {"Ja7", EcuVariant::Ja7},
    {"B7", EcuVariant::B7},   {"BMP", EcuVariant::BMP}, {"b17", EcuVariant::b17},
};

// Option bytes of ReadEcuIdentification and the field each one reports.
const Named<IdentField> kIdentOptions[] = {
    {"90", IdentField::Vin},             {"91", IdentField::EcuSerialNumber},
    {"92", IdentField::HardwareNumber},  {"94", IdentField::SoftwareNumber},
    {"97", IdentField::EngineId},        {"99", IdentField::ProgrammingDate},
    {"9A", IdentField::RomVersion},
};

const Named<Lamp> kLamps[] = {
    {"UiLED1", Lamp::UiLED1},
    {"UiLED2", Lamp::UiLED2},
    {"UiLED3", Lamp::UiLED3},
    {"UiLED4", Lamp::UiLED4},
    {"UiLED5", Lamp::UiLED5},
    {"ESUDCONTROL1ON", Lamp::ESUDCONTROL1ON},
    {"ESUDCONTROL1OFF", Lamp::ESUDCONTROL1OFF},
    {"ESUDCONTROL2ON", Lamp::ESUDCONTROL2ON},
    {"ESUDCONTROL2OFF", Lamp::ESUDCONTROL2OFF},
    {"ESUDCONTROL5ON", Lamp::ESUDCONTROL5ON},
    {"ESUDCONTROL5OFF", Lamp::ESUDCONTROL5OFF},
    {"ESUDCONTROL6ON", Lamp::ESUDCONTROL6ON},
    {"ESUDCONTROL6OFF", Lamp::ESUDCONTROL6OFF},
    {"ESUDCONTROL7ON", Lamp::ESUDCONTROL7ON},
    {"ESUDCONTROL7OFF", Lamp::ESUDCONTROL7OFF},
    {"ESUDCONTROL8ON", Lamp::ESUDCONTROL8ON},
    {"ESUDCONTROL8OFF", Lamp::ESUDCONTROL8OFF},
};

template <typename T, std::size_t N>
std::optional<T> Find(const Named<T> (&table)[N], const QString& name) {
    for (const auto& entry : table) {
        if (name == QLatin1String(entry.name)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

template <typename T, std::size_t N>
QString Choices(const Named<T> (&table)[N]) {
    QStringList names;
    for (const auto& entry : table) {
        names << QLatin1String(entry.name);
    }
    return names.join(QLatin1Char(' '));
}

// A decimal number with a point, whatever the locale of the machine.
std::optional<double> ParseDecimal(const QString& text) {
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d{1,3})?$)"));
    if (!kNumber.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toLatin1().toDouble(&ok);  // always the C locale
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
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

class LineParser {
public:
    LineParser(const QString& line, QString* error) : line_(line), error_(error) {}

    std::optional<ControlCommand> Run() {
        static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
        words_ = line_.split(kBlanks, Qt::SkipEmptyParts);
        if (words_.isEmpty()) {
            return Fail(QStringLiteral("empty line"));
        }
        const QString verb = words_[0];
        if (verb == QLatin1String("set")) return Set();
        if (verb == QLatin1String("get")) return Get();
        if (verb == QLatin1String("click")) return Click();
        if (verb == QLatin1String("variant")) return Variant();
        if (verb == QLatin1String("dtc")) return Dtc();
        if (verb == QLatin1String("ident")) return Ident();
        if (verb == QLatin1String("fault")) return Fault();
        if (verb == QLatin1String("quit")) return Quit();
        if (verb == QLatin1String("clear")) return Clear();
        return Fail(QStringLiteral("unknown command '%1'").arg(verb.left(64)));
    }

private:
    std::optional<ControlCommand> Fail(const QString& reason) {
        *error_ = reason;
        return std::nullopt;
    }

    bool Arity(int count, const QString& usage) {
        if (words_.size() != count) {
            *error_ = QStringLiteral("usage: %1").arg(usage);
            return false;
        }
        return true;
    }

    std::optional<ControlCommand> Set() {
        if (!Arity(3, QStringLiteral("set PARAM VALUE"))) return std::nullopt;
        const auto mirror = Find(kSettableMirrors, words_[1]);
        if (!mirror) {
            return Fail(QStringLiteral("unknown parameter '%1', one of: %2")
                            .arg(words_[1].left(64), Choices(kSettableMirrors)));
        }
        const auto value = ParseDecimal(words_[2]);
        if (!value) {
            return Fail(QStringLiteral("bad number '%1', write it with a decimal point")
                            .arg(words_[2].left(64)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Set;
        command.mirror = *mirror;
        command.value = *value;
        return command;
    }

    std::optional<ControlCommand> Get() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: get WHAT"));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Get;
        const QString what = words_[1];
        if (what == QLatin1String("ident")) {
            if (!Arity(3, QStringLiteral("get ident OPTION"))) return std::nullopt;
            const auto field = IdentOption(words_[2]);
            if (!field) return std::nullopt;
            command.query = ControlQuery::Ident;
            command.ident = *field;
            return command;
        }
        if (what == QLatin1String("lamp")) {
            if (!Arity(3, QStringLiteral("get lamp NAME"))) return std::nullopt;
            const auto lamp = Find(kLamps, words_[2]);
            if (!lamp) {
                return Fail(QStringLiteral("unknown lamp '%1'").arg(words_[2].left(64)));
            }
            command.query = ControlQuery::Lamp;
            command.lamp = *lamp;
            return command;
        }
        if (!Arity(2, QStringLiteral("get %1").arg(what.left(64)))) return std::nullopt;
        if (const auto mirror = Find(kSettableMirrors, what)) {
            command.query = ControlQuery::Mirror;
            command.mirror = *mirror;
        } else if (what == QLatin1String("consumption")) {
            command.query = ControlQuery::Mirror;
            command.mirror = Mirror::Consumption;
        } else if (what == QLatin1String("variant")) {
            command.query = ControlQuery::Variant;
        } else if (what == QLatin1String("dtc")) {
            command.query = ControlQuery::Dtc;
        } else if (what == QLatin1String("trip")) {
            command.query = ControlQuery::Trip;
        } else if (what == QLatin1String("fault")) {
            command.query = ControlQuery::Fault;
        } else if (what == QLatin1String("report")) {
            command.query = ControlQuery::Report;
        } else {
            return Fail(QStringLiteral("nothing to get named '%1'").arg(what.left(64)));
        }
        return command;
    }

    std::optional<ControlCommand> Click() {
        if (!Arity(2, QStringLiteral("click BUTTON"))) return std::nullopt;
        const auto button = Find(kButtons, words_[1]);
        if (!button) {
            return Fail(QStringLiteral("unknown button '%1', one of: %2")
                            .arg(words_[1].left(64), Choices(kButtons)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Click;
        command.button = *button;
        return command;
    }

    std::optional<ControlCommand> Variant() {
        if (!Arity(2, QStringLiteral("variant NAME"))) return std::nullopt;
        const auto variant = Find(kVariants, words_[1]);
        if (!variant) {
            return Fail(QStringLiteral("unknown controller type '%1', one of: %2")
                            .arg(words_[1].left(64), Choices(kVariants)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Variant;
        command.variant = *variant;
        return command;
    }

    std::optional<ControlCommand> Dtc() {
        if (!Arity(3, QStringLiteral("dtc INDEX on|off"))) return std::nullopt;
        const auto index = ParseCount(words_[1], 1000000);
        if (!index || *index < 1) {
            return Fail(QStringLiteral("bad trouble-code index '%1'").arg(words_[1].left(64)));
        }
        const QString state = words_[2];
        if (state != QLatin1String("on") && state != QLatin1String("off")) {
            return Fail(QStringLiteral("usage: dtc INDEX on|off"));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Dtc;
        command.dtcIndex = *index;
        command.dtcOn = state == QLatin1String("on");
        return command;
    }

    std::optional<ControlCommand> Ident() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: ident OPTION TEXT"));
        }
        const auto field = IdentOption(words_[1]);
        if (!field) return std::nullopt;
        // The text is the rest of the line after the option, blanks inside kept as typed.
        static const QRegularExpression kHead(QStringLiteral(R"(^\s*ident\s+\S+\s?)"));
        const auto head = kHead.match(line_);
        ControlCommand command;
        command.kind = ControlCommand::Kind::Ident;
        command.ident = *field;
        command.text = line_.mid(head.capturedLength());
        return command;
    }

    std::optional<ControlCommand> Fault() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: fault none|silent|bad-checksum|delay MS"));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Fault;
        const QString mode = words_[1];
        if (mode == QLatin1String("delay")) {
            if (!Arity(3, QStringLiteral("fault delay MS"))) return std::nullopt;
            const auto ms = ParseCount(words_[2], kMaxReplyDelayMs);
            if (!ms) {
                return Fail(QStringLiteral("bad delay '%1', 0 to %2 ms")
                                .arg(words_[2].left(64))
                                .arg(kMaxReplyDelayMs));
            }
            command.faultMode = ReplyFaultMode::Delay;
            command.faultDelayMs = *ms;
            return command;
        }
        if (!Arity(2, QStringLiteral("fault none|silent|bad-checksum|delay MS"))) return std::nullopt;
        if (mode == QLatin1String("none")) {
            command.faultMode = ReplyFaultMode::None;
        } else if (mode == QLatin1String("silent")) {
            command.faultMode = ReplyFaultMode::Silent;
        } else if (mode == QLatin1String("bad-checksum")) {
            command.faultMode = ReplyFaultMode::BadChecksum;
        } else {
            return Fail(QStringLiteral("unknown fault '%1'").arg(mode.left(64)));
        }
        return command;
    }

    std::optional<ControlCommand> Clear() {
        if (!Arity(2, QStringLiteral("clear report")) ) return std::nullopt;
        if (words_[1] != QLatin1String("report")) {
            return Fail(QStringLiteral("nothing to clear named '%1'").arg(words_[1].left(64)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::ClearReport;
        return command;
    }

    std::optional<ControlCommand> Quit() {
        if (!Arity(1, QStringLiteral("quit"))) return std::nullopt;
        ControlCommand command;
        command.kind = ControlCommand::Kind::Quit;
        return command;
    }

    std::optional<IdentField> IdentOption(const QString& option) {
        const auto field = Find(kIdentOptions, option.toUpper());
        if (!field) {
            *error_ = QStringLiteral("unknown identification option '%1', one of: %2")
                          .arg(option.left(64), Choices(kIdentOptions));
        }
        return field;
    }

    const QString& line_;
    QString* error_;
    QStringList words_;
};

}  // namespace

std::optional<ControlCommand> ControlCommand::Parse(const QString& line, QString* error) {
    return LineParser(line, error).Run();
}

QString VariantName(EcuVariant variant) {
    for (const auto& entry : kVariants) {
        if (entry.value == variant) {
            return QLatin1String(entry.name);
        }
    }
    return {};
}

QString ReplyFaultName(ReplyFaultMode mode, int delayMs) {
    switch (mode) {
    case ReplyFaultMode::None:
        return QStringLiteral("none");
    case ReplyFaultMode::Silent:
        return QStringLiteral("silent");
    case ReplyFaultMode::BadChecksum:
        return QStringLiteral("bad-checksum");
    case ReplyFaultMode::Delay:
        return QStringLiteral("delay %1").arg(delayMs);
    }
    return {};
}
