#pragma once
// The scrambling keys of the data files. The program's loaders and the qrxdata tool that
// writes the files both take them from here, so a file written by one build is read by it.
#include <cstdint>

// QRX_SIG.DAT and QRX_SIG2.DAT: every text byte is stored XOR this key.
inline constexpr std::uint8_t SignatureKey = 0xC3;

// qrx_bhotb.dat: every text byte is stored as (plain + this shift) modulo 256.
inline constexpr std::uint8_t BhoShift = 0x4D;
