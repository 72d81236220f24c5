/* TN_SSCAN.DLL, the scanning engine: its two exports, their records and their codes.
 *
 * initscan(table, count)
 *   Primes the engine with `count` packed 321-byte signature records starting at `table`
 *   (layout below). The engine copies what it needs: the table may change or go afterwards.
 *   A later call replaces the signatures. Records beyond the 37999th are not read: the
 *   program's table never holds more. Signatures whose pattern cannot be matched sensibly
 *   (empty, a unit that means nothing, no piece with two exact bytes) are left out.
 *   The pattern language is described in PATTERNS.md beside this header.
 *   Returns TN_INIT_OK, or TN_INIT_BAD_ARGUMENT (count below 0, or no table for a count above 0),
 *   or TN_INIT_INTERNAL_ERROR (out of memory). A count of 0 is a valid empty set: every file
 *   is then clean. After a failure the engine is not initialised.
 *
 * scanfile(path, result)
 *   Scans the file at `path` (NUL-terminated, single-byte Windows text) and fills `result`.
 *   0 and 1 mean the file was scanned; every other code means it was not.
 *   When several signatures occur in the file, the one whose occurrence ends first wins, ties
 *   going to the lower slot. Empty files are clean.
 */
#ifndef QRX_TN_SSCAN_H
#define QRX_TN_SSCAN_H

#include <stdint.h>

#ifdef _WIN32
#define TN_SSCAN_CALL __stdcall
#else
#define TN_SSCAN_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Codes of initscan. */
#define TN_INIT_OK 0
#define TN_INIT_BAD_ARGUMENT 3
#define TN_INIT_INTERNAL_ERROR 6

/* Codes of scanfile. */
#define TN_SCAN_CLEAN 0            /* scanned, no signature occurs */
#define TN_SCAN_INFECTED 1         /* scanned, result->FoundName names the signature */
#define TN_SCAN_NOT_INITIALISED 2  /* initscan was never called or failed */
#define TN_SCAN_BAD_ARGUMENT 3     /* path or result missing, or an empty path */
#define TN_SCAN_CANNOT_OPEN 4      /* missing, access denied, a folder or a device */
#define TN_SCAN_READ_ERROR 5       /* opened, but a read failed before the verdict */
#define TN_SCAN_INTERNAL_ERROR 6   /* out of memory */

#pragma pack(push, 1)
/* One signature, 321 bytes. Counted texts: a length byte, then the characters; a length
 * above the capacity is read as the capacity. */
typedef struct TSignatureEntry {
  uint8_t NameLength;
  char Name[64];
  uint8_t PatternLength;
  char Pattern[254];
  uint8_t PairCount; /* pattern length / 2; the engine reads the length itself */
} TSignatureEntry;

/* The verdict on one file, 66 bytes. For codes 0 and 1 the engine writes both fields:
 * Found 1 with the signature's name, or Found 0 with an empty name. */
typedef struct TScanFileResult {
  uint8_t Found;
  uint8_t FoundNameLength;
  char FoundName[64];
} TScanFileResult;
#pragma pack(pop)

int32_t TN_SSCAN_CALL initscan(const void* table, int32_t count);
int32_t TN_SSCAN_CALL scanfile(const char* path, TScanFileResult* result);

#ifdef __cplusplus
}
static_assert(sizeof(TSignatureEntry) == 321, "TSignatureEntry is 321 packed bytes");
static_assert(sizeof(TScanFileResult) == 66, "TScanFileResult is 66 packed bytes");
#endif

#endif
