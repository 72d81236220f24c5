#pragma once
// The binding to the scanning engine library TN_SSCAN.DLL and its two exports:
//   int32_t __stdcall initscan(const void* table, int32_t count);   0 is success
//   int32_t __stdcall scanfile(const char* path, TScanFileResult* result);   0 or 1: scanned
// The library is bound at start-up before any window and released when the program ends; in
// between the binding does not change, so the worker thread may call through it.
#include <cstddef>
#include <cstdint>

#include "qrx_counted_text.h"

// The engine's verdict on one file: 66 bytes, no padding.
struct TScanFileResult {
  std::uint8_t Found;  // 1: the file matches FoundName; any other value: it does not
  TCountedText<64> FoundName;
};
static_assert(sizeof(TScanFileResult) == 66);
static_assert(offsetof(TScanFileResult, FoundName) == 1);

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
std::int32_t ScanFile(const char* path, TScanFileResult* result);
