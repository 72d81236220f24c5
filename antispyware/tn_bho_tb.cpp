#include "tn_bho_tb.h"

namespace {

const char* FailureText(std::int32_t code) {
  switch (code) {
    case BhoCannotOpen: return "Fichier qrx_bhotb.dat introuvable";
    case BhoReadFailed: return "Erreur de lecteur fichier qrx_bhotb.dat";
    default: return "Trop de données dans qrx_bhotb.dat";  // BhoTooMany, the last failure there is
  }
}

}  // namespace

TLoadResult LoadBhoDatabase() { return LoadBhoDatabaseFrom(ProgramFolder()); }

TLoadResult LoadBhoDatabaseFrom(const std::string& folder) {
  const std::int32_t code = ReadBhoFile(folder + "qrx_bhotb.dat");
  if (code == BhoReadOk) return std::nullopt;
  return TLoadFailure{FailureText(code), "Erreur"};
}
