#include "qrx_services.h"

#include <shellapi.h>

#include "SystemInfo.h"
#include "WideText.h"

int TSystemServices::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner, QrxPlatform::Wide(text).c_str(), QrxPlatform::Wide(caption).c_str(), flags);
}

unsigned TSystemServices::LogicalProcessorCount() { return ::LogicalProcessorCount(); }

unsigned TSystemServices::OsMajorVersion() { return ::OsMajorVersion(); }

TCalendarDate TSystemServices::LocalDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void TSystemServices::ShellOpen(HWND owner, const std::string& address, int showCommand) {
  ShellExecuteW(owner, L"open", QrxPlatform::Wide(address).c_str(), nullptr, nullptr, showCommand);
}

namespace {
TSystemServices SystemServices;
TSystemServices* Current = &SystemServices;
}  // namespace

TSystemServices& Services() { return *Current; }

TSystemServices* ReplaceServices(TSystemServices* services) {
  TSystemServices* previous = Current;
  Current = services != nullptr ? services : &SystemServices;
  return previous;
}
