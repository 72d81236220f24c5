#include "qrx_virus_walk.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "File.h"
#include "FileSystem.h"
#include "FolderListing.h"
#include "TempFolder.h"
#include "ZipReader.h"

using QrxPlatform::kSeparator;
using QrxPlatform::TEntryKind;
using QrxPlatform::TFolderEntry;
using QrxPlatform::TFolderListing;
using QrxPlatform::TScratchFolder;

namespace {

constexpr char kScanningFile[] = "Analyse du fichier ";
// Names taken by folders left over, or by another scan at the same moment, before we give up.
constexpr int kFolderAttempts = 8;
constexpr unsigned kFolderNumbers = 65000;
// A member's content while it is scanned: one short name of ours, whatever the member's own.
constexpr char kContentName[] = "member";
// Where a nested archive's first local header is looked for, as the extractor recognises
// archives with a prefix (a self-extractor's program, say).
constexpr std::uint64_t kArchiveSniffLength = 196608;
// The reasons an archive keeps for its report; further ones are only counted.
constexpr std::size_t kReasonsKept = 4;

std::string WithSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == kSeparator ? folder : folder + kSeparator;
}

// The member's file name without its folders, as the status line shows it.
std::string BaseName(const std::string& storedName) {
  const std::size_t separator = storedName.find_last_of("\\/");
  return separator == std::string::npos ? storedName : storedName.substr(separator + 1);
}

std::string MemberFailure(std::int32_t result, std::uint16_t method) {
  switch (result) {
    case UZ_CRC_MISMATCH: return "CRC mismatch";
    case UZ_WRITE_ERROR: return "could not be written to the temporary folder";
    case UZ_READ_ERROR: return "packed data cut short";
    case UZ_ENCRYPTED: return "encrypted";
    case UZ_UNSUPPORTED: return "method " + std::to_string(method) + " not supported";
    default: return "damaged data";
  }
}

// Seeded once per walk: archives nested in one another are unpacked within the same
// millisecond, and a clock reseeded each time would draw the same folder name for them.
unsigned ClockSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  return static_cast<unsigned>(milliseconds % 86400000) ^ std::random_device{}();
}

// A member's content on its way to the engine: written to our own file, and watched for the
// local-header signature that makes it an archive to open in turn.
// The file is made at the first byte: an empty member costs no file operation.
class TContentFile final : public TContentSink {
 public:
  explicit TContentFile(const std::string& path) : Path_(path) {}
  void Close() { File_.Close(); }
  bool Write(const std::uint8_t* data, std::uint32_t size) override {
    if (!File_.IsOpen() && !File_.Create(Path_.c_str())) return false;
    for (std::uint32_t i = 0; i < size && Written_ + i < kArchiveSniffLength && !LooksLikeArchive_; ++i) {
      Recent_ = Recent_ >> 8 | std::uint32_t(data[i]) << 24;
      LooksLikeArchive_ = Recent_ == 0x04034B50;  // "PK" 3 4
    }
    Written_ += size;
    return File_.Write(data, size) == static_cast<std::int64_t>(size);
  }
  std::uint64_t Written() const { return Written_; }
  bool LooksLikeArchive() const { return LooksLikeArchive_; }

 private:
  const std::string& Path_;
  QrxPlatform::TFile File_;
  std::uint64_t Written_ = 0;
  std::uint32_t Recent_ = 0;
  bool LooksLikeArchive_ = false;
};

}  // namespace

// One archive met on disk, with everything nested in it: the bounds it may still use, and
// why it could not be scanned entirely, if it could not.
class TVirusWalk::TArchiveScan {
 public:
  TArchiveScan(TVirusWalk& walk, const std::string& outer)
      : Walk_(walk), Outer_(outer), Bytes_(walk.Options_.Limits.MaxUnpackedBytes),
        Members_(walk.Options_.Limits.MaxMembers) {}

  // Opens the archive at `path`, the depth-th of its chain, and scans its members. False when
  // it is no archive at all.
  bool Scan(const std::string& path, unsigned depth) {
    TZipReader reader;
    const std::int32_t opened = reader.Open(path);
    if (opened == UZ_NOT_ARCHIVE) return false;
    if (opened != UZ_OK) Note("damaged directory, members taken from their local headers");
    TScratchFolder folder;
    if (!Walk_.MakeScratchFolder(folder)) {
      Note("no temporary folder could be made");
      return true;
    }
    const std::string contentPath = folder.Path() + kSeparator + kContentName;
    TZipMemberInfo member;
    while (!Walk_.Hooks_.StopRequested() && reader.Next(member)) {
      if (Members_ == 0) {
        Note("more than " + std::to_string(Walk_.Options_.Limits.MaxMembers) + " members");
        break;
      }
      --Members_;
      if (!member.IsFolder) ScanMember(reader, member, contentPath, depth);
    }
    if (reader.DirectoryCutShort()) Note("damaged directory entry");
    return true;
  }

