#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "console/ControlTable.h"
#include "drive/Verdict.h"
#include "automation/ReplyFaultMode.h"
#include "automation/ValueRange.h"
#include "emulator/EcuEnvironment.h"
#include "protocol/EcuVariant.h"
#include "protocol/ObdProtocols.h"
#include "protocol/ReplyFraming.h"

// What a "get" asks for.
enum class ControlQuery {
    Mirror, Variant, Dtc, Ident, Lamp, Trip, Fault, Report, Obd, ObdProtocols, SlowInit, Framing, Timing, Cycle,
    Verdict, Ignition, Engine, Port
};

using ValueRangeOf = std::function<ValueRange(Mirror)>;

// One line of the control interface, parsed and checked, not yet carried out.
struct ControlCommand {
    enum class Kind {
        Set, Get, Click, Variant, Dtc, Ident, Fault, ClearReport, Obd, ObdProtocols, SlowInit, Framing, Timing,
        InitTiming, CycleList, CycleStart, CycleStop, CycleDevice, CycleReport, Quit, Help
    };
    // Which of the controller's slow-init waits "timing w1|w4 MS" sets.
    enum class InitWait { W1, W4 };

    Kind kind = Kind::Quit;
    ControlQuery query = ControlQuery::Mirror;  // Get
    Mirror mirror = Mirror::Speed;              // Set, Get of a value
    double value = 0.0;                         // Set
    ControlButton button = ControlButton::Ignition;
    EcuVariant variant = EcuVariant::Ja5;
    int dtcIndex = 0;  // 1-based, in list order; its upper bound is the list's business
    bool dtcOn = false;
    IdentField ident = IdentField::RomVersion;
    QString text;  // Ident; the cycle's word or file (CycleStart); the report's path (CycleReport); Help: the answer
    Lamp lamp = Lamp::UiLED1;
    ReplyFaultMode faultMode = ReplyFaultMode::None;
    int faultValue = 0;  // milliseconds or a count, as the mode takes
    bool obdOn = false;  // Obd
    ReplyFraming framing = ReplyFraming::Compact;
    int p2Ms = 0;  // Timing
    int p1Ms = 0;
    EnteredFigures figures;  // CycleDevice
    ObdProtocols protocols;  // ObdProtocols
    bool slowInitOn = false;  // SlowInit
    InitWait initWait = InitWait::W1;  // InitTiming
    int initWaitMs = 0;

    // Parses one line without its line end. On failure returns nothing and puts the reason
    // (without the "ERR " prefix) into *error. With rangeOf, "set" takes only a value inside
    // the instrument's range.
    static std::optional<ControlCommand> Parse(const QString& line, QString* error, const ValueRangeOf& rangeOf = {});
};

// The names used on the control interface, shared by parser and answers.
QString VariantName(EcuVariant variant);
QString ReplyFaultName(ReplyFaultMode mode, int value);
