#include "implode_encoder.h"

#include <algorithm>
#include <queue>

#include "testkit.h"

namespace QrxTest {
namespace {

constexpr unsigned kMaxCodeLength = 16;
constexpr unsigned kLengthCodes = 64;
constexpr unsigned kDistanceCodes = 64;
constexpr unsigned kExtraLengthCode = 63;
constexpr size_t kMaxChain = 64;

struct TToken {
  uint16_t Length;    // 0 for a literal
  uint16_t Distance;  // or the literal byte
};

// Depth of every leaf of a Huffman tree over `weights` (every weight at least 1).
std::vector<uint8_t> HuffmanDepths(const std::vector<uint64_t>& weights) {
  struct TNode {
    uint64_t Weight;
    int Index;
  };
  auto heavier = [](const TNode& a, const TNode& b) { return a.Weight > b.Weight; };
  std::priority_queue<TNode, std::vector<TNode>, decltype(heavier)> queue(heavier);
  std::vector<int> parent(weights.size() * 2, -1);
  for (size_t i = 0; i < weights.size(); ++i) queue.push({weights[i], static_cast<int>(i)});
  int next = static_cast<int>(weights.size());
  while (queue.size() > 1) {
    TNode a = queue.top();
    queue.pop();
    TNode b = queue.top();
    queue.pop();
    parent[a.Index] = parent[b.Index] = next;
    queue.push({a.Weight + b.Weight, next++});
  }
  std::vector<uint8_t> depths(weights.size());
  for (size_t i = 0; i < weights.size(); ++i) {
    unsigned depth = 0;
    for (int node = static_cast<int>(i); parent[node] >= 0; node = parent[node]) ++depth;
    depths[i] = static_cast<uint8_t>(std::min(depth, 255u));
  }
  return depths;
}

// Complete code lengths of at most 16 bits for every symbol, used or not.
std::vector<uint8_t> CodeLengths(std::vector<uint64_t> counts) {
  for (auto& count : counts) ++count;
  for (;;) {
    std::vector<uint8_t> depths = HuffmanDepths(counts);
    if (*std::max_element(depths.begin(), depths.end()) <= kMaxCodeLength) return depths;
    for (auto& count : counts) count = (count + 1) / 2;
  }
}

// Shannon-Fano code of one tree: the canonical code of its lengths, every bit inverted.
class TTreeCode {
public:
  explicit TTreeCode(std::vector<uint8_t> lengths) : Lengths(std::move(lengths)), Codes(Lengths.size()) {
    uint32_t next[kMaxCodeLength + 2] = {};
    uint32_t perLength[kMaxCodeLength + 1] = {};
    for (uint8_t length : Lengths) ++perLength[length];
    for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
      next[length + 1] = (next[length] + perLength[length]) << 1;
    }
    for (size_t symbol = 0; symbol < Lengths.size(); ++symbol) Codes[symbol] = next[Lengths[symbol]]++;
  }

  void Put(UnzipTestKit::TBitWriter& out, unsigned symbol) const {
    out.Code(~Codes[symbol], Lengths[symbol]);
  }

  const std::vector<uint8_t>& CodeLengthList() const { return Lengths; }

private:
  std::vector<uint8_t> Lengths;
  std::vector<uint32_t> Codes;
};

class TImploder {
public:
  TImploder(std::span<const uint8_t> data, const TImplodeOptions& options)
      : Options(options),
        DistanceLowBits(options.LargeDictionary ? 7 : 6),
        MinLength(options.LiteralTree ? 3 : 2),
        MaxLength(MinLength + kExtraLengthCode + 255),
        WindowSize(options.LargeDictionary ? 8192 : 4096) {
    // The dictionary starts as zeros standing before the data.
    History.assign(WindowSize, 0);
    History.insert(History.end(), data.begin(), data.end());
  }

