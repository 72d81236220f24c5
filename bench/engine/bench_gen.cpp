// Deterministic inputs for the engine benchmark: a signature set in the three tools' formats
// and a corpus of real files from this machine with planted occurrences.
//
//   qrx_bench_gen [--executables] OUT_DIR CORPUS_BYTES SIGNATURES SEED SOURCE_FOLDER...
//
// Writes OUT_DIR/sigs.txt (qrxscan: name, tab, pattern), sigs.yar, sigs.ndb, corpus/ and
// planted.txt (one line per planted file: path, tab, signature name).
//
// By default signature bytes are drawn from the byte frequencies of the source files and the
// corpus is the files themselves. With --executables both come from the ELF and PE files among
// the sources, as real signatures come from real programs: each signature is a window of an
// executable with a few interior bytes changed, and the corpus is cut from executables (many
// files of 1-64 KiB and some of 1-50 MiB), 3% of the files holding a planted occurrence.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One unit of a generated signature: an exact byte, a wildcard byte or a gap.
struct Unit {
  enum Kind { Exact, Any, HighNibble, LowNibble, Gap } kind;
  std::uint8_t value;
};

struct Signature {
  std::string name;
  std::vector<Unit> units;
};

constexpr std::uint64_t kMaxFile = 32u << 20;

bool startsWith(const fs::path& path, std::initializer_list<const char*> magics) {
  std::ifstream in(path, std::ios::binary);
  char m[4] = {};
  in.read(m, 4);
  return std::any_of(magics.begin(), magics.end(),
                     [&](const char* magic) { return std::memcmp(m, magic, std::strlen(magic)) == 0; });
}

bool isExecutable(const fs::path& path) { return startsWith(path, {"\x7F" "ELF", "MZ"}); }

bool compressed(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char m[6] = {};
  in.read(reinterpret_cast<char*>(m), 6);
  return (m[0] == 0x1F && m[1] == 0x8B) || (m[0] == 'P' && m[1] == 'K') || (m[0] == 0xFD && m[1] == '7') ||
         (m[0] == 'B' && m[1] == 'Z' && m[2] == 'h') || (m[0] == 0x28 && m[1] == 0xB5 && m[2] == 0x2F);
}

