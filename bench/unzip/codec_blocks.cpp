// Decodes raw packed members with the vendored libraries the way the extractor's bridge feeds
// them (input in blocks of one size, output into a window of another, flushed when full), so
// that the cost of the block sizes can be timed apart from the archive and the CRC. The
// output is dropped. Each pair of sizes decodes every member once per round, the pairs taking
// turns; prints per pair the median CPU seconds of the decoding alone (the files are read
// first) and the bytes decoded.
// Usage: codec_blocks <bzip2|lzma|xz|zstd> <rounds> <block/window,...> <raw member file>...
#include <bzlib.h>
#include <lzma.h>
#include <zstd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TSpan {
  const uint8_t* In;
  size_t InSize;
  uint8_t* Out;
  size_t OutSize;
};

// One library stream; Step decodes what it can of span and advances it, true at the end.
class TDecoder {
public:
  virtual ~TDecoder() = default;
  virtual bool Step(TSpan& span) = 0;
};

class TBzip2 final : public TDecoder {
public:
  TBzip2() { Ok(BZ2_bzDecompressInit(&Stream, 0, 0) == BZ_OK); }
  ~TBzip2() override { BZ2_bzDecompressEnd(&Stream); }
  bool Step(TSpan& span) override {
    Stream.next_in = const_cast<char*>(reinterpret_cast<const char*>(span.In));
    Stream.avail_in = static_cast<unsigned>(span.InSize);
    Stream.next_out = reinterpret_cast<char*>(span.Out);
    Stream.avail_out = static_cast<unsigned>(span.OutSize);
    const int status = BZ2_bzDecompress(&Stream);
    Ok(status == BZ_OK || status == BZ_STREAM_END);
    span = {reinterpret_cast<const uint8_t*>(Stream.next_in), Stream.avail_in,
            reinterpret_cast<uint8_t*>(Stream.next_out), Stream.avail_out};
    return status == BZ_STREAM_END;
  }
  static void Ok(bool ok) {
    if (!ok) std::exit(2);
  }

private:
  bz_stream Stream{};
};

class TLzma final : public TDecoder {
public:
  // .lzma files for method 14 (its raw stream behind the file's header), .xz for method 95.
  explicit TLzma(bool alone) {
    const lzma_ret ready = alone ? lzma_alone_decoder(&Stream, UINT64_MAX) : lzma_stream_decoder(&Stream, UINT64_MAX, 0);
    TBzip2::Ok(ready == LZMA_OK);
  }
  ~TLzma() override { lzma_end(&Stream); }
  bool Step(TSpan& span) override {
    Stream.next_in = span.In;
    Stream.avail_in = span.InSize;
    Stream.next_out = span.Out;
    Stream.avail_out = span.OutSize;
    const lzma_ret status = lzma_code(&Stream, LZMA_RUN);
    TBzip2::Ok(status == LZMA_OK || status == LZMA_STREAM_END || status == LZMA_BUF_ERROR);
    span = {Stream.next_in, Stream.avail_in, Stream.next_out, Stream.avail_out};
    return status == LZMA_STREAM_END;
  }

private:
  lzma_stream Stream = LZMA_STREAM_INIT;
};

class TZstd final : public TDecoder {
public:
  TZstd() : Stream(ZSTD_createDStream()) {}
  ~TZstd() override { ZSTD_freeDStream(Stream); }
  bool Step(TSpan& span) override {
    ZSTD_inBuffer in{span.In, span.InSize, 0};
    ZSTD_outBuffer out{span.Out, span.OutSize, 0};
    const size_t status = ZSTD_decompressStream(Stream, &out, &in);
    TBzip2::Ok(!ZSTD_isError(status));
    span = {span.In + in.pos, span.InSize - in.pos, span.Out + out.pos, span.OutSize - out.pos};
    return status == 0;
  }

private:
  ZSTD_DStream* const Stream;
};

std::unique_ptr<TDecoder> MakeDecoder(const std::string& kind) {
  if (kind == "bzip2") return std::make_unique<TBzip2>();
  if (kind == "lzma" || kind == "xz") return std::make_unique<TLzma>(kind == "lzma");
  if (kind == "zstd") return std::make_unique<TZstd>();
  std::exit(2);
}

// Decodes one member as the bridge does; returns the bytes given.
size_t DecodeMember(TDecoder& decoder, const std::vector<uint8_t>& packed, size_t block, std::vector<uint8_t>& window) {
  size_t next = 0, filled = 0, total = 0;
  TSpan span{packed.data(), 0, window.data(), window.size()};
  for (;;) {
    if (span.InSize == 0 && next < packed.size()) {
      span.In = packed.data() + next;
      span.InSize = std::min(block, packed.size() - next);
      next += span.InSize;
    }
    const bool ended = decoder.Step(span);
    filled = window.size() - span.OutSize;
    if (ended || filled == window.size()) {
      total += filled;
      span.Out = window.data();
      span.OutSize = window.size();
    }
    if (ended) return total;
  }
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct TSizes {
  size_t Block;
  size_t Window;
  std::vector<double> Seconds;
};

// "4096/32768,65536/262144": input block and output window pairs.
std::vector<TSizes> ParseSizes(const char* text) {
  std::vector<TSizes> sizes;
  for (char* at = const_cast<char*>(text); *at != '\0';) {
    const size_t block = std::strtoul(at, &at, 0);
    const size_t window = std::strtoul(at + 1, &at, 0);
    sizes.push_back({block, window, {}});
    if (*at == ',') ++at;
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return 2;
  const int rounds = std::atoi(argv[2]);
  std::vector<TSizes> sizes = ParseSizes(argv[3]);
  std::vector<std::vector<uint8_t>> members;
  for (int i = 4; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary | std::ios::ate);
    members.emplace_back(static_cast<size_t>(file.tellg()));
    file.seekg(0).read(reinterpret_cast<char*>(members.back().data()), static_cast<std::streamsize>(members.back().size()));
  }
  // Rounds over all the sizes in turn, so that a change of the machine's load falls on all.
  size_t total = 0;
  for (int round = 0; round < rounds; ++round) {
    for (TSizes& each : sizes) {
      std::vector<uint8_t> window(each.Window);
      const double start = CpuSeconds();
      total = 0;
      for (const auto& packed : members) total += DecodeMember(*MakeDecoder(argv[1]), packed, each.Block, window);
      each.Seconds.push_back(CpuSeconds() - start);
    }
  }
  for (TSizes& each : sizes) {
    std::sort(each.Seconds.begin(), each.Seconds.end());
    std::printf("%zu/%zu %.4f %zu\n", each.Block, each.Window, each.Seconds[each.Seconds.size() / 2], total);
  }
  return 0;
}
