#pragma once
// Start-up's loading of the data files, on the UI thread before the main window shows.
#include "qrx_data_loading.h"

// Shows a failed load's box (error icon, one OK button) and asks the application to end; start-up
// goes on, and the program ends at the first turn of its event loop. Nothing for a success.
void ReportStartupFailure(const TLoadResult& result);

// The signature files, then the spyware database: each failure is reported as it comes.
void LoadDataFiles();
