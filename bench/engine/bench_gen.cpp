// Deterministic inputs for the engine benchmark: a signature set in the three tools' formats
// and a corpus of real files from this machine with planted occurrences.
//
//   qrx_bench_gen OUT_DIR CORPUS_BYTES SIGNATURES SEED SOURCE_FOLDER...
//
// Writes OUT_DIR/sigs.txt (qrxscan: name, tab, pattern), sigs.yar, sigs.ndb, corpus/ and
// planted.txt (one line per planted file: path, tab, signature name).
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
  const int kind = pick(0, 99);  // 60% plain, 25% "??", 10% nibbles, 5% one gap
  auto interior = [&] { return static_cast<std::size_t>(pick(4, length - 5)); };
  if (kind >= 60 && kind < 85) {
    for (int n = pick(1, 4); n > 0; --n) sig.units[interior()].kind = Unit::Any;
  } else if (kind >= 85 && kind < 95) {
    for (int n = pick(1, 3); n > 0; --n) sig.units[interior()].kind = pick(0, 1) ? Unit::HighNibble : Unit::LowNibble;
  } else if (kind >= 95) {
    const auto at = static_cast<std::size_t>(pick(8, length - 8));
    sig.units.insert(sig.units.begin() + static_cast<std::ptrdiff_t>(at), Unit{Unit::Gap, 0});
  }
  return sig;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: qrx_bench_gen OUT_DIR CORPUS_BYTES SIGNATURES SEED SOURCE_FOLDER...\n");
    return 2;
  }
  const fs::path out = argv[1];
  const std::uint64_t corpusBytes = std::strtoull(argv[2], nullptr, 10);
  const std::size_t sigCount = std::strtoul(argv[3], nullptr, 10);
  std::mt19937_64 rng(std::strtoull(argv[4], nullptr, 10));
  const std::vector<std::string> sources(argv + 5, argv + argc);

  std::vector<fs::path> files = candidateFiles(sources);
  if (files.empty()) {
    std::fprintf(stderr, "qrx_bench_gen: no source files\n");
    return 2;
  }
  const auto histogram = byteHistogram(files);
  std::discrete_distribution<int> byteDist(histogram.begin(), histogram.end());
  std::vector<Signature> sigs;
  for (std::size_t slot = 0; slot < sigCount; ++slot) sigs.push_back(makeSignature(slot, rng, byteDist));
  fs::create_directories(out / "corpus");
  writeSignatures(out, sigs);

  std::shuffle(files.begin(), files.end(), rng);
  std::ofstream planted(out / "planted.txt");
  std::uint64_t total = 0;
  std::size_t index = 0;
  for (const fs::path& source : files) {
    if (total >= corpusBytes) break;
    if (compressed(source)) continue;
    std::ifstream in(source, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const fs::path target = out / "corpus" / std::to_string(index / 1000) /
                            (std::to_string(index) + "_" + source.filename().string());
    fs::create_directories(target.parent_path());
    if (index % 97 == 0) {  // about 1% of the files carry a signature
      const Signature& sig = sigs[rng() % sigs.size()];
      plant(sig, data, data.empty() ? 0 : rng() % data.size(), rng);
      planted << target.string() << '\t' << sig.name << '\n';
    }
    std::ofstream(target, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    total += data.size();
    ++index;
  }
  std::printf("%zu signatures, %zu files, %llu bytes\n", sigs.size(), index, static_cast<unsigned long long>(total));
  return 0;
}
