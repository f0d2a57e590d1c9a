#include "emulator/ObdResponder.h"

#include "emulator/AnsweringAddress.h"
#include "emulator/ObdServices.h"

namespace {

constexpr std::uint8_t kStartCommunication = 0x81;
constexpr std::uint8_t kStopCommunication = 0x82;
constexpr std::uint8_t kTesterPresent = 0x3E;

constexpr std::uint8_t kFirstObdMode = 0x01;
constexpr std::uint8_t kLastObdMode = 0x09;

using ObdService = void (*)(const ObdRequest&);
constexpr ObdService kServices[] = {
    ObdCurrentData, ObdStoredTroubleCodes, ObdClearTroubleCodes, ObdPendingTroubleCodes, ObdVehicleInformation,
};

}  // namespace

std::uint8_t ObdResponder::ReplyAddress(EcuVariant variant) {
    return BranchAt(kEngineAddress, variant) != ServiceBranch::None ? kEngineAddress : kSecondEngineAddress;
}

bool ObdResponder::Functional(const RequestBuffer& requestData, std::size_t length, std::uint8_t target,
                              std::uint8_t source) {
    const EcuVariant variant = env_.Variant();
    if (target != kObdFunctionalAddress || !option_.For(variant)) {
        return false;
    }
    if (length == 0) {
        return true;
    }
    const std::uint8_t own = ReplyAddress(variant);
    switch (requestData[0]) {
    case kStartCommunication:
        // The type's own StartCommunication reply, byte for byte as at its physical address.
        dispatcher_.Dispatch(requestData, own, source);
        return true;
    case kTesterPresent:
        if (dispatcher_.CommunicationActive()) {
            dispatcher_.Dispatch(requestData, own, source);
        }
        return true;
    case kStopCommunication:
        if (dispatcher_.CommunicationActive()) {
            dispatcher_.Dispatch(requestData, own, source);
            dispatcher_.SetCommunicationActive(false);
        }
        return true;
    default:
        if (dispatcher_.CommunicationActive()) {
            framer_.SetRequestAddresses(own, source);
            Services(requestData, length);
        }
        return true;
    }
}

void ObdResponder::Physical(const RequestBuffer& requestData, std::size_t length, std::uint8_t target,
                            std::uint8_t source) {
    const EcuVariant variant = env_.Variant();
    if (length == 0 || !option_.For(variant) || !dispatcher_.CommunicationActive() ||
        BranchAt(target, variant) == ServiceBranch::None) {
        return;
    }
    framer_.SetRequestAddresses(target, source);
    Services(requestData, length);
}

void ObdResponder::Iso9141(const RequestBuffer& requestData, std::size_t length) {
    if (length > 0 && option_.For(env_.Variant())) {
        Services(requestData, length);
    }
}

void ObdResponder::Services(const RequestBuffer& requestData, std::size_t length) {
    if (requestData[0] < kFirstObdMode || requestData[0] > kLastObdMode) {
        return;
    }
    const ObdRequest request{requestData.data(), length, env_, fluctuation_, framer_};
    for (const ObdService service : kServices) {
        service(request);
    }
}
