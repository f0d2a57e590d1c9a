#pragma once

#include <QString>
#include <QStringList>
#include "protocol/EcuVariant.h"
#include "protocol/PerVariant.h"
#include "settings/SettingsStore.h"

// Whether each controller type answers OBD-II requests, kept in the store's section with
// one value per type ("1" or "0"). The Euro-3 and Euro-4 controllers (M7.9.7 and
// ME17.9.7) carry OBD-II by default, the Euro-2 ones do not.
namespace ObdSettings {

using PerVariant = ::PerVariant<bool>;

QString Key(EcuVariant variant);  // "OBD-B7", …
bool DefaultFor(EcuVariant variant);
PerVariant Defaults();

struct Stored {
    PerVariant enabled{};
    // One message per value that is neither "0" nor "1"; its type keeps the default.
    QStringList errors;
};

Stored Read(const SettingsStore& store);
// The values that store the choice, for one write with the dialog's others.
SettingsValues Values(const PerVariant& enabled);

}  // namespace ObdSettings
