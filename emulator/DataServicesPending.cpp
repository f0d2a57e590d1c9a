#include "emulator/DataServices.h"

// Temporary: the data services land in their own files; this file goes when they do.
void ReadDataByLocalIdentifier01(ServiceContext&) {}
void ReadDataByLocalIdentifier02(ServiceContext&) {}
void ReadDataByLocalIdentifier03(ServiceContext&) {}
void ReadEcuIdentification(ServiceContext&) {}
void ReadDTCByStatus(ServiceContext&) {}
void ClearDiagnosticInformation(ServiceContext&) {}
void IoControlReturnControl(ServiceContext&) {}
void IoControlSetState(ServiceContext&) {}
void IoControlReportState(ServiceContext&) {}
void EcuReset(ServiceContext&) {}
void IoControlSetValue41(ServiceContext&) {}
void IoControlSetValue42(ServiceContext&) {}
