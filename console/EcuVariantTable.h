#pragma once

#include <QString>
#include <array>

#include "protocol/EcuVariant.h"

// What the toolbar shows and writes for each controller type, in toolbar order (the
// button's object name is the type's short name).
struct EcuVariantInfo {
    EcuVariant variant;
    QString caption;
    QString romVersion;      // default text of Edit2
};

const std::array<EcuVariantInfo, 6>& EcuVariants();
const EcuVariantInfo& EcuVariantInfoOf(EcuVariant variant);
