#include "support/test_printer.h"

#include "pipe_printer.h"
#include "support/temp_folder.h"

namespace {

constexpr char PRINTER[] = "Pelvanor Test Printer";
constexpr char FAILING_PRINTER[] = "Pelvanor Failing Printer";
constexpr unsigned GDI_HANDLE_SPAN = 0x10000;

// Keeps the PostScript, makes a PDF of it and the PDF's text, page by page.
constexpr char JOB_SCRIPT[] =
    "cd \"$(dirname \"$0\")\" || exit 1\n"
    "tee printed.ps | ps2pdf - printed.pdf && pdftotext -layout printed.pdf printed.txt\n";

std::string OutputFolder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "pelvanor-printer\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

TestPrinter::TestPrinter(bool failing) : folder_(OutputFolder()) {
  for (const char* output : {"printed.ps", "printed.pdf", "printed.txt"}) DeleteFileA((folder_ + output).c_str());
  const std::string host = HostPath(folder_);
  if (host.empty()) return;
  if (failing) {
    installed_ = InstallPipePrinter(FAILING_PRINTER, "cat > /dev/null; exit 3", folder_);
    return;
  }
  // The port's command stays short: it runs a script beside the output.
  installed_ =
      WriteTextFile(folder_ + "job.sh", JOB_SCRIPT) && InstallPipePrinter(PRINTER, "sh '" + host + "job.sh'", folder_);
}

std::string TestPrinter::PrintedText() const {
  const std::string utf8 = ReadFileBytes(folder_ + "printed.txt");
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  std::string text(wide.size() * 2, '\0');
  const int size =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &text[0], static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(size > 0 ? size : 0);
  return text;
}

int LiveGdiObjects() {
  int live = 0;
  for (unsigned index = 0; index < GDI_HANDLE_SPAN; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(index)))) ++live;
  return live;
}
