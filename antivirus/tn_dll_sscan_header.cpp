#include "tn_dll_sscan_header.h"

#include <windows.h>

#include <string>

#include "WideText.h"

namespace {

using TInitScanExport = decltype(&initscan);
using TScanFileExport = decltype(&scanfileutf8);

template <typename Export>
Export LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The bound library: a module handle, owned only when this binding loaded it, and its exports.
class TScanEngineBinding {
 public:
  ~TScanEngineBinding() { Release(); }

  bool Bind(const char* library) {
    Release();
    const std::wstring name = QrxPlatform::Wide(library);
    Module_ = GetModuleHandleW(name.c_str());
    if (Module_ == nullptr) {
      Module_ = LoadLibraryW(name.c_str());
      Owned_ = Module_ != nullptr;
    }
    if (Module_ == nullptr) return false;
    InitScan_ = LookUp<TInitScanExport>(Module_, "initscan");
    ScanFile_ = LookUp<TScanFileExport>(Module_, "scanfileutf8");
    if (InitScan_ != nullptr && ScanFile_ != nullptr) return true;
    // A library without both exports is no engine (an older one cannot take every name):
    // neither is ever called.
    InitScan_ = nullptr;
    ScanFile_ = nullptr;
    return false;
  }

  void Release() {
    if (Owned_) FreeLibrary(Module_);
    Module_ = nullptr;
    Owned_ = false;
    InitScan_ = nullptr;
    ScanFile_ = nullptr;
  }

  std::int32_t InitScan(const void* table, std::int32_t count) const {
    return InitScan_ != nullptr ? InitScan_(table, count) : ScanEngineMissing;
  }

  std::int32_t ScanFile(const std::string& path, TScanFileResult* result) const {
    return ScanFile_ != nullptr ? ScanFile_(path.c_str(), result) : ScanEngineMissing;
  }

 private:
  HMODULE Module_ = nullptr;
  bool Owned_ = false;
  TInitScanExport InitScan_ = nullptr;
  TScanFileExport ScanFile_ = nullptr;
};

TScanEngineBinding Engine;

}  // namespace

bool BindScanEngine(const char* library) { return Engine.Bind(library); }

void ReleaseScanEngine() { Engine.Release(); }

std::int32_t InitScan(const void* table, std::int32_t count) { return Engine.InitScan(table, count); }

std::int32_t ScanFile(const std::string& path, TScanFileResult* result) { return Engine.ScanFile(path, result); }
