#include <QLineEdit>
#include <functional>
#include <stdexcept>

#include "ConsoleOnPty.h"
#include "console/ControlTable.h"
#include "console/OperatorControls.h"
#include "support/MessageOf.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiDial.h"

namespace {

// What is wrong between the control table, the controls a window registered and the controls
// it really holds: every name of the table must belong to exactly one control of the window,
// of the right kind, and be the control registered for that meaning.
template <typename Kind>
void Check(const QWidget& window, const char* name, const std::function<QObject*()>& registered, QStringList* found) {
    const auto named = window.findChildren<QObject*>(QString::fromLatin1(name));
    const QString message = MessageOf<std::logic_error>([&] {
        if (named.size() != 1) throw std::logic_error("named " + std::to_string(named.size()) + " times");
        if (!qobject_cast<Kind*>(named.front())) throw std::logic_error("of another kind");
        if (registered() != named.front()) throw std::logic_error("is not the registered control");
    }).c_str();
    if (message != "(nothing raised)") *found << QString::fromLatin1(name) + " " + message;
}

using ControlTableTest = ConsoleOnPty;

TEST_F(ControlTableTest, EveryControlItNamesIsInTheWindowOnceAndRegistered) {
    Start();
    const OperatorControls& controls = form_->Controls();
    QStringList found;
    for (const ControlTable::ValueRow& row : ControlTable::kValues) {
        Check<TUiAnalogCControl>(*form_, row.instrument, [&] { return controls.Instrument(row.mirror); }, &found);
        Check<QLineEdit>(*form_, row.edit, [&] { return controls.MirrorEdit(row.mirror); }, &found);
    }
    for (const ControlTable::ButtonRow& row : ControlTable::kButtons) {
        Check<TUiColBitBtn>(*form_, row.name, [&] { return controls.Button(row.button); }, &found);
    }
    for (const ControlTable::LampRow& row : ControlTable::kLamps) {
        Check<TUiLED>(*form_, row.name, [&] { return controls.LampLed(row.lamp); }, &found);
    }
    for (const ControlTable::IdentRow& row : ControlTable::kIdents) {
        Check<QLineEdit>(*form_, row.edit, [&] { return controls.IdentEdit(row.field); }, &found);
    }
    EXPECT_EQ(found, QStringList());
}

}  // namespace
