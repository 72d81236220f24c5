#pragma once
// qrxdata: compiles, dumps and checks the program's data files.
//
//   qrxdata build-sigs SOURCE OUTPUT        a signature source into QRX_SIG.DAT or QRX_SIG2.DAT
//   qrxdata build-bho SOURCE OUTPUT         a database source into qrx_bhotb.dat
//   qrxdata dump [--sigs|--bho] FILE [OUTPUT]
//   qrxdata check [--sigs|--bho] FILE...
//
// Exit status: 0 done, 1 problems found in the input (each named by file and line or record,
// nothing written), 2 bad usage or a file that cannot be read or written.
#include <ostream>
#include <string>
#include <vector>

int QrxDataMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
