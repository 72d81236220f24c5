#include "qrx_services.h"

#include <shellapi.h>

#include "SystemInfo.h"

int TSystemServices::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

unsigned TSystemServices::LogicalProcessorCount() { return ::LogicalProcessorCount(); }

unsigned TSystemServices::OsMajorVersion() { return ::OsMajorVersion(); }

TCalendarDate TSystemServices::LocalDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay};
}

void TSystemServices::ShellOpen(HWND owner, const std::string& address, int showCommand) {
  ShellExecuteA(owner, "open", address.c_str(), nullptr, nullptr, showCommand);
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
