#pragma once
// Removal of one spyware registration: the server file that its class key names, and the class
// key HKEY_CLASSES_ROOT\CLSID\<identifier> with everything beneath it. Runs on the worker thread
// (automatic removal) and on the UI thread (ticked rows); it shares no state and never throws.
#include "tn_bho_file.h"

// True only when the server file went (or there was none to remove) and the class key was
// deleted. Every registry or file error is absorbed into the result.
bool RemoveSpywareEntry(const TBhoEntry& entry);
