#pragma once
// The binding to the scanning engine library TN_SSCAN.DLL and the two exports the program
// calls, initscan and scanfileutf8, whose contract tn_sscan.h gives. The library is bound at
// start-up before any window and released when the program ends; in between the binding does
// not change, so the worker thread may call through it.
#include <cstdint>
#include <string>

#include "tn_sscan.h"

inline constexpr char ScanEngineLibrary[] = "TN_SSCAN.DLL";
// What InitScan and ScanFile answer, without calling anything, when the library or the export
// is missing: a refused initialisation, and a file not scanned.
inline constexpr std::int32_t ScanEngineMissing = -1;

// Takes `library` if the process has it loaded, else loads it by name (the program's folder is
// searched first), then looks up both exports. True when the library and both exports are there.
bool BindScanEngine(const char* library = ScanEngineLibrary);
// Lets the library go (unloading it when BindScanEngine loaded it); calls are refused afterwards.
void ReleaseScanEngine();

std::int32_t InitScan(const void* table, std::int32_t count);
// The file at the UTF-8 `path`, through scanfileutf8.
std::int32_t ScanFile(const std::string& path, TScanFileResult* result);
