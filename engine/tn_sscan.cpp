// The exported face of the engine: a thin layer over Matcher. No exception leaves it.
#include "tn_sscan.h"

#include <memory>
#include <mutex>
#include <string>

#include "matcher.h"

namespace {

using qrx::engine::Matcher;
using qrx::engine::ScanStatus;

// initscan runs on one thread before scans start, but a lock costs nothing next to a file
// and keeps a late initscan from pulling the set out from under a running scan.
std::mutex gLock;
std::shared_ptr<const Matcher> gMatcher;

std::shared_ptr<const Matcher> currentMatcher() {
  std::lock_guard<std::mutex> hold(gLock);
  return gMatcher;
}

void setMatcher(std::shared_ptr<const Matcher> matcher) {
  std::lock_guard<std::mutex> hold(gLock);
  gMatcher = std::move(matcher);
}

void writeResult(TScanFileResult* result, bool found, std::string_view name) {
  result->Found = found ? 1 : 0;
  result->FoundName.Assign(found ? name : std::string_view());
}

int32_t scanCode(ScanStatus status) {
  switch (status) {
    case ScanStatus::Clean: return TN_SCAN_CLEAN;
    case ScanStatus::Infected: return TN_SCAN_INFECTED;
    case ScanStatus::CannotOpen:
    case ScanStatus::NotAFile: return TN_SCAN_CANNOT_OPEN;
    case ScanStatus::ReadError: return TN_SCAN_READ_ERROR;
  }
  return TN_SCAN_INTERNAL_ERROR;
}

}  // namespace

extern "C" int32_t TN_SSCAN_CALL initscan(const void* table, int32_t count) {
  setMatcher(nullptr);
  if (count < 0 || (count > 0 && table == nullptr)) return TN_INIT_BAD_ARGUMENT;
  try {
    setMatcher(Matcher::fromTable(static_cast<const TSignatureEntry*>(table), static_cast<std::size_t>(count)));
    return TN_INIT_OK;
  } catch (...) {
    return TN_INIT_INTERNAL_ERROR;
  }
}

extern "C" int32_t TN_SSCAN_CALL scanfileutf8(const char* path, TScanFileResult* result) {
  if (path == nullptr || *path == '\0' || result == nullptr) return TN_SCAN_BAD_ARGUMENT;
  const std::shared_ptr<const Matcher> matcher = currentMatcher();
  if (!matcher) return TN_SCAN_NOT_INITIALISED;
  try {
    const qrx::engine::ScanResult scan = matcher->scanFile(path);
    const int32_t code = scanCode(scan.status);
    if (code == TN_SCAN_CLEAN || code == TN_SCAN_INFECTED) {
      writeResult(result, code == TN_SCAN_INFECTED, code == TN_SCAN_INFECTED ? matcher->name(scan.slot) : "");
    }
    return code;
  } catch (...) {
    return TN_SCAN_INTERNAL_ERROR;
  }
}

// The path in UTF-8, then the same scan: an empty path stays empty and is refused there.
extern "C" int32_t TN_SSCAN_CALL scanfile(const char* path, TScanFileResult* result) {
  if (path == nullptr) return TN_SCAN_BAD_ARGUMENT;
  try {
    return scanfileutf8(qrx::engine::pathFromAnsi(path).c_str(), result);
  } catch (...) {
    return TN_SCAN_INTERNAL_ERROR;
  }
}