std::vector<fs::path> candidateFiles(const std::vector<std::string>& sources) {
  std::vector<fs::path> files;
  for (const std::string& source : sources) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(source, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      std::error_code e;
      if (it->is_symlink(e) || !it->is_regular_file(e)) continue;
      const auto size = it->file_size(e);
      if (!e && size > 0 && size <= kMaxFile) files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Byte frequencies of real binaries, so that signatures look like code and data.
std::array<double, 256> byteHistogram(const std::vector<fs::path>& files) {
  std::array<double, 256> counts{};
  counts.fill(1);
  for (std::size_t i = 0; i < files.size(); i += std::max<std::size_t>(1, files.size() / 200)) {
    std::ifstream in(files[i], std::ios::binary);
    std::vector<char> buf(1 << 16);
    in.read(buf.data(), static_cast<std::streamsize>(buf.size()));
    for (std::streamsize k = 0; k < in.gcount(); ++k) counts[static_cast<unsigned char>(buf[static_cast<std::size_t>(k)])] += 1;
  }
  return counts;
}

void addWildcards(Signature& sig, std::mt19937_64& rng);

Signature makeSignature(std::size_t slot, std::mt19937_64& rng, std::discrete_distribution<int>& byteDist) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  Signature sig;
  sig.name = "QrxBench_" + std::to_string(slot + 1);
  const int length = pick(16, 120);
  int run = 0;
  for (int i = 0; i < length; ++i) {
    std::uint8_t b;
    do b = static_cast<std::uint8_t>(byteDist(rng));
    while (i > 0 && b == sig.units.back().value && run >= 2);  // no long fills: they occur everywhere
    run = (i > 0 && b == sig.units.back().value) ? run + 1 : 0;
    sig.units.push_back({Unit::Exact, b});
  }
  addWildcards(sig, rng);
  return sig;
}

// 60% stay plain, 25% get "??", 10% nibble wildcards, 5% one gap.
void addWildcards(Signature& sig, std::mt19937_64& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int length = static_cast<int>(sig.units.size());
  const int kind = pick(0, 99);
  auto interior = [&] { return static_cast<std::size_t>(pick(4, length - 5)); };
  if (kind >= 60 && kind < 85) {
    for (int n = pick(1, 4); n > 0; --n) sig.units[interior()].kind = Unit::Any;
  } else if (kind >= 85 && kind < 95) {
    for (int n = pick(1, 3); n > 0; --n) sig.units[interior()].kind = pick(0, 1) ? Unit::HighNibble : Unit::LowNibble;
  } else if (kind >= 95) {
    const auto at = static_cast<std::size_t>(pick(8, length - 8));
    sig.units.insert(sig.units.begin() + static_cast<std::ptrdiff_t>(at), Unit{Unit::Gap, 0});
  }
}

std::string hex2(std::uint8_t b) {
  static const char* d = "0123456789ABCDEF";
  return {d[b >> 4], d[b & 15]};
}

// The same units in each tool's syntax.
std::string render(const Signature& sig, const char* gap, const char* sep, bool lower) {
  std::string out;
  for (const Unit& u : sig.units) {
    if (!out.empty()) out += sep;
    std::string h = hex2(u.value);
    switch (u.kind) {
      case Unit::Exact: out += h; break;
      case Unit::Any: out += "??"; break;
      case Unit::HighNibble: out += std::string{h[0], '?'}; break;
      case Unit::LowNibble: out += std::string{'?', h[1]}; break;
      case Unit::Gap: out += gap; break;
    }
  }
  if (lower) std::transform(out.begin(), out.end(), out.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

void writeSignatures(const fs::path& dir, const std::vector<Signature>& sigs) {
  std::ofstream txt(dir / "sigs.txt"), yar(dir / "sigs.yar"), ndb(dir / "sigs.ndb");
  for (const Signature& sig : sigs) {
    txt << sig.name << '\t' << render(sig, "::", "", false) << '\n';
    yar << "rule " << sig.name << " { strings: $a = { " << render(sig, "[-]", " ", false) << " } condition: $a }\n";
    ndb << sig.name << ":0:*:" << render(sig, "*", "", true) << '\n';
  }
}

// Overwrites bytes of `data` at `at` with one occurrence of the signature (a few random
// bytes in its gap), growing the data where it must.
void plant(const Signature& sig, std::vector<char>& data, std::size_t at, std::mt19937_64& rng) {
  std::vector<char> bytes;
  for (const Unit& u : sig.units) {
    const auto noise = static_cast<std::uint8_t>(rng());
    switch (u.kind) {
      case Unit::Exact: bytes.push_back(static_cast<char>(u.value)); break;
      case Unit::Any: bytes.push_back(static_cast<char>(noise)); break;
      case Unit::HighNibble: bytes.push_back(static_cast<char>((u.value & 0xF0) | (noise & 0x0F))); break;
      case Unit::LowNibble: bytes.push_back(static_cast<char>((noise & 0xF0) | (u.value & 0x0F))); break;
      case Unit::Gap:
        for (int n = static_cast<int>(rng() % 64); n > 0; --n) bytes.push_back(static_cast<char>(rng()));
        break;
    }
  }
  at = std::min(at, data.size());
  if (data.size() < at + bytes.size()) data.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
}

// ---- Signatures and corpus cut from executables. ----

struct Executables {
  std::vector<fs::path> files;
  std::vector<std::uint64_t> sizes;
  std::discrete_distribution<std::size_t> bySize;  // big files get picked more often

  explicit Executables(const std::vector<fs::path>& candidates) {
    for (const fs::path& path : candidates) {
      std::error_code ec;
      const auto size = fs::file_size(path, ec);
      if (!ec && size >= 4096 && isExecutable(path)) {
        files.push_back(path);
        sizes.push_back(size);
      }
    }
    bySize = std::discrete_distribution<std::size_t>(sizes.begin(), sizes.end());
  }

  // Up to `length` bytes of a random executable from a random offset.
  std::vector<char> slice(std::mt19937_64& rng, std::size_t length) {
    const std::size_t file = bySize(rng);
    const std::uint64_t size = sizes[file];
    const std::uint64_t at = size > length ? rng() % (size - length) : 0;
    std::vector<char> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, size)));
    std::ifstream in(files[file], std::ios::binary);
    in.seekg(static_cast<std::streamoff>(at));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
  }
};

// A window worth a signature: no long fill and some variety, as an analyst would pick.
bool usableWindow(const std::vector<char>& w) {
  std::array<bool, 256> seen{};
  int distinct = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (i >= 3 && w[i] == w[i - 1] && w[i] == w[i - 2] && w[i] == w[i - 3]) return false;
    const auto b = static_cast<unsigned char>(w[i]);
    distinct += !seen[b];
    seen[b] = true;
  }
  return distinct * 3 >= static_cast<int>(w.size());
}

Signature cutSignature(std::size_t slot, Executables& exes, std::mt19937_64& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const auto length = static_cast<std::size_t>(pick(16, 120));
  std::vector<char> window;
  do window = exes.slice(rng, length);
  while (window.size() != length || !usableWindow(window));
  Signature sig;
  sig.name = "QrxBench_" + std::to_string(slot + 1);
  for (char c : window) sig.units.push_back({Unit::Exact, static_cast<std::uint8_t>(c)});
  addWildcards(sig, rng);
  // A few changed exact bytes, so that the signature is not simply found in its source file.
  for (int n = pick(1, 3); n > 0;) {
    Unit& u = sig.units[static_cast<std::size_t>(pick(4, static_cast<int>(sig.units.size()) - 5))];
    if (u.kind != Unit::Exact) continue;
    u.value = static_cast<std::uint8_t>(u.value + pick(1, 255));
    --n;
  }
  return sig;
}

