#include "tns_scan.h"

#include "Text.h"

TLoadResult LoadSignatures() { return LoadSignaturesFrom(ProgramFolder()); }

TLoadResult LoadSignaturesFrom(const std::string& folder) {
  if (!LoadSignatureFile(folder + "QRX_SIG.DAT"))
    return TLoadFailure{"Impossible de charger le fichier de signatures", "Erreur fichier"};
  AppendSignatureFile(folder + "QRX_SIG2.DAT");  // optional: whatever it held before a failure stays
  // Only the filled slots: records past the table's capacity were counted but not stored.
  if (InitScan(SignatureTable(), FilledSignatureSlots()) != TN_INIT_OK)
    return TLoadFailure{"Impossible d'initialiser DLL scan (initscan)", "Erreur"};
  return std::nullopt;
}

bool ScanFileWithEngine(const std::string& path, TVirusInfo& info) {
  TScanFileResult result{};  // Found 0, FoundName empty
  const std::int32_t code = ScanFile(path, &result);
  if (code != TN_SCAN_CLEAN && code != TN_SCAN_INFECTED) return false;
  info.Infected = result.Found == 1;
  // The records' texts are Windows-1252; the program speaks UTF-8.
  info.VirusName = info.Infected ? QrxPlatform::Utf8FromWindows1252(result.FoundName.View()) : std::string();
  return true;
}