  bool Complete() const { return ProblemCount_ == 0; }
  std::string Reasons() const {
    std::string text;
    for (const std::string& reason : Reasons_) text += (text.empty() ? "" : "; ") + reason;
    if (ProblemCount_ > Reasons_.size()) text += "; and " + std::to_string(ProblemCount_ - Reasons_.size()) + " more";
    return text;
  }

 private:
  void ScanMember(TZipReader& reader, const TZipMemberInfo& member, const std::string& contentPath, unsigned depth) {
    Walk_.Hooks_.ShowStatus(kScanningFile + Outer_ + " : " + BaseName(member.Name));
    if (member.Overlapping) Note("member " + member.Name + ": overlaps another");
    if (member.SizeKnown && member.UnpackedSize > Bytes_) {
      Note("member " + member.Name + ": past the bound of " + std::to_string(Walk_.Options_.Limits.MaxUnpackedBytes) +
           " unpacked bytes");
      return;
    }
    TContentFile content(contentPath);
    const std::int32_t result = reader.Decode(member.SizeKnown ? member.UnpackedSize : Bytes_, content);
    content.Close();
    Bytes_ -= std::min(Bytes_, member.SizeKnown ? member.UnpackedSize : content.Written());
    // What was decoded is scanned even when the member then failed.
    if (result != UZ_OK) Note("member " + member.Name + ": " + MemberFailure(result, member.Method));
    if (content.Written() == 0) return;
    ScanContent(contentPath, member, content.LooksLikeArchive(), depth);
    QrxPlatform::RemoveOwnFile(contentPath);
  }

  // A member that is an archive is opened in turn; its own bytes go to the engine only when it
  // is none, or when it could not be unpacked entirely and nothing was found in what was.
  void ScanContent(const std::string& contentPath, const TZipMemberInfo& member, bool looksLikeArchive,
                   unsigned depth) {
    if (looksLikeArchive || IsArchiveName(member.Name)) {
      const std::size_t problemsBefore = ProblemCount_;
      const int threatsBefore = Walk_.ThreatsFound_;
      if (depth >= Walk_.Options_.Limits.MaxDepth) {
        Note("member " + member.Name + ": archives nested deeper than " +
             std::to_string(Walk_.Options_.Limits.MaxDepth));
      } else if (Scan(contentPath, depth + 1) &&
                 (ProblemCount_ == problemsBefore || Walk_.ThreatsFound_ > threatsBefore)) {
        return;
      }
    }
    TVirusInfo verdict;
    if (!Walk_.ScanWithEngine(contentPath, verdict)) {
      Note("member " + member.Name + ": the engine could not read it");
    } else if (verdict.Infected) {
      Walk_.ReportInfection(Outer_, member.Name, verdict.VirusName);
    }
  }

  void Note(std::string reason) {
    ++ProblemCount_;
    if (Reasons_.size() < kReasonsKept) Reasons_.push_back(std::move(reason));
  }

  TVirusWalk& Walk_;
  const std::string& Outer_;
  std::uint64_t Bytes_;    // unpacked bytes it may still write
  std::uint64_t Members_;  // members it may still take
  std::size_t ProblemCount_ = 0;
  std::vector<std::string> Reasons_;
};

TVirusWalk::TVirusWalk(TVirusScanHooks hooks, TVirusScanOptions options)
    : Hooks_(std::move(hooks)), Options_(std::move(options)), Random_(ClockSeed()) {}

void TVirusWalk::WalkFolder(const std::string& folder) { WalkTree(folder); }

void TVirusWalk::WalkTree(const std::string& folder) {
  const std::string dir = WithSeparator(folder);
  TFolderListing listing(dir);
  TFolderEntry entry;
  while (!Hooks_.StopRequested() && listing.Next(entry)) {
    if (entry.Kind == TEntryKind::Folder) {
      if (entry.Name == "." || entry.Name == "..") continue;
      // Folders such as .cache with all they hold.
      if (Options_.SkipDotFolders && entry.Name[0] == '.') continue;
      WalkTree(dir + entry.Name);
    } else if (entry.Kind == TEntryKind::File) {
      ScanEntry(folder, entry.Name);
    }
  }
  if (listing.Failed()) ReportNotFullyScanned(folder, "the folder could not be listed");
}