  std::vector<uint8_t> Run() {
    Tokenize();
    std::vector<uint64_t> literals(256), lengths(kLengthCodes), distances(kDistanceCodes);
    for (const TToken& token : Tokens) {
      if (token.Length == 0) {
        ++literals[token.Distance];
      } else {
        ++lengths[LengthCode(token.Length)];
        ++distances[(token.Distance - 1u) >> DistanceLowBits];
      }
    }
    TTreeCode literalCode(CodeLengths(literals));
    TTreeCode lengthCode(CodeLengths(lengths));
    TTreeCode distanceCode(CodeLengths(distances));

    std::vector<uint8_t> stream;
    auto appendTree = [&](const TTreeCode& code) {
      std::vector<uint8_t> tree = EncodeTreeLengths(code.CodeLengthList());
      stream.insert(stream.end(), tree.begin(), tree.end());
    };
    if (Options.LiteralTree) appendTree(literalCode);
    appendTree(lengthCode);
    appendTree(distanceCode);

    UnzipTestKit::TBitWriter out;
    for (const TToken& token : Tokens) {
      if (token.Length == 0) {
        out.Bits(1, 1);
        if (Options.LiteralTree) literalCode.Put(out, token.Distance);
        else out.Bits(token.Distance, 8);
        continue;
      }
      unsigned distance = token.Distance - 1u;
      out.Bits(0, 1);
      out.Bits(distance, DistanceLowBits);
      distanceCode.Put(out, distance >> DistanceLowBits);
      unsigned code = LengthCode(token.Length);
      lengthCode.Put(out, code);
      if (code == kExtraLengthCode) out.Bits(token.Length - MinLength - kExtraLengthCode, 8);
    }
    stream.insert(stream.end(), out.Out.begin(), out.Out.end());
    return stream;
  }

private:
  unsigned LengthCode(unsigned length) const { return std::min(length - MinLength, kExtraLengthCode); }

  // Greedy parse over hash chains of three-byte (or two-byte) prefixes.
  void Tokenize() {
    std::vector<int32_t> head(1 << 16, -1), chain(History.size(), -1);
    auto hash = [&](size_t pos) {
      unsigned h = History[pos] | History[pos + 1] << 8;
      return MinLength == 3 && pos + 2 < History.size() ? (h * 31 + History[pos + 2]) & 0xFFFF : h;
    };
    auto insert = [&](size_t pos) {
      if (pos + MinLength > History.size()) return;
      unsigned h = hash(pos);
      chain[pos] = head[h];
      head[h] = static_cast<int32_t>(pos);
    };
    size_t start = Options.MatchBeforeStart ? 0 : WindowSize;
    for (size_t pos = start; pos < WindowSize; ++pos) insert(pos);
    size_t pos = WindowSize;
    while (pos < History.size()) {
      size_t bestLength = 0, bestDistance = 0;
      if (pos + MinLength <= History.size()) FindMatch(pos, head[hash(pos)], chain, bestLength, bestDistance);
      size_t step = 1;
      if (bestLength >= MinLength) {
        Tokens.push_back({static_cast<uint16_t>(bestLength), static_cast<uint16_t>(bestDistance)});
        step = bestLength;
      } else {
        Tokens.push_back({0, History[pos]});
      }
      for (size_t i = 0; i < step; ++i) insert(pos + i);
      pos += step;
    }
  }

  void FindMatch(size_t pos, int32_t candidate, const std::vector<int32_t>& chain, size_t& bestLength,
                 size_t& bestDistance) const {
    size_t limit = std::min<size_t>(MaxLength, History.size() - pos);
    for (size_t tries = 0; candidate >= 0 && tries < kMaxChain; ++tries, candidate = chain[candidate]) {
      size_t distance = pos - static_cast<size_t>(candidate);
      if (distance > WindowSize) break;
      size_t length = 0;
      while (length < limit && History[candidate + length] == History[pos + length]) ++length;
      if (length > bestLength) {
        bestLength = length;
        bestDistance = distance;
      }
    }
  }

  TImplodeOptions Options;
  unsigned DistanceLowBits;
  unsigned MinLength;
  unsigned MaxLength;
  size_t WindowSize;
  std::vector<uint8_t> History;
  std::vector<TToken> Tokens;
};

}  // namespace

std::vector<uint8_t> EncodeTreeLengths(std::span<const uint8_t> lengths) {
  std::vector<uint8_t> tree(1);
  for (size_t i = 0; i < lengths.size();) {
    size_t run = 1;
    while (run < 16 && i + run < lengths.size() && lengths[i + run] == lengths[i]) ++run;
    tree.push_back(static_cast<uint8_t>((run - 1) << 4 | (lengths[i] - 1)));
    i += run;
  }
  tree[0] = static_cast<uint8_t>(tree.size() - 2);
  return tree;
}

std::vector<uint8_t> ImplodeData(std::span<const uint8_t> data, const TImplodeOptions& options) {
  return TImploder(data, options).Run();
}

}  // namespace QrxTest
