#pragma once

#include <QString>
#include <array>

#include "emulator/EcuVariant.h"

// What the toolbar shows and writes for each controller type, in toolbar order.
struct EcuVariantInfo {
    EcuVariant variant;
    const char* buttonName;  // object name of the toolbar button
    QString caption;
    QString romVersion;      // default text of Edit2
};

const std::array<EcuVariantInfo, 6>& EcuVariants();
const EcuVariantInfo& EcuVariantInfoOf(EcuVariant variant);
