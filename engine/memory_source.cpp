#include <algorithm>
#include <cstring>

#include "byte_source.h"

namespace qrx::engine {

std::ptrdiff_t MemorySource::read(std::uint8_t* out, std::size_t size) {
  const std::size_t n = std::min({size, size_ - done_, maxRead_});
  if (n > 0) std::memcpy(out, data_ + done_, n);
  done_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

}  // namespace qrx::engine
