#pragma once
// Removal of one spyware registration: the server file that its class key names, and the class
// key HKEY_CLASSES_ROOT\CLSID\<identifier> with everything beneath it. Runs on the worker thread
// (automatic removal) and on the UI thread (ticked rows); it shares no state and never throws.
#include "tn_bho_file.h"

enum class TSpywareRemoval {
  Removed,              // the server file (when there was one) and the class key are gone
  RegistrationRemoved,  // the class key is gone; its server file is one Windows or other programs need, and stays
  Failed,               // the registration stays, for another try
};

// The server file goes first, unless it lies in a folder of Windows or of the programs' shared
// files; a server file that exists and cannot be deleted keeps the key, so that a later removal
// can still find it. A server file already gone does not. Every registry or file error is
// absorbed into the result.
TSpywareRemoval RemoveSpywareEntry(const TBhoEntry& entry);
