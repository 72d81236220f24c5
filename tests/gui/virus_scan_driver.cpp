// Drives the real Quorvex.exe through a quick scan with automatic removal, on files that it
// plants in the prefix's Windows folder; then checks the antivirus status line, which files
// went, and that no temporary "TN" folder is left.
//
// Usage: qrx_virus_scan_driver <Quorvex.exe> clean|threats
//   clean:   clean files and a clean ZIP archive; nothing is removed.
//   threats: EICAR test files, plain, named in several scripts, in a subfolder, read-only, in a
//            ZIP archive, renamed to .zip and in a .cache folder; the results grid is read back
//            from this process.
// Paths are UTF-8 here, as in the program, and go to the W file functions.
// The program's own signature file signs the EICAR file.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "WideText.h"
#include "driver_support.h"

namespace {

const std::string kEicar = "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";
const char kInfectedClosing[] = "L'analyse antivirus est terminée. Des fichiers infectés ont été détectés.";
const char kCleanClosing[] = "L'analyse antivirus est terminée. Aucun fichier infecté n'a été détecté.";
const char kNamedInScripts[] = "вирус 病毒😀 données.com";

std::uint32_t Crc32(const std::string& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void Put(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

// A ZIP archive with one stored member (PKWARE's application note, sections 4.3.7 to 4.3.16).
std::string StoredZip(const std::string& name, const std::string& content) {
  const std::uint32_t crc = Crc32(content), size = static_cast<std::uint32_t>(content.size());
  std::string zip;
  Put(zip, 0x04034B50, 4), Put(zip, 10, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 4);
  Put(zip, crc, 4), Put(zip, size, 4), Put(zip, size, 4), Put(zip, static_cast<std::uint32_t>(name.size()), 2);
  Put(zip, 0, 2);
  zip += name + content;
  const std::uint32_t central = static_cast<std::uint32_t>(zip.size());
  Put(zip, 0x02014B50, 4), Put(zip, 10, 2), Put(zip, 10, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 4);
  Put(zip, crc, 4), Put(zip, size, 4), Put(zip, size, 4), Put(zip, static_cast<std::uint32_t>(name.size()), 2);
  Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 0, 4), Put(zip, 0, 4);
  zip += name;
  const std::uint32_t centralSize = static_cast<std::uint32_t>(zip.size()) - central;
  Put(zip, 0x06054B50, 4), Put(zip, 0, 2), Put(zip, 0, 2), Put(zip, 1, 2), Put(zip, 1, 2);
  Put(zip, centralSize, 4), Put(zip, central, 4), Put(zip, 0, 2);
  return zip;
}

std::wstring Wide(const std::string& utf8) { return QrxPlatform::Wide(utf8); }

bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::set<std::string> ArchiveFolders() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::set<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((std::wstring(temp) + L"TN*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(QrxPlatform::Utf8(found.cFileName));
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

class TDriver {
 public:
  TDriver(const std::string& exe, bool threats) : Exe_(exe), Threats_(threats) {
    wchar_t windows[MAX_PATH + 1];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH + 1);
    Folder_ = QrxPlatform::Utf8(std::wstring_view(windows, length)) + "\\qrxvirusgui";
  }

  int Run() {
    Plant();
    const std::set<std::string> before = ArchiveFolders();
    {
      TProgram program(Exe_);
      Expect(program.Started(), "Quorvex.exe starts");
      Main_ = program.Started() ? WaitForTopWindow(nullptr, kMainCaption, 30000) : nullptr;
      Expect(Main_ != nullptr, "the main window appears");
      if (Main_ && ChooseAutomaticRemoval()) {
        ScanAndCheck();
        StopDuringTheScan();
      }
      if (Main_) PostMessageW(Main_, WM_CLOSE, 0, 0);
      if (HWND notice = WaitForTopWindow(nullptr, kNoticeCaption, 15000)) PostMessageW(notice, WM_CLOSE, 0, 0);
      Expect(program.WaitForExit(15000), "the program ends");
    }
    Expect(ArchiveFolders() == before, "no temporary \"TN\" folder is left");
    CleanUp();
    return Checks_.Finish();
  }

 private:
  void Expect(bool passed, const std::string& what) { Checks_.Expect(passed, what); }
  std::string Path(const std::string& name) const { return Folder_ + "\\" + name; }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(std::filesystem::path(Wide(Path(name))), std::ios::binary) << bytes;
  }

  void Plant() {
    CleanUp();
    for (const char* folder : {"", "\\sub", "\\.cache"}) CreateDirectoryW(Wide(Folder_ + folder).c_str(), nullptr);
    Write("notes.txt", "nothing to see here\r\n");
    Write("clean.zip", StoredZip("docs/readme.txt", "nothing in here either\r\n"));
    std::string bulk(48 << 20, '\0');
    for (size_t i = 0; i < bulk.size(); ++i) bulk[i] = static_cast<char>((i * 2654435761u) >> 24);
    Write("big.zip", StoredZip("bulk.bin", bulk));
    if (!Threats_) return;
    Write("eicar.com", kEicar);
    Write(kNamedInScripts, kEicar);
    Write("sub\\eicar.com", kEicar);
    Write("readonly.com", kEicar);
    SetFileAttributesW(Wide(Path("readonly.com")).c_str(), FILE_ATTRIBUTE_READONLY);
    Write("pack.zip", StoredZip("docs/eicar.com", kEicar));
    Write("renamed.zip", kEicar);
    Write(".cache\\eicar.com", kEicar);
  }

  void CleanUp() {
    for (const char* name : {"eicar.com", kNamedInScripts, "sub\\eicar.com", "readonly.com", "pack.zip",
                             "renamed.zip", ".cache\\eicar.com", "notes.txt", "clean.zip", "big.zip"}) {
      SetFileAttributesW(Wide(Path(name)).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(Wide(Path(name)).c_str());
    }
    for (const char* folder : {"\\sub", "\\.cache", ""}) RemoveDirectoryW(Wide(Folder_ + folder).c_str());
  }

  bool ChooseAutomaticRemoval() {
    std::vector<HWND> links = ByText(Main_, "Configuration");
    std::vector<HWND> removal = ByText(Main_, "Supprimer automatiquement le fichier infecté");
    HWND validate = Find(Main_, "&Valider");
    Expect(!links.empty() && !removal.empty() && validate, "the antivirus options page is there");
    if (links.empty() || removal.empty() || !validate) return false;
    ClickLink(links[0]);
    Expect(WaitFor([&] { return IsWindowVisible(removal[0]) != 0; }, 15000), "the options page opens");
    Press(removal[0]);
    Expect(WaitFor([&] { return SendMessageW(removal[0], BM_GETCHECK, 0, 0) == BST_CHECKED; }, 15000),
           "automatic removal is selected");
    Press(validate);
    return true;
  }

  void ScanAndCheck() {
    Press(Find(Main_, "&Analyser !"));
    HWND box = WaitForTopWindow("#32770", "Informations", 240000);
    Expect(box != nullptr, "the scan ends with its message box");
    const char* closing = Threats_ ? kInfectedClosing : kCleanClosing;
    Expect(Find(Main_, closing) != nullptr, std::string("the antivirus status line reads \"") + closing + "\"");
    Expect(Exists(Path("notes.txt")) && Exists(Path("clean.zip")), "the clean files stay");
    if (Threats_) {
      CheckRemovals();
      CheckRows();
    }
    if (box) Press(Find(box, "OK"));
    WaitFor([&] { return !IsWindow(box); }, 15000);
  }

  // A second scan, stopped as soon as it reaches the large archive (or, on a slow machine,
  // whatever it is at then): the stop is answered, and the archive's folder is gone.
  void StopDuringTheScan() {
    HWND stop = Find(Main_, "&Arrêter");
    Press(stop);
    Expect(WaitFor([&] { return IsWindowVisible(Find(Main_, "&Analyser !")) != 0; }, 15000), "the scan button is back");
    Press(Find(Main_, "&Analyser !"));
    // The archive's status gives way to its member's at once: either means the scan is in it.
    const std::string archive = "Analyse du fichier " + Folder_ + "\\big.zip";
    WaitFor([&] { return !ByText(Main_, archive).empty() || !ByText(Main_, archive + " : bulk.bin").empty(); }, 60000);
    Press(stop);
    HWND box = WaitForTopWindow("#32770", "Informations", 60000);
    Expect(box != nullptr && MessageBoxText(box) == "Analyse interrompue par l'utilisateur.",
           "stopping the scan is answered with \"Analyse interrompue par l'utilisateur.\"");
    if (box) Press(Find(box, "OK"));
    WaitFor([&] { return !IsWindow(box); }, 15000);
  }

  void CheckRemovals() {
    Expect(!Exists(Path("eicar.com")), "the infected file is deleted");
    Expect(!Exists(Path(kNamedInScripts)), "the infected file named in several scripts is deleted");
    Expect(!Exists(Path("sub\\eicar.com")), "the infected file in a subfolder is deleted");
    Expect(!Exists(Path("pack.zip")), "the archive holding an infected member is deleted");
    Expect(!Exists(Path("renamed.zip")), "an infected file renamed to .zip is found and deleted");
    Expect(Exists(Path("readonly.com")), "the read-only infected file stays (its removal fails)");
    Expect(Exists(Path(".cache\\eicar.com")), "a .cache folder is passed over");
  }

  // One row per infected object, the archive standing for its member: struck out when it went,
  // "suppression échouée" when it stayed; nothing for the clean files or the .cache folder.
  void CheckRows() {
    std::vector<TGridRow> rows = ReadGrid(FindGrid(Main_));
    std::vector<std::string> objects;
    for (const TGridRow& row : rows)
      if (!row.Cells[1].Text.empty()) objects.push_back(row.Cells[1].Text);
    Expect(objects.size() == 6, "six threat rows (" + std::to_string(objects.size()) + ")");
    const struct {
      const char* Name;
      bool Removed;
    } expected[] = {{"eicar.com", true},   {kNamedInScripts, true},  {"sub\\eicar.com", true},
                    {"pack.zip", true},    {"renamed.zip", true},     {"readonly.com", false}};
    for (const auto& e : expected) {
      const TGridRow* found = nullptr;
      for (const TGridRow& row : rows)
        if (row.Cells[1].Text == Path(e.Name)) found = &row;
      const bool typed = found && found->Cells[2].Text == "Virus EICAR-Test-File";
      if (e.Removed)
        Expect(typed && found->LooksRemoved(), std::string("the row of ") + e.Name + " reads \"Virus EICAR-Test-File\", struck out");
      else
        Expect(typed && found->Cells[3].Text == "suppression échouée",
               std::string("the row of ") + e.Name + " reads \"suppression échouée\"");
    }
  }

  TChecks Checks_;
  std::string Exe_;
  bool Threats_;
  std::string Folder_;
  HWND Main_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc == 3 ? argv[2] : "";
  if (mode != "clean" && mode != "threats") {
    std::fprintf(stderr, "usage: qrx_virus_scan_driver <Quorvex.exe> clean|threats\n");
    return 2;
  }
  return TDriver(argv[1], mode == "threats").Run();
}
