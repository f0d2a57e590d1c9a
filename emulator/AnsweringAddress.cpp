#include "emulator/AnsweringAddress.h"

ServiceBranch BranchAt(std::uint8_t target, EcuVariant variant) {
    switch (target) {
    case kEngineAddress:
        return variant != EcuVariant::BMP ? ServiceBranch::At10 : ServiceBranch::None;
    case kSecondEngineAddress:
        return variant == EcuVariant::BMP || variant == EcuVariant::B7 ? ServiceBranch::At11
                                                                       : ServiceBranch::None;
    default:
        return ServiceBranch::None;
    }
}
