#include "qrx_thread_scan_virus.h"

void ScanVirus::Execute() {
  ShowClosingText(ThreatsFound > 0 ? "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés."
                                   : "L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.");
}
