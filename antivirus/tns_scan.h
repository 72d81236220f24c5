#pragma once
// The signature files at start-up and the engine's verdict on one file.
#include <string>

#include "qrx_data_loading.h"
#include "qrx_virus_info.h"
#include "tn_dll_sscan_header.h"
#include "tns_signature_file.h"

// Start-up, on the UI thread: loads QRX_SIG.DAT and then QRX_SIG2.DAT from the program's
// folder and primes the engine with the table. Answers the box a failure asks for; a bad
// pattern unit raises ConversionError to the caller.
TLoadResult LoadSignatures();
// The same with the files taken from `folder` (ending with a backslash).
TLoadResult LoadSignaturesFrom(const std::string& folder);

// Asks the engine about the file at the UTF-8 `path`; the signature's name comes back in UTF-8.
// False, with `info` left alone, when the engine did not scan it.
bool ScanFileWithEngine(const std::string& path, TVirusInfo& info);