// Writes the corpus: about 30% of the bytes in files of 1-64 KiB, the rest in files of
// 1-50 MiB (sizes spread evenly on a log scale), each made of slices of executables.
// Returns the number of files.
std::size_t cutCorpus(const fs::path& out, std::uint64_t budget, Executables& exes, const std::vector<Signature>& sigs,
                      std::mt19937_64& rng, std::ofstream& planted, std::uint64_t& total) {
  const std::uint64_t smallBudget = budget * 3 / 10;
  std::size_t index = 0;
  while (total < budget) {
    const bool small = total < smallBudget;
    const double megabytes = std::exp(std::uniform_real_distribution<double>(0, std::log(50.0))(rng));
    const auto size = small ? static_cast<std::size_t>(std::uniform_int_distribution<int>(1024, 65536)(rng))
                            : static_cast<std::size_t>(megabytes * (1 << 20));
    std::vector<char> data;
    while (data.size() < size) {
      const std::vector<char> part = exes.slice(rng, std::min<std::size_t>(size - data.size(), 4u << 20));
      data.insert(data.end(), part.begin(), part.end());
    }
    const fs::path target = out / "corpus" / std::to_string(index / 1000) / (std::to_string(index) + ".bin");
    fs::create_directories(target.parent_path());
    if (rng() % 100 < 3) {
      const Signature& sig = sigs[rng() % sigs.size()];
      plant(sig, data, rng() % data.size(), rng);
      planted << target.string() << '\t' << sig.name << '\n';
    }
    std::ofstream(target, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    total += data.size();
    ++index;
  }
  return index;
}

// Writes the corpus as copies of the source files (compressed ones left out), one in 97 with a
// planted occurrence. Returns the number of files.
std::size_t copyCorpus(const fs::path& out, std::uint64_t budget, std::vector<fs::path> files,
                       const std::vector<Signature>& sigs, std::mt19937_64& rng, std::ofstream& planted,
                       std::uint64_t& total) {
  std::shuffle(files.begin(), files.end(), rng);
  std::size_t index = 0;
  for (const fs::path& source : files) {
    if (total >= budget) break;
    if (compressed(source)) continue;
    std::ifstream in(source, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const fs::path target = out / "corpus" / std::to_string(index / 1000) /
                            (std::to_string(index) + "_" + source.filename().string());
    fs::create_directories(target.parent_path());
    if (index % 97 == 0) {
      const Signature& sig = sigs[rng() % sigs.size()];
      plant(sig, data, data.empty() ? 0 : rng() % data.size(), rng);
      planted << target.string() << '\t' << sig.name << '\n';
    }
    std::ofstream(target, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    total += data.size();
    ++index;
  }
  return index;
}

}  // namespace

int main(int argc, char** argv) {
  const bool fromExecutables = argc > 1 && std::strcmp(argv[1], "--executables") == 0;
  if (fromExecutables) {
    --argc;
    ++argv;
  }
  if (argc < 6) {
    std::fprintf(stderr, "usage: qrx_bench_gen [--executables] OUT_DIR CORPUS_BYTES SIGNATURES SEED SOURCE_FOLDER...\n");
    return 2;
  }
  const fs::path out = argv[1];
  const std::uint64_t corpusBytes = std::strtoull(argv[2], nullptr, 10);
  const std::size_t sigCount = std::strtoul(argv[3], nullptr, 10);
  std::mt19937_64 rng(std::strtoull(argv[4], nullptr, 10));
  const std::vector<std::string> sources(argv + 5, argv + argc);

  const std::vector<fs::path> files = candidateFiles(sources);
  std::optional<Executables> exes;
  if (fromExecutables) exes.emplace(files);
  if (files.empty() || (exes && exes->files.empty())) {
    std::fprintf(stderr, "qrx_bench_gen: no source files\n");
    return 2;
  }
  std::vector<Signature> sigs;
  if (exes) {
    for (std::size_t slot = 0; slot < sigCount; ++slot) sigs.push_back(cutSignature(slot, *exes, rng));
  } else {
    const auto histogram = byteHistogram(files);
    std::discrete_distribution<int> byteDist(histogram.begin(), histogram.end());
    for (std::size_t slot = 0; slot < sigCount; ++slot) sigs.push_back(makeSignature(slot, rng, byteDist));
  }
  fs::create_directories(out / "corpus");
  writeSignatures(out, sigs);

  std::ofstream planted(out / "planted.txt");
  std::uint64_t total = 0;
  const std::size_t count = exes ? cutCorpus(out, corpusBytes, *exes, sigs, rng, planted, total)
                                 : copyCorpus(out, corpusBytes, files, sigs, rng, planted, total);
  std::printf("%zu signatures, %zu files, %llu bytes\n", sigs.size(), count, static_cast<unsigned long long>(total));
  return 0;
}
