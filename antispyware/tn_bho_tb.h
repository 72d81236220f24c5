#pragma once
// The browser helper object and toolbar database at start-up.
#include <string>

#include "qrx_data_loading.h"
#include "tn_bho_file.h"

// Start-up, on the UI thread, after the signature files: reads qrx_bhotb.dat from the program's
// folder into BhoTable. A failure is shown in a box and ends the program at the first turn of
// the event loop.
void LoadBhoDatabase();
// The same with the file taken from `folder` (ending with a backslash).
void LoadBhoDatabaseFrom(const std::string& folder);