void TVirusWalk::ScanOneFile(const std::string& path) {
  const std::size_t separator = path.rfind(kSeparator);
  if (separator == std::string::npos) {
    ScanEntry("", path);
  } else {
    ScanEntry(path.substr(0, separator + 1), path.substr(separator + 1));
  }
}

void TVirusWalk::ScanEntry(const std::string& folder, const std::string& name) {
  Hooks_.ShowStatus(kScanningFile + (folder.empty() ? folder : DisplayFolder(folder)) + name);
  const std::string path = folder.empty() ? name : WithSeparator(folder) + name;
  if (Options_.ScanArchives && IsArchiveName(name)) {
    ScanArchiveOnDisk(path);
    return;
  }
  TVirusInfo verdict;
  if (!ScanWithEngine(path, verdict)) {
    ReportNotFullyScanned(path, "the engine could not read it");
  } else if (verdict.Infected) {
    ReportInfection(path, {}, verdict.VirusName);
  }
}

// An archive is scanned by its members; its own bytes also go to the engine when it is no
// archive, or when anything in it could not be unpacked and nothing was found in what was: a
// payload that the extraction cannot reach may still show in them.
void TVirusWalk::ScanArchiveOnDisk(const std::string& path) {
  if (!TempFolderSwept_) {
    TempFolderSwept_ = true;
    const std::string temp = TempFolder();
    if (!temp.empty()) QrxPlatform::RemoveAbandonedScratchFolders(WithSeparator(temp));
  }
  const int threatsBefore = ThreatsFound_;
  TArchiveScan scan(*this, path);
  const bool isArchive = scan.Scan(path, 1);
  if (isArchive && scan.Complete()) return;
  // A find among its members has named the archive already.
  TVirusInfo verdict;
  const bool scanned = ThreatsFound_ > threatsBefore || ScanWithEngine(path, verdict);
  if (scanned && verdict.Infected) ReportInfection(path, {}, verdict.VirusName);
  if (isArchive) {
    ReportNotFullyScanned(path, scan.Reasons());
  } else if (!scanned) {
    ReportNotFullyScanned(path, "the engine could not read it");
  }
}

bool TVirusWalk::ScanWithEngine(const std::string& path, TVirusInfo& verdict) {
  verdict = {};
  return Hooks_.ScanFile(path, verdict);
}

void TVirusWalk::ReportInfection(const std::string& objectPath, const std::string& memberName,
                                 const std::string& virusName) {
  ++ThreatsFound_;
  TVirusFind find{objectPath, memberName, virusName, false};
  // An archive is deleted while it is still open, for its later members: a second deletion of
  // it must fail as the file is gone, though the system may only let it go once it is closed.
  if (Options_.AutoDelete && objectPath != Erased_) {
    find.Removed = QrxPlatform::RemoveFile(objectPath);
    if (find.Removed) Erased_ = objectPath;
  }
  Hooks_.ReportInfection(find);
}

void TVirusWalk::ReportNotFullyScanned(const std::string& path, const std::string& reason) {
  ++NotFullyScanned_;
  if (Hooks_.NotFullyScanned) Hooks_.NotFullyScanned(path, reason);
}

// A fresh folder "TN" + a number below 65000 in the folder for temporary files.
bool TVirusWalk::MakeScratchFolder(TScratchFolder& folder) {
  const std::string base = TempFolder();
  if (base.empty()) return false;  // the system names no folder for temporary files
  const std::string temp = WithSeparator(base);
  for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
    if (folder.Create(temp + "TN" + std::to_string(Random_() % kFolderNumbers))) return true;
  }
  return false;
}

std::string TVirusWalk::TempFolder() const {
  return Options_.TempFolder.empty() ? QrxPlatform::TempFolder() : Options_.TempFolder;
}

std::string TVirusWalk::DisplayFolder(const std::string& folder) {
  const std::string shown = WithSeparator(folder);
  // Counted in characters, not bytes: a name in another script is cut between two characters.
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < shown.size(); ++at)
    if ((static_cast<unsigned char>(shown[at]) & 0xC0) != 0x80) starts.push_back(at);
  const std::size_t count = starts.size();
  if (count <= 58) return shown;
  // The tail is cut by count: it may begin inside a folder name.
  const std::string head = shown.substr(0, starts[40]);
  const std::string tail = shown.substr(starts[count - 19], starts[count - 1] - starts[count - 19]);
  return head + kSeparator + "..." + kSeparator + tail + kSeparator;
}

bool TVirusWalk::IsArchiveName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.size() - dot != 4) return false;
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return extension == ".ZIP";
}
