#pragma once

// The emulated controller type, in toolbar order. Exactly one is current; Ja5 at start.
enum class EcuVariant {
    Ja5,  // "Январь 5.1(R-83)"
    B1,   // "Bosch M1.5.4N(Euro-2)"
    Ja7,  // "Январь 7.2"
    B7,   // "Bosch M7.9.7"
    BMP,  // "Bosch MP7.0"
    b17,  // "Bosch ME17.9.7"
};
