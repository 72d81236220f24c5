#include "qrx_thread_scan_spyware.h"

void ScanSpyware::Execute() {
  ShowClosingText(ThreatsFound > 0 ? "L'analyse antispyware est terminée. Des éléments infectés ont été détectés."
                                   : "L'analyse antispyware est terminée. Aucun spyware détecté.");
}
