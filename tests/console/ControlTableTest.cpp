#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <type_traits>

#include "support/MessageOf.h"
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

TEST(ControlTable, AbsentControlIsReportedByItsName) {
    const OperatorControls none;
    const std::pair<std::function<void()>, const char*> rows[] = {
        {[&] { none.Instrument(Mirror::Injection); }, "the window has no control UiVSlider9"},
        {[&] { none.LampLed(Lamp::ESUDCONTROL7OFF); }, "the window has no control ESUDCONTROL7OFF"},
    };
    for (const auto& [ask, message] : rows) EXPECT_EQ(MessageOf<std::logic_error>(ask), message);
}

}  // namespace
