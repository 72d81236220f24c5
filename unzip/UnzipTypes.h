// The extractor's report record, report kinds and result codes, shared by the
// component (TBriskUnzip), the directory reader and the member engine.
#pragma once

#include <cstdint>

// Report kinds, as they stand in TUnzipReport::Status.
inline constexpr int32_t UZ_REPORT_MEMBER_START = -1000;
inline constexpr int32_t UZ_REPORT_PROGRESS = -1001;
inline constexpr int32_t UZ_REPORT_MEMBER_DONE = -1002;
inline constexpr int32_t UZ_REPORT_MEMBER_ERROR = -1003;
inline constexpr int32_t UZ_REPORT_ARCHIVE_START = -1004;
inline constexpr int32_t UZ_REPORT_ARCHIVE_END = -1005;
// Code argument of the one report sent when a member fails fatally; Status then holds the result.
inline constexpr int32_t UZ_FATAL_REPORT = -100;

// Result codes of the component and the engine.
inline constexpr int32_t UZ_OK = 0;
inline constexpr int32_t UZ_CRC_MISMATCH = -1;
inline constexpr int32_t UZ_WRITE_ERROR = -2;
inline constexpr int32_t UZ_READ_ERROR = -3;
inline constexpr int32_t UZ_BAD_DATA = -4;
inline constexpr int32_t UZ_ABORTED = -5;
inline constexpr int32_t UZ_UNSUPPORTED = -6;
inline constexpr int32_t UZ_ENCRYPTED = -7;
inline constexpr int32_t UZ_BUSY = -8;
inline constexpr int32_t UZ_NO_DIRECTORY = -9;
inline constexpr int32_t UZ_END_OF_DIRECTORY = -10;
inline constexpr int32_t UZ_ARCHIVE_IO = -11;
inline constexpr int32_t UZ_NOT_ARCHIVE = -12;
inline constexpr int32_t UZ_OPEN_FAILED = -14;
// Members whose data overlap each other's or the directory (an overlap bomb): fatal.
inline constexpr int32_t UZ_OVERLAPPING_MEMBERS = -15;
inline constexpr int32_t UZ_MISSING_ARGUMENT = -500;
// Inflate only: a repeat in a dynamic block header ran past the declared code lengths.
inline constexpr int32_t UZ_INFLATE_REPEAT_OVERRUN = 1;

inline constexpr int UZ_NAME_CAPACITY = 260;  // 259 characters and the NUL
inline constexpr int UZ_PATH_MAX = 255;       // longest output path the engine writes

// The one report record; the engine fills it before each report and reuses it.
struct TUnzipReport {
  char FileName[UZ_NAME_CAPACITY];
  uint32_t DateTime;  // MS-DOS time in the low 16 bits, date in the high 16 bits
  int64_t UnpackedSize;
  int64_t PackedSize;
  int32_t Attributes;
  uint16_t Method;
  int8_t Ratio;
  int32_t Status;
  bool IsFolder;
  bool IsEncrypted;  // the member's data is encrypted (general-purpose bit 0)
};

using TUnzipReportHandler = void (*)(int32_t code, TUnzipReport* report);
using TUnzipOverwriteQuery = bool (*)(TUnzipReport* report);

// Percentage saved by packing, computed in 32 bits as the report record carries it.
int8_t UnzipRatio(int64_t packedSize, int64_t unpackedSize);
