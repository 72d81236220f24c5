#include "qrx_startup_loading.h"

#include "qrx_application.h"
#include "qrx_services.h"
#include "tn_bho_tb.h"
#include "tns_scan.h"

void ReportStartupFailure(const TLoadResult& result) {
  if (!result) return;
  Services().ShowMessage(nullptr, result->Text, result->Caption, MB_OK | MB_ICONERROR);
  Application.Terminate();
}

void LoadDataFiles() {
  ReportStartupFailure(LoadSignatures());
  ReportStartupFailure(LoadBhoDatabase());
}
