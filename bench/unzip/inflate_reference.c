/* Decode-only reference: inflates every deflated member of a ZIP archive in memory with
 * zlib or libdeflate and computes its CRC-32, writing nothing. Usage:
 *   inflate_reference zlib|libdeflate archive.zip
 * Prints the bytes produced; exits 1 when a member fails to decode or check. */
#include <libdeflate.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

static uint32_t le16(const uint8_t* p) { return p[0] | p[1] << 8; }
static uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

static uint8_t* read_all(const char* path, size_t* size) {
  FILE* f = fopen(path, "rb");
  if (!f) return NULL;
  fseek(f, 0, SEEK_END);
  *size = (size_t)ftell(f);
  fseek(f, 0, SEEK_SET);
  uint8_t* data = malloc(*size);
  if (fread(data, 1, *size, f) != *size) exit(2);
  fclose(f);
  return data;
}

static int inflate_zlib(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_size) {
  z_stream s;
  memset(&s, 0, sizeof s);
  if (inflateInit2(&s, -15) != Z_OK) return 0;
  s.next_in = (Bytef*)in;
  s.avail_in = (uInt)in_size;
  s.next_out = out;
  s.avail_out = (uInt)out_size;
  int rc = inflate(&s, Z_FINISH);
  inflateEnd(&s);
  return rc == Z_STREAM_END && s.total_out == out_size;
}

static int inflate_libdeflate(struct libdeflate_decompressor* d, const uint8_t* in, size_t in_size, uint8_t* out,
                              size_t out_size) {
  return libdeflate_deflate_decompress(d, in, in_size, out, out_size, NULL) == LIBDEFLATE_SUCCESS;
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  int use_zlib = strcmp(argv[1], "zlib") == 0;
  size_t size;
  uint8_t* zip = read_all(argv[2], &size);
  if (!zip) return 2;
  size_t end = size - 22;
  while (le32(zip + end) != 0x06054B50) --end;
  size_t at = le32(zip + end + 16);
  struct libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  uint8_t* out = NULL;
  size_t out_capacity = 0;
  unsigned long long produced = 0;
  int failed = 0;
  while (le32(zip + at) == 0x02014B50) {
    uint32_t method = le16(zip + at + 10), crc = le32(zip + at + 16);
    size_t packed = le32(zip + at + 20), unpacked = le32(zip + at + 24), local = le32(zip + at + 42);
    if (unpacked > out_capacity) out = realloc(out, out_capacity = unpacked);
    const uint8_t* data = zip + local + 30 + le16(zip + local + 26) + le16(zip + local + 28);
    if (method == 8) {
      int ok = use_zlib ? inflate_zlib(data, packed, out, unpacked) : inflate_libdeflate(d, data, packed, out, unpacked);
      uint32_t check = use_zlib ? (uint32_t)crc32(0, out, (uInt)unpacked) : libdeflate_crc32(0, out, unpacked);
      if (!ok || check != crc) failed = 1;
      produced += unpacked;
    }
    at += 46 + le16(zip + at + 28) + le16(zip + at + 30) + le16(zip + at + 32);
  }
  printf("%llu\n", produced);
  libdeflate_free_decompressor(d);
  free(out);
  free(zip);
  return failed;
}
