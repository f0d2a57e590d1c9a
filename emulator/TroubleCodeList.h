#pragma once

#include <string>
#include <vector>

// The 113 items of the trouble-code check list in list order: a four-digit code, one
// blank and the description (UTF-8). The console shows them; ticked items are the stored
// codes that ReadDTCByStatus reports.
const std::vector<std::string>& TroubleCodeList();
