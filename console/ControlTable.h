#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>

#include "console/ControlButton.h"
#include "emulator/EcuEnvironment.h"

// Which control of the window stands for which meaning, written once: the object name, the
// hidden mirror, how the value is shown, and the word the control interface uses for it.
// The window names its controls from here, the value handlers take their decimals from here
// and bench automation parses these words. Order, completeness and clashing names are
// checked when this header compiles.
namespace ControlTable {

// An engine value: the instrument the operator sets it with and the mirror the emulator reads.
struct ValueRow {
    Mirror mirror;
    const char* word;        // on the control interface
    const char* instrument;  // the dial or slider
    const char* unit;        // shown on the instrument (UTF-8)
    const char* picture;     // how the instrument shows the value, with the decimals its mirror holds
    const char* edit;        // the mirror
    const char* caption;     // the mirror's caption, hidden with it (UTF-8)
    bool settable;           // false: derived from other values, its instrument only displays it

    // Digits after the point of the picture: the mirror's decimals, 0 for a plain integer.
    constexpr int Decimals() const {
        int digits = 0;
        bool fraction = false;
        for (const char* p = picture; *p != '\0'; ++p) {
            if (*p == '.') {
                fraction = true;
            } else if (fraction) {
                ++digits;
            }
        }
        return digits;
    }
};

struct ButtonRow {
    ControlButton button;
    const char* word;  // on the control interface
    const char* name;
};

// The control interface names a lamp by its object name.
struct LampRow {
    Lamp lamp;
    const char* name;
};

// An identification text; the control interface names it by the option byte of
// ReadEcuIdentification that reports it.
struct IdentRow {
    IdentField field;
    const char* option;  // two hex digits, upper case
    const char* edit;
};

// In the order of Mirror.
inline constexpr std::array<ValueRow, 11> kValues = {{
    {Mirror::Speed, "speed", "UiDial1", "км/ч", "##0", "Edit9", "Скорость, км/ч", true},
    {Mirror::Coolant, "coolant", "UiVSlider1", "°С", "##0", "Edit10", "Температура охлаждающей жидкости, °С", true},
    {Mirror::EngineSpeed, "rpm", "UiDial2", "об/мин", "####0", "Edit11", "Обороты ДВС, об/мин", true},
    {Mirror::Throttle, "throttle", "UiVSlider2", "%", "##0", "Edit12", "Положение дросселя, %", true},
    {Mirror::IdleValve, "idle-valve", "UiVSlider3", "шаг", "##0", "Edit13", "Текушее положение РХХ, шаг", true},
    {Mirror::FuelFlow, "fuel-flow", "UiVSlider5", "л/час", "##0.0", "Edit14", "Расход топлива, л/ч", true},
    {Mirror::AirFlow, "air-flow", "UiVSlider4", "кг/ч", "##0.0", "Edit15", "Масовый расход воздуха, кг/ч", true},
    {Mirror::Voltage, "voltage", "UiDial3", "В", "##0.0", "Edit16", "Напряжение бортсети, В", true},
    {Mirror::IdleSpeed, "idle-rpm", "UiDial5", "об/мин", "####0", "Edit18", "Текушее обороты ДВС на ХХ, об/мин",
     true},
    {Mirror::Injection, "injection", "UiVSlider9", "мсек", "##0.00", "Edit24", "Длительность импульса впрыска, мсек",
     true},
    {Mirror::Consumption, "consumption", "UiDial4", "л/100км", "##0.0", "Edit1", "Расход топлива, л/100км", false},
}};

// In the order of ControlButton.
inline constexpr std::array<ButtonRow, 7> kButtons = {{
    {ControlButton::Ignition, "ignition", "UiColBitBtn2"},
    {ControlButton::Engine, "engine", "UiColBitBtn1"},
    {ControlButton::Ignition2, "ignition-2", "UiColBitBtn3"},
    {ControlButton::Engine2, "engine-2", "UiColBitBtn4"},
    {ControlButton::Trip, "trip", "UiColBitBtn7"},
    {ControlButton::Curve, "curve", "UiColBitBtn11"},
    {ControlButton::ClearDtc, "clear-dtc", "UiColBitBtn8"},
}};

// In the order of Lamp.
inline constexpr std::array<LampRow, 17> kLamps = {{
    {Lamp::UiLED1, "UiLED1"},
    {Lamp::UiLED2, "UiLED2"},
    {Lamp::UiLED3, "UiLED3"},
    {Lamp::UiLED4, "UiLED4"},
    {Lamp::UiLED5, "UiLED5"},
    {Lamp::ESUDCONTROL1ON, "ESUDCONTROL1ON"},
    {Lamp::ESUDCONTROL1OFF, "ESUDCONTROL1OFF"},
    {Lamp::ESUDCONTROL2ON, "ESUDCONTROL2ON"},
    {Lamp::ESUDCONTROL2OFF, "ESUDCONTROL2OFF"},
    {Lamp::ESUDCONTROL5ON, "ESUDCONTROL5ON"},
    {Lamp::ESUDCONTROL5OFF, "ESUDCONTROL5OFF"},
    {Lamp::ESUDCONTROL6ON, "ESUDCONTROL6ON"},
    {Lamp::ESUDCONTROL6OFF, "ESUDCONTROL6OFF"},
    {Lamp::ESUDCONTROL7ON, "ESUDCONTROL7ON"},
    {Lamp::ESUDCONTROL7OFF, "ESUDCONTROL7OFF"},
    {Lamp::ESUDCONTROL8ON, "ESUDCONTROL8ON"},
    {Lamp::ESUDCONTROL8OFF, "ESUDCONTROL8OFF"},
}};

// In the order of the option bytes, as the control interface lists them.
inline constexpr std::array<IdentRow, 7> kIdents = {{
    {IdentField::Vin, "90", "Edit37"},
    {IdentField::EcuSerialNumber, "91", "Edit3"},
    {IdentField::HardwareNumber, "92", "Edit6"},
    {IdentField::SoftwareNumber, "94", "Edit7"},
    {IdentField::EngineId, "97", "Edit4"},
    {IdentField::ProgrammingDate, "99", "Edit5"},
    {IdentField::RomVersion, "9A", "Edit2"},
}};

constexpr const ValueRow& RowOf(Mirror mirror) {
    return kValues[static_cast<std::size_t>(mirror)];
}

constexpr const ButtonRow& RowOf(ControlButton button) {
    return kButtons[static_cast<std::size_t>(button)];
}

constexpr const LampRow& RowOf(Lamp lamp) {
    return kLamps[static_cast<std::size_t>(lamp)];
}

constexpr const IdentRow& RowOf(IdentField field) {
    for (const IdentRow& row : kIdents) {
        if (row.field == field) {
            return row;
        }
    }
    throw std::logic_error("identification field without a row");
}

namespace Check {

constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

template <typename Rows, typename Key>
constexpr bool InEnumOrder(const Rows& rows, Key key) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<std::size_t>(rows[i].*key) != i) {
            return false;
        }
    }
    return true;
}

