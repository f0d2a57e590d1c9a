#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <type_traits>

#include "support/PtyTester.h"
#include "support/QtPrinters.h"
#include "console/ControlTable.h"
#include "settings/IniSettingsStore.h"
#include "console/OperatorControls.h"
#include "console/TForm1.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"
#include "widgets/TUiLED.h"

namespace {

// What is wrong between the control table, the controls a window registered and the controls
// it really holds: every name of the table must belong to exactly one control of the window,
// of the right kind, and be the control registered for that meaning.
QStringList Discrepancies(const QWidget& window, const OperatorControls& controls) {
    QStringList found;
    auto check = [&](const char* name, const std::function<QObject*()>& registered, auto* kind) {
        using Kind = std::remove_pointer_t<decltype(kind)>;
        const QString objectName = QString::fromLatin1(name);
        const auto named = window.findChildren<QObject*>(objectName);
        if (named.isEmpty()) {
            found << objectName + " missing";
            return;
        }
        if (named.size() > 1) {
            found << QStringLiteral("%1 named %2 times").arg(objectName).arg(named.size());
        }
        if (qobject_cast<Kind*>(named.front()) == nullptr) {
            found << objectName + " of another kind";
        }
        try {
            if (registered() != named.front()) {
                found << objectName + " is not the registered control";
            }
        } catch (const std::logic_error&) {
            found << objectName + " not registered";
        }
    };
    for (const ControlTable::ValueRow& row : ControlTable::kValues) {
        check(row.instrument, [&] { return controls.Instrument(row.mirror); },
              static_cast<TUiAnalogCControl*>(nullptr));
        check(row.edit, [&] { return controls.MirrorEdit(row.mirror); }, static_cast<QLineEdit*>(nullptr));
    }
    for (const ControlTable::ButtonRow& row : ControlTable::kButtons) {
        check(row.name, [&] { return controls.Button(row.button); }, static_cast<TUiColBitBtn*>(nullptr));
    }
    for (const ControlTable::LampRow& row : ControlTable::kLamps) {
        check(row.name, [&] { return controls.LampLed(row.lamp); }, static_cast<TUiLED*>(nullptr));
    }
    for (const ControlTable::IdentRow& row : ControlTable::kIdents) {
        check(row.edit, [&] { return controls.IdentEdit(row.field); }, static_cast<QLineEdit*>(nullptr));
    }
    return found;
}

TEST(ControlTable, EveryControlItNamesIsInTheWindowOnceAndRegistered) {
    PtyTester tester;
    QTemporaryDir dir;
    QStringList messages;
    ConsoleOptions options;
    options.portOverride = tester.DevicePath();
    options.messageSink = [&](const QString& m) { messages << m; };
    TForm1 form(options, std::make_unique<IniSettingsStore>(dir.filePath(QStringLiteral("s.ini"))));
    EXPECT_EQ(Discrepancies(form, form.Controls()), QStringList());
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

// A window of bare controls, one for every row of the table, with one thing spoiled.
struct StandInWindow {
    QWidget window;
    OperatorControls controls;

    explicit StandInWindow(const char* left_out = "") {
        const QString skip = QString::fromLatin1(left_out);
        auto wanted = [&](const char* name) { return skip != QLatin1String(name); };
        for (const ControlTable::ValueRow& row : ControlTable::kValues) {
            if (wanted(row.instrument)) controls.AddInstrument(row.mirror, new TUiDial(&window));
            if (wanted(row.edit)) controls.AddMirror(row.mirror, new QLineEdit(&window));
        }
        for (const ControlTable::ButtonRow& row : ControlTable::kButtons) {
            if (wanted(row.name)) controls.AddButton(row.button, new TUiColBitBtn(&window));
        }
        for (const ControlTable::LampRow& row : ControlTable::kLamps) {
            if (wanted(row.name)) controls.AddLamp(row.lamp, new TUiLED(&window));
        }
        for (const ControlTable::IdentRow& row : ControlTable::kIdents) {
            if (wanted(row.edit)) controls.AddIdent(row.field, new QLineEdit(&window));
        }
    }
};

TEST(ControlTable, CheckOfTheWindowNamesWhatIsWrong) {
    struct Row {
        const char* leftOut;
        std::function<void(StandInWindow&)> spoil;
        QStringList expected;
    };
    const Row rows[] = {
        {"", [](StandInWindow&) {}, {}},
        {"UiLED4", [](StandInWindow&) {}, {"UiLED4 missing"}},
        {"Edit37", [](StandInWindow&) {}, {"Edit37 missing"}},
        {"", [](StandInWindow& w) { w.controls.Button(ControlButton::Curve)->setObjectName("UiColBitBtn12"); },
         {"UiColBitBtn11 missing"}},
        {"", [](StandInWindow& w) { (new QLineEdit(new QWidget(&w.window)))->setObjectName("Edit9"); },
         {"Edit9 named 2 times"}},
        {"", [](StandInWindow& w) { w.controls.AddMirror(Mirror::Voltage, new QLineEdit(&w.window)); },
         {"Edit16 named 2 times", "Edit16 is not the registered control"}},
        {"",
         [](StandInWindow& w) {
             w.controls.IdentEdit(IdentField::Vin)->setObjectName("VIN");
             (new TUiLED(&w.window))->setObjectName("Edit37");
         },
         {"Edit37 of another kind", "Edit37 is not the registered control"}},
    };
    for (const Row& row : rows) {
        StandInWindow w(row.leftOut);
        row.spoil(w);
        EXPECT_EQ(Discrepancies(w.window, w.controls), row.expected) << row.leftOut;
    }
}

TEST(ControlTable, AbsentControlIsReportedByItsName) {
    const OperatorControls none;
    const std::pair<std::function<void()>, const char*> rows[] = {
        {[&] { none.Instrument(Mirror::Injection); }, "the window has no control UiVSlider9"},
        {[&] { none.MirrorEdit(Mirror::Consumption); }, "the window has no control Edit1"},
        {[&] { none.Button(ControlButton::ClearDtc); }, "the window has no control UiColBitBtn8"},
        {[&] { none.LampLed(Lamp::ESUDCONTROL7OFF); }, "the window has no control ESUDCONTROL7OFF"},
        {[&] { none.IdentEdit(IdentField::RomVersion); }, "the window has no control Edit2"},
    };
    for (const auto& [ask, message] : rows) {
        try {
            ask();
            ADD_FAILURE() << "no error for " << message;
        } catch (const std::logic_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(ControlTable, MirrorDecimalsFollowTheInstrumentPicture) {
    const std::pair<const char*, int> rows[] = {
        {"##0", 0}, {"####0", 0}, {"##0.0", 1}, {"##0.00", 2}, {"#####0.000", 3}, {"", 0},
    };
    for (const auto& [picture, decimals] : rows) {
        ControlTable::ValueRow row{};
        row.picture = picture;
        EXPECT_EQ(row.Decimals(), decimals) << picture;
    }
}

}  // namespace
