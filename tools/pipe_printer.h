// A printer of Wine's own PostScript driver whose port is a shell command on
// the host ("|command", the job on its standard input), installed without
// any print daemon: the tests' printers and the PDF printer of scripts/run.sh.
#pragma once
#include <string>

// The host's path of a file or folder of the prefix; empty outside Wine.
std::string HostPath(const std::string& path);

bool WriteTextFile(const std::string& path, const std::string& text);

// Installs Wine's PostScript driver when the prefix lacks it (its generic PPD
// is written into |workFolder|), adds |printer| afresh with the port
// "|" + |command| and makes it the default printer.  Wine keeps the default
// printer as "name,winspool,port" in a MAX_PATH buffer: the command must be
// short and hold no comma.
bool InstallPipePrinter(const std::string& printer, const std::string& command, const std::string& workFolder);
