#include "qrx_scan_workers.h"

#include "qrx_spyware_removal.h"
#include "qrx_thread_scan_spyware.h"
#include "qrx_thread_scan_virus.h"

std::unique_ptr<TWorkerThread> TScanWorkerFactory::CreateScanVirus(TScanRequest request) {
  return std::make_unique<ScanVirus>(std::move(request));
}

std::unique_ptr<TWorkerThread> TScanWorkerFactory::CreateScanSpyware(TScanRequest request) {
  return std::make_unique<ScanSpyware>(std::move(request), RemoveSpywareEntry);
}
