#include "automation/ControlCommandExecutor.h"

#include "automation/ControlCommand.h"
#include "automation/OptionWords.h"
#include "console/OperatorPanel.h"
#include "automation/ReplyFaults.h"

#include <exception>

namespace {

QString Ok(const QString& value) {
    return QStringLiteral("OK ") + value;
}

// "OK", or "ERR" and the reason the console gave.
QString Outcome(const QString& refused) {
    return refused.isEmpty() ? QStringLiteral("OK") : QStringLiteral("ERR ") + refused;
}

}  // namespace

ControlCommandExecutor::ControlCommandExecutor(OperatorPanel& target, ReplyFaults& faults)
    : target_(target), faults_(faults) {}

QString ControlCommandExecutor::Execute(const QString& line) {
    QString error;
    const auto command =
        ControlCommand::Parse(line, &error, [this](Mirror mirror) {
            const auto [min, max] = target_.Range(mirror);
            return ValueRange{min, max};
        });
    if (!command) {
        return QStringLiteral("ERR ") + error;
    }
    try {
        return Run(*command);
    } catch (const std::exception& e) {
        // A handler's error reaches the client that caused it, and the console keeps running.
        return QStringLiteral("ERR ") + QString::fromLocal8Bit(e.what());
    }
}

QString ControlCommandExecutor::Run(const ControlCommand& command) {
    using Kind = ControlCommand::Kind;
    switch (command.kind) {
    case Kind::Set:
        target_.SetValue(command.mirror, command.value);
        break;
    case Kind::Get:
        return Answer(command);
    case Kind::Click:
        target_.Click(command.button);
        break;
    case Kind::Variant:
        target_.SelectVariant(command.variant);
        break;
    case Kind::Dtc:
        if (command.dtcIndex > target_.TroubleCodeCount()) {
            return QStringLiteral("ERR no trouble code %1, the list holds %2")
                .arg(command.dtcIndex)
                .arg(target_.TroubleCodeCount());
        }
        target_.SetTroubleCodeTicked(command.dtcIndex - 1, command.dtcOn);
        break;
    case Kind::Ident:
        target_.SetIdentText(command.ident, command.text);
        break;
    case Kind::Fault:
        faults_.SetFault(command.faultMode, command.faultValue);
        break;
    case Kind::ClearReport:
        target_.ClearReport();
        break;
    case Kind::Obd:
        target_.SetObdEnabled(command.obdOn);
        break;
    case Kind::ObdProtocols:
        target_.SetObdProtocols(command.protocols);
        break;
    case Kind::SlowInit:
        target_.SetSlowInit(command.slowInitOn);
        break;
    case Kind::InitTiming: {
        SlowInitTiming timing = target_.InitTiming();
        (command.initWait == ControlCommand::InitWait::W1 ? timing.w1Ms : timing.w4Ms) = command.initWaitMs;
        target_.SetInitTiming(timing);
        break;
    }
    case Kind::Framing:
        target_.SetFraming(command.framing);
        break;
    case Kind::Timing:
        target_.SetReplyTiming(ReplyTiming{command.p2Ms, command.p1Ms});
        break;
    case Kind::CycleList:
        return Ok(target_.CycleWords().join(QLatin1Char(' ')));
    case Kind::CycleStart:
        return Outcome(target_.StartCycle(command.text));
    case Kind::CycleStop:
        return target_.StopCycle() ? QStringLiteral("OK") : QStringLiteral("ERR no cycle is running");
    case Kind::CycleDevice:
        return Outcome(target_.EnterDeviceFigures(command.figures));
    case Kind::CycleReport:
        return Outcome(target_.SaveCycleReport(command.text));
    case Kind::Quit:
        target_.Quit();
        break;
    case Kind::Help:
        return Ok(command.text);
    }
    return QStringLiteral("OK");
}

QString ControlCommandExecutor::FramingText() const {
    // One word while all six types agree (as after "framing" or --framing), else each type's.
    QStringList each;
    bool same = true;
    for (const EcuVariant variant : {EcuVariant::Ja5, EcuVariant::B1, EcuVariant::Ja7, EcuVariant::B7,
                                     EcuVariant::BMP, EcuVariant::b17}) {
        const ReplyFraming framing = target_.Framing(variant);
        same = same && framing == target_.Framing(EcuVariant::Ja5);
        each << VariantName(variant) + QLatin1Char('=') + OptionWords::FramingName(framing);
    }
    return same ? OptionWords::FramingName(target_.Framing(EcuVariant::Ja5)) : each.join(QLatin1Char(' '));
}

QString ControlCommandExecutor::Answer(const ControlCommand& command) const {
    switch (command.query) {
    case ControlQuery::Mirror:
        return Ok(target_.MirrorText(command.mirror));
    case ControlQuery::Variant:
        return Ok(VariantName(target_.Variant()));
    case ControlQuery::Dtc: {
        QStringList ticked;
        for (int i = 0; i < target_.TroubleCodeCount(); ++i) {
            if (target_.TroubleCodeTicked(i)) {
                ticked << QString::number(i + 1);
            }
        }
        // No code ticked: a bare "OK", the list is empty.
        return ticked.isEmpty() ? QStringLiteral("OK") : Ok(ticked.join(QLatin1Char(' ')));
    }
    case ControlQuery::Ident: {
        // An empty text: a bare "OK", as an empty trouble-code list.
        const QString text = target_.IdentText(command.ident);
        return text.isEmpty() ? QStringLiteral("OK") : Ok(text);
    }
    case ControlQuery::Lamp:
        return Ok(target_.LampOn(command.lamp) ? QStringLiteral("on") : QStringLiteral("off"));
    case ControlQuery::Trip:
        return Ok(target_.TripTexts().join(QLatin1Char(' ')));
    case ControlQuery::Fault:
        return Ok(ReplyFaultName(faults_.Mode(), faults_.Value()));
    case ControlQuery::Report:
        return Ok(target_.ReportJson());
    case ControlQuery::Obd:
        return Ok(target_.ObdEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
    case ControlQuery::ObdProtocols:
        return Ok(QString::fromStdString(target_.GetObdProtocols().Text()));
    case ControlQuery::SlowInit:
        return Ok(target_.SlowInit() ? QStringLiteral("on") : QStringLiteral("off"));
    case ControlQuery::Framing:
        return Ok(FramingText());
    case ControlQuery::Ignition:
        return Ok(target_.ButtonDown(ControlButton::Ignition) ? QStringLiteral("on") : QStringLiteral("off"));
    case ControlQuery::Engine:
        return Ok(target_.ButtonDown(ControlButton::Engine) ? QStringLiteral("on") : QStringLiteral("off"));
    case ControlQuery::Timing:
        return Ok(QStringLiteral("%1 %2").arg(target_.Timing().p2Ms).arg(target_.Timing().p1Ms));
    case ControlQuery::Cycle:
        return Ok(target_.CycleJson());
    case ControlQuery::Verdict:
        return Ok(target_.VerdictJson());
    case ControlQuery::Port:
        return Ok(target_.PortState());
    }
    return QStringLiteral("ERR nothing to answer");
}
