#include "console/ObdSupport.h"

#include <QLabel>

#include "console/EcuVariantSelector.h"
#include "console/EcuVariantTable.h"
#include "emulator/ObdOption.h"

ObdSupport::ObdSupport(ObdOption& option, EcuVariantSelector& selector, QLabel* mark, QObject* parent)
    : QObject(parent), option_(option), selector_(selector), mark_(mark) {
    connect(&selector_, &EcuVariantSelector::VariantSelected, this, &ObdSupport::Refresh);
    Refresh();
}

void ObdSupport::Apply(const ObdSettings::PerVariant& enabled) {
    for (const EcuVariantInfo& info : EcuVariants()) {
        option_.Set(info.variant, enabled.For(info.variant));
    }
    Refresh();
}

void ObdSupport::SetAll(bool on) {
    option_.SetAll(on);
    Refresh();
}

bool ObdSupport::Enabled(EcuVariant variant) const {
    return option_.For(variant);
}

bool ObdSupport::CurrentAnswers() const {
    return option_.For(selector_.Current());
}

void ObdSupport::Refresh() {
    mark_->setVisible(CurrentAnswers());
}
