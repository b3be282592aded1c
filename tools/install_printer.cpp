// install_printer NAME COMMAND: adds a printer whose jobs go, as PostScript,
// to the shell command COMMAND on the host, and makes it the default printer.
// scripts/run.sh installs its PDF printer with it.
#include <windows.h>

#include <cstdio>
#include <string>

#include "pipe_printer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: install_printer NAME COMMAND\n");
    return 2;
  }
  char temp[MAX_PATH];
  if (!GetTempPathA(sizeof temp, temp)) return 1;
  if (InstallPipePrinter(argv[1], argv[2], temp)) return 0;
  std::fprintf(stderr, "cannot install the printer %s\n", argv[1]);
  return 1;
}
