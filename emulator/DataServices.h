#pragma once

#include "emulator/ServiceContext.h"

// The data services that sit behind the session gates of both service branches. Each
// looks at RequestData itself and sends nothing when the request is not its own; the
// dispatch calls them in its fixed order.

// 21 01 (all types), 21 02 and 21 03 (address 0x10 only).
void ReadDataByLocalIdentifier01(ServiceContext& ctx);
void ReadDataByLocalIdentifier02(ServiceContext& ctx);
void ReadDataByLocalIdentifier03(ServiceContext& ctx);

// 1A with options 90, 91, 92, 94, 97, 99, 9A.
void ReadEcuIdentification(ServiceContext& ctx);

// 18 and 14 00 00.
void ReadDTCByStatus(ServiceContext& ctx);
void ClearDiagnosticInformation(ServiceContext& ctx);

// 30 LID 00, 30 LID 06 S, 30 LID 01.
void IoControlReturnControl(ServiceContext& ctx);
void IoControlSetState(ServiceContext& ctx);
void IoControlReportState(ServiceContext& ctx);

// 11 01.
void EcuReset(ServiceContext& ctx);

// 30 41 07 V and 30 42 07 V.
void IoControlSetValue41(ServiceContext& ctx);
void IoControlSetValue42(ServiceContext& ctx);
