#include "automation/ControlCommand.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <cmath>
#include <utility>

#include "automation/OptionWords.h"
#include "console/ControlTable.h"
#include "protocol/ReplyTiming.h"
#include "protocol/SlowInitTiming.h"

using OptionWords::ParseCount;

namespace {

template <typename T>
struct Named {
    const char* name;
    T value;
};

const Named<EcuVariant> kVariants[] = {
    {ShortName(EcuVariant::Ja5), EcuVariant::Ja5},
    {ShortName(EcuVariant::B1), EcuVariant::B1},
    {ShortName(EcuVariant::Ja7), EcuVariant::Ja7},
    {ShortName(EcuVariant::B7), EcuVariant::B7},
    {ShortName(EcuVariant::BMP), EcuVariant::BMP},
    {ShortName(EcuVariant::b17), EcuVariant::b17},
};

// The reply faults: those with a value take it as the line's third word, within its range.
struct FaultWord {
    const char* name;
    ReplyFaultMode mode;
    const char* argument;  // nullptr: the mode takes no value
    const char* unit;
    int min;
    int max;
};

const FaultWord kFaults[] = {
    {"none", ReplyFaultMode::None, nullptr, nullptr, 0, 0},
    {"silent", ReplyFaultMode::Silent, nullptr, nullptr, 0, 0},
    {"bad-checksum", ReplyFaultMode::BadChecksum, nullptr, nullptr, 0, 0},
    {"delay", ReplyFaultMode::Delay, "MS", " ms", 0, kMaxReplyDelayMs},
    {"pending", ReplyFaultMode::Pending, "MS", " ms", 0, kMaxPendingMs},
    {"busy", ReplyFaultMode::Busy, "N", " replies", 1, kMaxBusyReplies},
    {"gap", ReplyFaultMode::Gap, "MS", " ms", 0, kMaxGapMs},
    {"drop", ReplyFaultMode::Drop, "N", "", kMinDropEvery, kMaxDropEvery},
};

const FaultWord* FindFault(const QString& name) {
    for (const FaultWord& fault : kFaults) {
        if (name == QLatin1String(fault.name)) return &fault;
    }
    return nullptr;
}

// "none|silent|bad-checksum|delay MS|…"
QString FaultChoices() {
    QStringList choices;
    for (const FaultWord& fault : kFaults) {
        choices << (fault.argument ? QStringLiteral("%1 %2").arg(QLatin1String(fault.name), QLatin1String(fault.argument))
                                  : QString::fromLatin1(fault.name));
    }
    return choices.join(QLatin1Char('|'));
}

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

// The control table's row whose word (one of its text columns) is text.
template <typename Row, std::size_t N>
const Row* FindRow(const std::array<Row, N>& rows, const char* Row::*word, const QString& text) {
    for (const Row& row : rows) {
        if (text == QLatin1String(row.*word)) {
            return &row;
        }
    }
    return nullptr;
}

// The words of the control table's rows that are listed, in table order, for an error that
// names the choices.
template <typename Row, std::size_t N>
QString Words(const std::array<Row, N>& rows, const char* Row::*word,
              bool (*listed)(const Row&) = [](const Row&) { return true; }) {
    QStringList names;
    for (const Row& row : rows) {
        if (listed(row)) {
            names << QLatin1String(row.*word);
        }
    }
    return names.join(QLatin1Char(' '));
}

bool Settable(const ControlTable::ValueRow& row) {
    return row.settable;
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

class LineParser;

// One command of the control interface: its first word, its form, what it does for "help",
// what more "help WORD" tells (may be null), and the member that parses it. Parsing and help
// both read this table, so a command cannot lack its help or its help a command.
struct VerbRow {
    const char* word;
    const char* usage;
    const char* summary;
    QString (*details)();
    std::optional<ControlCommand> (LineParser::*parse)();
};

// What "get" reads besides the values, the identification texts and the lamps.
const Named<ControlQuery> kQueries[] = {
    {"variant", ControlQuery::Variant},   {"dtc", ControlQuery::Dtc},         {"trip", ControlQuery::Trip},
    {"fault", ControlQuery::Fault},       {"report", ControlQuery::Report},   {"obd", ControlQuery::Obd},
    {"framing", ControlQuery::Framing},   {"timing", ControlQuery::Timing},   {"ignition", ControlQuery::Ignition},
    {"engine", ControlQuery::Engine},     {"cycle", ControlQuery::Cycle},     {"verdict", ControlQuery::Verdict},
    {"slowinit", ControlQuery::SlowInit},
    {"port", ControlQuery::Port},
};

// A bound as the instrument's scale shows it: a float range end read as the decimal it was
// written as (17.9, not 17.8999996), so that the value written there is inside.
double ShownBound(double bound) {
    return QString::number(bound, 'g', 6).toDouble();
}

class LineParser {
public:
    LineParser(const QString& line, QString* error, const ValueRangeOf& rangeOf)
        : line_(line), error_(error), rangeOf_(rangeOf) {}

    std::optional<ControlCommand> Run() {
        static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
        words_ = line_.split(kBlanks, Qt::SkipEmptyParts);
        if (words_.isEmpty()) {
            return Fail(QStringLiteral("empty line"));
        }
        verb_ = FindVerb(words_[0]);
        if (verb_ == nullptr) {
            return Fail(QStringLiteral("unknown command '%1'; help lists the commands").arg(words_[0].left(64)));
        }
        return (this->*(verb_->parse))();
    }

private:
    static const VerbRow kVerbs[];
    // The table's rows, for loops written before the table is.
    struct VerbRange {
        const VerbRow* begin() const;
        const VerbRow* end() const;
    };

    static const VerbRow* FindVerb(const QString& word) {
        for (const VerbRow& verb : VerbRange{}) {
            if (word == QLatin1String(verb.word)) return &verb;
        }
        return nullptr;
    }

    QString Usage() const { return QLatin1String(verb_->usage); }

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

    // "help": every command with its form and what it does; "help WORD": that one, in full.
    std::optional<ControlCommand> Help() {
        if (words_.size() > 2) return Fail(QStringLiteral("usage: ") + Usage());
        ControlCommand command;
        command.kind = ControlCommand::Kind::Help;
        const auto entry = [](const VerbRow& verb) {
            return QStringLiteral("%1 - %2").arg(QLatin1String(verb.usage), QLatin1String(verb.summary));
        };
        if (words_.size() == 1) {
            QStringList entries;
            for (const VerbRow& verb : VerbRange{}) entries << entry(verb);
            command.text = entries.join(QStringLiteral("; "));
            return command;
        }
        const VerbRow* verb = FindVerb(words_[1]);
        if (verb == nullptr) {
            QStringList words;
            for (const VerbRow& each : VerbRange{}) words << QLatin1String(each.word);
            return Fail(QStringLiteral("unknown command '%1', one of: %2").arg(words_[1].left(64), words.join(QLatin1Char(' '))));
        }
        command.text = entry(*verb);
        if (verb->details != nullptr) command.text += QStringLiteral("; ") + verb->details();
        return command;
    }

    std::optional<ControlCommand> Set() {
        if (!Arity(3, Usage())) return std::nullopt;
        const auto* row = FindRow(ControlTable::kValues, &ControlTable::ValueRow::word, words_[1]);
        if (row == nullptr || !row->settable) {
            return Fail(QStringLiteral("unknown parameter '%1', one of: %2")
                            .arg(words_[1].left(64),
                                 Words(ControlTable::kValues, &ControlTable::ValueRow::word, Settable)));
        }
        std::optional<ValueRange> range;
        if (rangeOf_) {
            const ValueRange instrument = rangeOf_(row->mirror);
            range = ValueRange{ShownBound(instrument.min), ShownBound(instrument.max)};
        }
        // A refusal says what the instrument takes, with its range when that is known; written
        // only for a refusal, as a script may set values many times a second.
        const auto takes = [&] {
            QString text = QStringLiteral("%1 takes a number").arg(QLatin1String(row->word));
            if (range) {
                text += QStringLiteral(" from %1 to %2 %3").arg(range->min).arg(range->max).arg(QString::fromUtf8(row->unit));
            }
            return text;
        };
        const auto value = ParseDecimal(words_[2]);
        if (!value) {
            return Fail(QStringLiteral("bad number '%1': %2").arg(words_[2].left(64), takes()));
        }
        if (range && !(*value >= range->min && *value <= range->max)) {
            return Fail(QStringLiteral("'%1' is out of range: %2").arg(words_[2].left(64), takes()));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Set;
        command.mirror = row->mirror;
        command.value = *value;
        return command;
    }

    std::optional<ControlCommand> Get() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: ") + Usage());
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
            const auto* lamp = FindRow(ControlTable::kLamps, &ControlTable::LampRow::name, words_[2]);
            if (lamp == nullptr) {
                return Fail(QStringLiteral("unknown lamp '%1', one of: %2")
                                .arg(words_[2].left(64), Words(ControlTable::kLamps, &ControlTable::LampRow::name)));
            }
            command.query = ControlQuery::Lamp;
            command.lamp = lamp->lamp;
            return command;
        }
        if (what == QLatin1String("obd") && words_.size() == 3) {
            if (words_[2] != QLatin1String("protocols")) {
                return Fail(QStringLiteral("usage: get obd [protocols]"));
            }
            command.query = ControlQuery::ObdProtocols;
            return command;
        }
        if (!Arity(2, QStringLiteral("get %1").arg(what.left(64)))) return std::nullopt;
        if (const auto* row = FindRow(ControlTable::kValues, &ControlTable::ValueRow::word, what)) {
            command.query = ControlQuery::Mirror;
            command.mirror = row->mirror;
        } else if (const auto query = Find(kQueries, what)) {
            command.query = *query;
        } else {
            return Fail(QStringLiteral("nothing to get named '%1'; help get lists what there is").arg(what.left(64)));
        }
        return command;
    }

    std::optional<ControlCommand> Click() {
        if (!Arity(2, Usage())) return std::nullopt;
        const auto* row = FindRow(ControlTable::kButtons, &ControlTable::ButtonRow::word, words_[1]);
        if (row == nullptr) {
            return Fail(QStringLiteral("unknown button '%1', one of: %2")
                            .arg(words_[1].left(64), Words(ControlTable::kButtons, &ControlTable::ButtonRow::word)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Click;
        command.button = row->button;
        return command;
    }

    std::optional<ControlCommand> Variant() {
        if (!Arity(2, Usage())) return std::nullopt;
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
        if (!Arity(3, Usage())) return std::nullopt;
        const auto index = ParseCount(words_[1], 1000000);
        if (!index || *index < 1) {
            return Fail(QStringLiteral("bad trouble-code index '%1'").arg(words_[1].left(64)));
        }
        const auto on = OptionWords::ParseOnOff(words_[2]);
        if (!on) {
            return Fail(QStringLiteral("usage: ") + Usage());
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Dtc;
        command.dtcIndex = *index;
        command.dtcOn = *on;
        return command;
    }

    std::optional<ControlCommand> Ident() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: ") + Usage());
        }
        const auto field = IdentOption(words_[1]);
        if (!field) return std::nullopt;
        // A forgotten text must not erase the field: clearing it is said with "".
        if (words_.size() < 3) {
            return Fail(QStringLiteral("usage: %1 (ident %2 \"\" clears it)").arg(Usage(), words_[1].left(64)));
        }
        // The text is the rest of the line after the option, blanks inside kept as typed.
        static const QRegularExpression kHead(QStringLiteral(R"(^\s*ident\s+\S+\s?)"));
        const auto head = kHead.match(line_);
        ControlCommand command;
        command.kind = ControlCommand::Kind::Ident;
        command.ident = *field;
        command.text = line_.mid(head.capturedLength());
        if (command.text == QLatin1String("\"\"")) command.text.clear();
        return command;
    }

    std::optional<ControlCommand> Fault() {
        static const QString kUsage = QStringLiteral("fault %1").arg(FaultChoices());
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: ") + kUsage);
        }
        const FaultWord* fault = FindFault(words_[1]);
        if (fault == nullptr) {
            return Fail(QStringLiteral("unknown fault '%1'").arg(words_[1].left(64)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Fault;
        command.faultMode = fault->mode;
        if (fault->unit == nullptr) {
            if (!Arity(2, kUsage)) return std::nullopt;
            return command;
        }
        if (!Arity(3, QStringLiteral("fault %1 %2").arg(QLatin1String(fault->name), QLatin1String(fault->argument)))) {
            return std::nullopt;
        }
        const auto value = ParseCount(words_[2], fault->max);
        if (!value || *value < fault->min) {
            return Fail(QStringLiteral("bad %1 '%2', %3 to %4%5")
                            .arg(QLatin1String(fault->name), words_[2].left(64))
                            .arg(fault->min)
                            .arg(fault->max)
                            .arg(QLatin1String(fault->unit)));
        }
        command.faultValue = *value;
        return command;
    }

    std::optional<ControlCommand> Clear() {
        if (!Arity(2, Usage())) return std::nullopt;
        if (words_[1] != QLatin1String("report")) {
            return Fail(QStringLiteral("nothing to clear named '%1'").arg(words_[1].left(64)));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::ClearReport;
        return command;
    }

    std::optional<ControlCommand> Obd() {
        if (words_.size() >= 2 && words_[1] == QLatin1String("protocols")) {
            if (!Arity(3, QStringLiteral("obd protocols LIST"))) return std::nullopt;
            const auto protocols = ObdProtocols::Parse(words_[2].toStdString());
            if (!protocols) {
                return Fail(QStringLiteral("bad protocol list '%1', a comma-separated list of fast, slow and iso9141")
                                .arg(words_[2].left(64)));
            }
            ControlCommand command;
            command.kind = ControlCommand::Kind::ObdProtocols;
            command.protocols = *protocols;
            return command;
        }
        if (!Arity(2, Usage())) return std::nullopt;
        const auto on = OptionWords::ParseOnOff(words_[1]);
        if (!on) {
            return Fail(QStringLiteral("usage: ") + Usage());
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Obd;
        command.obdOn = *on;
        return command;
    }

    std::optional<ControlCommand> SlowInit() {
        if (!Arity(2, QStringLiteral("slowinit on|off"))) return std::nullopt;
        const auto on = OptionWords::ParseOnOff(words_[1]);
        if (!on) {
            return Fail(QStringLiteral("usage: slowinit on|off"));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::SlowInit;
        command.slowInitOn = *on;
        return command;
    }

    std::optional<ControlCommand> Framing() {
        if (!Arity(2, Usage())) return std::nullopt;
        const auto framing = OptionWords::ParseFraming(words_[1]);
        if (!framing) {
            return Fail(QStringLiteral("unknown framing '%1', one of: %2")
                            .arg(words_[1].left(64), OptionWords::FramingChoices()));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Framing;
        command.framing = *framing;
        return command;
    }

    std::optional<ControlCommand> Timing() {
        if (words_.size() >= 2 && (words_[1] == QLatin1String("w1") || words_[1] == QLatin1String("w4"))) {
            if (!Arity(3, QStringLiteral("timing w1|w4 MS"))) return std::nullopt;
            const auto ms = ParseCount(words_[2], SlowInitTiming::kMaxSettableMs);
            if (!ms) {
                return Fail(QStringLiteral("bad %1 '%2', 0 to %3 ms")
                                .arg(words_[1], words_[2].left(64))
                                .arg(SlowInitTiming::kMaxSettableMs));
            }
            ControlCommand command;
            command.kind = ControlCommand::Kind::InitTiming;
            command.initWait = words_[1] == QLatin1String("w1") ? ControlCommand::InitWait::W1
                                                                : ControlCommand::InitWait::W4;
            command.initWaitMs = *ms;
            return command;
        }
        if (!Arity(3, QStringLiteral("timing P2 P1"))) return std::nullopt;
        const auto p2 = ParseCount(words_[1], ReplyTiming::kMaxP2Ms);
        if (!p2) {
            return Fail(QStringLiteral("bad P2 '%1', 0 to %2 ms").arg(words_[1].left(64)).arg(ReplyTiming::kMaxP2Ms));
        }
        const auto p1 = ParseCount(words_[2], ReplyTiming::kMaxP1Ms);
        if (!p1) {
            return Fail(QStringLiteral("bad P1 '%1', 0 to %2 ms").arg(words_[2].left(64)).arg(ReplyTiming::kMaxP1Ms));
        }
        ControlCommand command;
        command.kind = ControlCommand::Kind::Timing;
        command.p2Ms = *p2;
        command.p1Ms = *p1;
        return command;
    }

    std::optional<ControlCommand> Cycle() {
        if (words_.size() < 2) {
            return Fail(QStringLiteral("usage: ") + Usage());
        }
        ControlCommand command;
        const QString what = words_[1];
        if (what == QLatin1String("list") || what == QLatin1String("stop")) {
            if (!Arity(2, QStringLiteral("cycle ") + what)) return std::nullopt;
            command.kind = what == QLatin1String("list") ? ControlCommand::Kind::CycleList : ControlCommand::Kind::CycleStop;
            return command;
        }
        if (what == QLatin1String("start") || what == QLatin1String("report")) {
            // The word or path is the rest of the line, blanks inside kept as typed.
            static const QRegularExpression kHead(QStringLiteral(R"(^\s*cycle\s+\S+\s+)"));
            const auto head = kHead.match(line_);
            command.text = head.hasMatch() ? line_.mid(head.capturedLength()).trimmed() : QString();
            if (command.text.isEmpty()) {
                return Fail(QStringLiteral("usage: cycle %1").arg(what == QLatin1String("start") ? QStringLiteral("start NAME|PATH")
                                                                                                : QStringLiteral("report PATH")));
            }
            command.kind = what == QLatin1String("start") ? ControlCommand::Kind::CycleStart : ControlCommand::Kind::CycleReport;
            return command;
        }
        if (what == QLatin1String("device")) {
            return CycleDevice();
        }
        return Fail(QStringLiteral("usage: ") + Usage());
    }

    // distance=KM fuel=L, then any of avg-speed=KMH avg-consumption=L100 time=S|H:MM:SS.
    std::optional<ControlCommand> CycleDevice() {
        ControlCommand command;
        command.kind = ControlCommand::Kind::CycleDevice;
        std::optional<double> distance, fuel;
        for (int i = 2; i < words_.size(); ++i) {
            const int eq = words_[i].indexOf(QLatin1Char('='));
            const QString name = words_[i].left(eq);
            const QString text = eq < 0 ? QString() : words_[i].mid(eq + 1);
            std::optional<double> value = ParseDecimal(text);
            if (!value && name == QLatin1String("time")) {
                static const QRegularExpression kClock(QStringLiteral(R"(^(\d{1,4}):([0-5]\d):([0-5]\d)$)"));
                const auto clock = kClock.match(text);
                if (clock.hasMatch()) {
                    value = clock.captured(1).toDouble() * 3600 + clock.captured(2).toDouble() * 60 + clock.captured(3).toDouble();
                }
            }
            if (eq < 0 || !value || *value < 0) {
                return Fail(QStringLiteral("bad figure '%1', write NAME=NUMBER with a decimal point").arg(words_[i].left(64)));
            }
            if (name == QLatin1String("distance")) {
                distance = value;
            } else if (name == QLatin1String("fuel")) {
                fuel = value;
            } else if (name == QLatin1String("avg-speed")) {
                command.figures.averageSpeedKmh = value;
            } else if (name == QLatin1String("avg-consumption")) {
                command.figures.averageConsumption = value;
            } else if (name == QLatin1String("time")) {
                command.figures.travelTimeS = value;
            } else {
                return Fail(QStringLiteral("unknown figure '%1', one of: distance fuel avg-speed avg-consumption time")
                                .arg(name.left(64)));
            }
        }
        if (!distance || !fuel) {
            return Fail(QStringLiteral("usage: cycle device distance=KM fuel=L [avg-speed=KMH] [avg-consumption=L100] [time=S]"));
        }
        command.figures.distanceKm = *distance;
        command.figures.fuelL = *fuel;
        return command;
    }

    std::optional<ControlCommand> Quit() {
        if (!Arity(1, Usage())) return std::nullopt;
        ControlCommand command;
        command.kind = ControlCommand::Kind::Quit;
        return command;
    }

    std::optional<IdentField> IdentOption(const QString& option) {
        const auto* row = FindRow(ControlTable::kIdents, &ControlTable::IdentRow::option, option.toUpper());
        if (row == nullptr) {
            *error_ = QStringLiteral("unknown identification option '%1', one of: %2")
                          .arg(option.left(64), Words(ControlTable::kIdents, &ControlTable::IdentRow::option));
            return std::nullopt;
        }
        return row->field;
    }

    const QString& line_;
    QString* error_;
    const ValueRangeOf& rangeOf_;
    QStringList words_;
    const VerbRow* verb_ = nullptr;
};

QString ValueWords() {
    return QStringLiteral("PARAM one of: ") +
           Words(ControlTable::kValues, &ControlTable::ValueRow::word, Settable);
}

const VerbRow LineParser::kVerbs[] = {
    {"set", "set PARAM VALUE", "sets an engine value as its instrument would, a number inside the instrument's range",
     &ValueWords, &LineParser::Set},
    {"get", "get WHAT", "reads a value or a state", [] {
         QStringList what;
         what << Words(ControlTable::kValues, &ControlTable::ValueRow::word) << Choices(kQueries)
              << QStringLiteral("ident OPTION")
              << QStringLiteral("lamp NAME (%1)").arg(Words(ControlTable::kLamps, &ControlTable::LampRow::name));
         return QStringLiteral("WHAT one of: ") + what.join(QLatin1Char(' '));
     }, &LineParser::Get},
    {"click", "click BUTTON", "presses a button as the operator would (ignition and engine toggle)", [] {
         return QStringLiteral("BUTTON one of: ") + Words(ControlTable::kButtons, &ControlTable::ButtonRow::word);
     }, &LineParser::Click},
    {"variant", "variant NAME", "selects the controller type", [] {
         return QStringLiteral("NAME one of: ") + Choices(kVariants);
     }, &LineParser::Variant},
    {"dtc", "dtc INDEX on|off", "ticks or clears a stored trouble code, 1-based in list order", nullptr,
     &LineParser::Dtc},
    {"ident", "ident OPTION TEXT", "sets an identification text (\"\" as TEXT clears it)", [] {
         return QStringLiteral("OPTION one of: ") + Words(ControlTable::kIdents, &ControlTable::IdentRow::option);
     }, &LineParser::Ident},
    {"fault", "fault MODE", "makes the replies faulty until fault none", [] {
         return QStringLiteral("MODE one of: ") + FaultChoices();
     }, &LineParser::Fault},
    {"obd", "obd on|off", "every controller type answers OBD-II requests, or none does (obd protocols LIST: "
     "how OBD-II testers may open the link)", [] {
         return QStringLiteral("LIST a comma-separated list of fast, slow and iso9141");
     }, &LineParser::Obd},
    {"slowinit", "slowinit on|off", "every controller type answers a slow init at its own address, or none does",
     nullptr, &LineParser::SlowInit},
    {"framing", "framing compact|real", "frames the replies of all six types", nullptr, &LineParser::Framing},
    {"timing", "timing P2 P1", "sets the reply timing in whole ms (timing w1|w4 MS: the slow init's W1 or W4)", [] {
         return QStringLiteral("P2 0 to %1, P1 0 to %2, W1 and W4 0 to %3")
             .arg(ReplyTiming::kMaxP2Ms)
             .arg(ReplyTiming::kMaxP1Ms)
             .arg(SlowInitTiming::kMaxSettableMs);
     }, &LineParser::Timing},
    {"clear", "clear report", "starts the report's counts afresh", nullptr, &LineParser::Clear},
    {"cycle",
     "cycle list|start NAME|PATH|stop|device distance=KM fuel=L [avg-speed=KMH] [avg-consumption=L100] [time=S]|"
     "report PATH",
     "lists, starts or stops a drive cycle, takes the figures read off the device, writes the report", nullptr,
     &LineParser::Cycle},
    {"help", "help [WORD]", "lists the commands, or tells one in full", nullptr, &LineParser::Help},
    {"quit", "quit", "ends the program", nullptr, &LineParser::Quit},
};

const VerbRow* LineParser::VerbRange::begin() const {
    return std::begin(kVerbs);
}

const VerbRow* LineParser::VerbRange::end() const {
    return std::end(kVerbs);
}

}  // namespace

std::optional<ControlCommand> ControlCommand::Parse(const QString& line, QString* error, const ValueRangeOf& rangeOf) {
    return LineParser(line, error, rangeOf).Run();
}

QString VariantName(EcuVariant variant) {
    return QLatin1String(ShortName(variant));
}

QString ReplyFaultName(ReplyFaultMode mode, int value) {
    for (const FaultWord& fault : kFaults) {
        if (fault.mode == mode) {
            return fault.argument ? QStringLiteral("%1 %2").arg(QLatin1String(fault.name)).arg(value)
                                 : QString::fromLatin1(fault.name);
        }
    }
    return {};
}
