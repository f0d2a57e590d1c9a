#include "console/EcuVariantTable.h"

const std::array<EcuVariantInfo, 6>& EcuVariants() {
    static const std::array<EcuVariantInfo, 6> table{{
        {EcuVariant::Ja5, QStringLiteral("Январь 5.1(R-83)"), QStringLiteral("V5V13J02")},
        {EcuVariant::B1, QStringLiteral("Bosch M1.5.4N(Euro-2)"), QStringLiteral("J5V03J21")},
        {EcuVariant::Ja7, QStringLiteral("Январь 7.2"), QStringLiteral("I205DM52")},
        {EcuVariant::B7, QStringLiteral("Bosch M7.9.7"), QStringLiteral("B104CD21")},
        {EcuVariant::BMP, QStringLiteral("Bosch MP7.0"), QStringLiteral("M7V03N02")},
        {EcuVariant::b17, QStringLiteral("Bosch ME17.9.7"), QStringLiteral("B404CD21")},
    }};
    return table;
}

const EcuVariantInfo& EcuVariantInfoOf(EcuVariant variant) {
    return EcuVariants()[static_cast<std::size_t>(variant)];
}
