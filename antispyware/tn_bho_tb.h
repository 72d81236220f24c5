#pragma once
// The browser helper object and toolbar database at start-up.
#include <string>

#include "qrx_data_loading.h"
#include "tn_bho_file.h"

// Start-up, on the UI thread, after the signature files: reads qrx_bhotb.dat from the program's
// folder into BhoTable. Answers the box a failure asks for.
TLoadResult LoadBhoDatabase();
// The same with the file taken from `folder` (ending with a backslash).
TLoadResult LoadBhoDatabaseFrom(const std::string& folder);
