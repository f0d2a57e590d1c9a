#include "console/ControlCommand.h"

#include <gtest/gtest.h>

namespace {

struct GoodLine {
    const char* line;
    ControlCommand::Kind kind;
};

TEST(ControlCommandTest, AcceptsEveryCommandForm) {
    const GoodLine rows[] = {
        {"set speed 60", ControlCommand::Kind::Set},
        {"  set   voltage\t13.05  ", ControlCommand::Kind::Set},
        {"get rpm", ControlCommand::Kind::Get},
        {"get consumption", ControlCommand::Kind::Get},
        {"get variant", ControlCommand::Kind::Get},
        {"get dtc", ControlCommand::Kind::Get},
        {"get ident 9a", ControlCommand::Kind::Get},
        {"get lamp ESUDCONTROL8OFF", ControlCommand::Kind::Get},
        {"get trip", ControlCommand::Kind::Get},
        {"get fault", ControlCommand::Kind::Get},
        {"click clear-dtc", ControlCommand::Kind::Click},
        {"variant b17", ControlCommand::Kind::Variant},
        {"dtc 113 off", ControlCommand::Kind::Dtc},
        {"ident 90 XTA", ControlCommand::Kind::Ident},
        {"fault delay 5000", ControlCommand::Kind::Fault},
        {"quit", ControlCommand::Kind::Quit},
    };
    for (const auto& row : rows) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(row.line), &error);
        ASSERT_TRUE(command.has_value()) << row.line << ": " << error.toStdString();
        EXPECT_EQ(command->kind, row.kind) << row.line;
    }
}

TEST(ControlCommandTest, SetReadsTheNumberWithADecimalPoint) {
    struct Row {
        const char* line;
        Mirror mirror;
        double value;
    };
    const Row rows[] = {
        {"set speed 60", Mirror::Speed, 60.0},
        {"set coolant -40.5", Mirror::Coolant, -40.5},
        {"set rpm 1e3", Mirror::EngineSpeed, 1000.0},
        {"set throttle .5", Mirror::Throttle, 0.5},
        {"set idle-valve 61", Mirror::IdleValve, 61.0},
        {"set fuel-flow 0.7", Mirror::FuelFlow, 0.7},
        {"set air-flow 9.5", Mirror::AirFlow, 9.5},
        {"set voltage 999", Mirror::Voltage, 999.0},  // out of range: the control clamps it
        {"set idle-rpm 900", Mirror::IdleSpeed, 900.0},
        {"set injection 2.05", Mirror::Injection, 2.05},
    };
    for (const auto& row : rows) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(row.line), &error);
        ASSERT_TRUE(command.has_value()) << row.line << ": " << error.toStdString();
        EXPECT_EQ(command->mirror, row.mirror) << row.line;
        EXPECT_DOUBLE_EQ(command->value, row.value) << row.line;
    }
}

TEST(ControlCommandTest, RefusesBadInputWithAReason) {
    struct Row {
        const char* line;
        const char* reasonPart;
    };
    const Row rows[] = {
        {"", "empty"},
        {"   ", "empty"},
        {"jump 3", "unknown command"},
        {"SET speed 3", "unknown command"},
        {"set", "usage"},
        {"set speed", "usage"},
        {"set speed 1 2", "usage"},
        {"set warp 3", "unknown parameter"},
        {"set consumption 3", "unknown parameter"},  // derived, not settable
        {"set speed 6,5", "bad number"},
        {"set speed 0x10", "bad number"},
        {"set speed nan", "bad number"},
        {"set speed inf", "bad number"},
        {"set speed 1e999", "bad number"},
        {"set speed -", "bad number"},
        {"get", "usage"},
        {"get warp", "nothing to get"},
        {"get speed now", "usage"},
        {"get ident", "usage"},
        {"get ident 93", "identification option"},
        {"get lamp UiLED6", "unknown lamp"},
        {"get lamp ESUDCONTROL3ON", "unknown lamp"},
        {"click horn", "unknown button"},
        {"click", "usage"},
        {"variant ja5", "unknown controller type"},
        {"variant", "usage"},
        {"dtc 0 on", "bad trouble-code index"},
        {"dtc -1 on", "bad trouble-code index"},
        {"dtc x on", "bad trouble-code index"},
        {"dtc 5 yes", "usage"},
        {"dtc 5", "usage"},
        {"ident", "usage"},
        {"ident 9B text", "identification option"},
        {"fault", "usage"},
        {"fault loud", "unknown fault"},
        {"fault delay", "usage"},
        {"fault delay 5001", "bad delay"},
        {"fault delay -1", "bad delay"},
        {"fault delay 1.5", "bad delay"},
        {"fault silent now", "usage"},
        {"quit now", "usage"},
    };
    for (const auto& row : rows) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(row.line), &error);
        EXPECT_FALSE(command.has_value()) << '"' << row.line << '"';
        EXPECT_TRUE(error.contains(QLatin1String(row.reasonPart)))
            << '"' << row.line << "\" gave: " << error.toStdString();
    }
}

TEST(ControlCommandTest, IdentKeepsTheRestOfTheLineAsTyped) {
    struct Row {
        const char* line;
        IdentField field;
        const char* text;
    };
    const Row rows[] = {
        {"ident 91 2112 -1411020-60", IdentField::EcuSerialNumber, "2112 -1411020-60"},
        {"ident 97 SAMARA-1.5L,  8V", IdentField::EngineId, "SAMARA-1.5L,  8V"},
        {"ident 9a ROM", IdentField::RomVersion, "ROM"},
        {"ident 99", IdentField::ProgrammingDate, ""},
        {"ident 92 Привет", IdentField::HardwareNumber, "Привет"},
        {"ident 94 x", IdentField::SoftwareNumber, "x"},
        {"ident 90 VIN", IdentField::Vin, "VIN"},
    };
    for (const auto& row : rows) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(row.line), &error);
        ASSERT_TRUE(command.has_value()) << row.line;
        EXPECT_EQ(command->ident, row.field) << row.line;
        EXPECT_EQ(command->text, QString::fromUtf8(row.text)) << row.line;
    }
}

TEST(ControlCommandTest, FaultAndVariantNamesRoundTrip) {
    for (const char* line : {"fault none", "fault silent", "fault bad-checksum", "fault delay 0",
                             "fault delay 250"}) {
        QString error;
        const auto command = ControlCommand::Parse(QString::fromUtf8(line), &error);
        ASSERT_TRUE(command.has_value()) << line;
        EXPECT_EQ(QStringLiteral("fault ") +
                      ReplyFaultName(command->faultMode, command->faultDelayMs),
                  QString::fromUtf8(line));
    }
    for (const char* name : {"Ja5", "B1", "Ja7", "B7", "BMP", "b17"}) {
        QString error;
        const auto command = ControlCommand::Parse(QStringLiteral("variant ") + name, &error);
        ASSERT_TRUE(command.has_value()) << name;
        EXPECT_EQ(VariantName(command->variant), QString::fromUtf8(name));
    }
}

}  // namespace
