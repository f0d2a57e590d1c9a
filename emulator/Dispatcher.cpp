#include "emulator/Dispatcher.h"

#include "emulator/AnsweringAddress.h"
#include "emulator/DataServices.h"
#include "emulator/SessionServices.h"

namespace {

using BranchHandler = void (*)(SessionContext&);

template <ServiceHandler Handler>
void DataService(SessionContext& ctx) {
    Handler(ctx.service);
}

// The order is the product's: where two handlers match one request, both answer in turn.
constexpr BranchHandler kBranch10[] = {
    AccessTimingParametersAt10,
    StartDiagnosticSessionAt10,
    TesterPresent,
    DataService<ReadDataByLocalIdentifier01>,
    DataService<ReadDataByLocalIdentifier02>,
    DataService<ReadDataByLocalIdentifier03>,
    DataService<ReadEcuIdentification>,
    DataService<ReadDTCByStatus>,
    DataService<IoControlReturnControl>,
    DataService<IoControlSetState>,
    DataService<IoControlReportState>,
    DataService<ClearDiagnosticInformation>,
    DataService<EcuReset>,
    DataService<IoControlSetValue41>,
    DataService<IoControlSetValue42>,
};

// At 0x11 only local identifier 01 is served.
constexpr BranchHandler kBranch11[] = {
    AccessTimingParametersAt11,
    StartDiagnosticSessionAt11,
    TesterPresent,
    DataService<ReadDataByLocalIdentifier01>,
    DataService<ReadEcuIdentification>,
    DataService<ReadDTCByStatus>,
    DataService<IoControlReturnControl>,
    DataService<IoControlSetState>,
    DataService<IoControlReportState>,
    DataService<ClearDiagnosticInformation>,
    DataService<EcuReset>,
    DataService<IoControlSetValue41>,
    DataService<IoControlSetValue42>,
};

template <std::size_t N>
void RunBranch(const BranchHandler (&branch)[N], SessionContext& ctx) {
    for (const BranchHandler handler : branch) {
        handler(ctx);
    }
}

}  // namespace

bool Dispatcher::Dispatch(const RequestBuffer& requestData, std::uint8_t target, std::uint8_t source) {
    framer_.SetRequestAddresses(target, source);
    ServiceContext service{requestData, target, source, env_, fluctuation_, framer_};
    SessionContext session{service, framer_, communicationActive_};

    StartCommunication(session);
    StopCommunication(session);
    const ServiceBranch branch = BranchAt(target, env_.Variant());
    if (!communicationActive_) {
        return branch != ServiceBranch::None;
    }
    switch (branch) {
    case ServiceBranch::At10:
        RunBranch(kBranch10, session);
        break;
    case ServiceBranch::At11:
        RunBranch(kBranch11, session);
        break;
    case ServiceBranch::None:
        break;
    }
    return branch != ServiceBranch::None;
}