template <std::size_t N>
constexpr bool Distinct(const std::array<const char*, N>& texts) {
    for (std::size_t i = 0; i < N; ++i) {
        for (std::size_t j = i + 1; j < N; ++j) {
            if (SameText(texts[i], texts[j])) {
                return false;
            }
        }
    }
    return true;
}

template <typename Rows, typename Field>
constexpr auto Column(const Rows& rows, Field field) {
    std::array<const char*, std::tuple_size<Rows>::value> texts{};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        texts[i] = rows[i].*field;
    }
    return texts;
}

// Every object name in the table, for the window's controls must not share one.
constexpr auto ObjectNames() {
    std::array<const char*, 2 * kValues.size() + kButtons.size() + kLamps.size() + kIdents.size()> names{};
    std::size_t n = 0;
    for (const ValueRow& row : kValues) {
        names[n++] = row.instrument;
        names[n++] = row.edit;
    }
    for (const ButtonRow& row : kButtons) names[n++] = row.name;
    for (const LampRow& row : kLamps) names[n++] = row.name;
    for (const IdentRow& row : kIdents) names[n++] = row.edit;
    return names;
}

constexpr bool DecimalsAsTheControllerReads() {
    for (const ValueRow& row : kValues) {
        if (row.Decimals() != MirrorDecimals(row.mirror)) {
            return false;
        }
    }
    return true;
}

constexpr bool EveryIdentFieldOnce() {
    for (std::size_t field = 0; field < kIdents.size(); ++field) {
        int seen = 0;
        for (const IdentRow& row : kIdents) {
            seen += static_cast<std::size_t>(row.field) == field ? 1 : 0;
        }
        if (seen != 1) {
            return false;
        }
    }
    return true;
}

}  // namespace Check

static_assert(kValues.size() == static_cast<std::size_t>(Mirror::Consumption) + 1, "a value without a row");
static_assert(Check::InEnumOrder(kValues, &ValueRow::mirror), "value rows out of the order of Mirror");
static_assert(kButtons.size() == static_cast<std::size_t>(ControlButton::ClearDtc) + 1, "a button without a row");
static_assert(Check::InEnumOrder(kButtons, &ButtonRow::button), "button rows out of the order of ControlButton");
static_assert(kLamps.size() == static_cast<std::size_t>(Lamp::ESUDCONTROL8OFF) + 1, "a lamp without a row");
static_assert(Check::InEnumOrder(kLamps, &LampRow::lamp), "lamp rows out of the order of Lamp");
static_assert(kIdents.size() == static_cast<std::size_t>(IdentField::SoftwareNumber) + 1 &&
                  Check::EveryIdentFieldOnce(),
              "every identification field needs exactly one row");
static_assert(Check::Distinct(Check::ObjectNames()), "two controls share an object name");
static_assert(Check::DecimalsAsTheControllerReads(), "a picture shows other decimals than its mirror holds");
static_assert(Check::Distinct(Check::Column(kValues, &ValueRow::word)), "two values share a word");
static_assert(Check::Distinct(Check::Column(kButtons, &ButtonRow::word)), "two buttons share a word");
static_assert(Check::Distinct(Check::Column(kIdents, &IdentRow::option)), "two fields share an option byte");

}  // namespace ControlTable
