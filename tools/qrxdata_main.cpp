#include <cstdio>

#include "qrx_console.h"
#include "qrxdata.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // A dump is the same bytes on every system: no CR added before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  TConsoleStream out(stdout);
  TConsoleStream err(stderr);
  return QrxDataMain(ProgramArguments(argc, argv), out, err);
}
