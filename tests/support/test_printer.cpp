#include "support/test_printer.h"

#include <winspool.h>

#include "support/temp_folder.h"

namespace {

constexpr wchar_t DRIVER[] = L"Wine PostScript Driver";
constexpr wchar_t PRINTER[] = L"Pelvanor Test Printer";
constexpr wchar_t FAILING_PRINTER[] = L"Pelvanor Failing Printer";
const wchar_t* const ENVIRONMENTS[] = {L"Windows x64", L"Windows NT x86"};
constexpr int PPD_RESOURCE = 1;  // the generic PPD inside winspool.drv
constexpr unsigned GDI_HANDLE_SPAN = 0x10000;

// Keeps the PostScript, makes a PDF of it and the PDF's text, page by page.
constexpr char JOB_SCRIPT[] =
    "cd \"$(dirname \"$0\")\" || exit 1\n"
    "tee printed.ps | ps2pdf - printed.pdf && pdftotext -layout printed.pdf printed.txt\n";

bool WriteText(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

std::string OutputFolder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "pelvanor-printer\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// The host's path of a file of the prefix, for the port's shell command.
std::string UnixPath(const std::string& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = convert ? convert(Widen(path).c_str()) : nullptr;
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool WriteGenericPpd(const std::string& path) {
  HMODULE spooler = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!spooler) return false;
  HRSRC found = FindResourceW(spooler, MAKEINTRESOURCEW(PPD_RESOURCE), L"PPDFILE");
  DWORD size = found ? SizeofResource(spooler, found) : 0;
  const char* data = found ? static_cast<const char*>(LockResource(LoadResource(spooler, found))) : nullptr;
  while (data && size > 0 && data[size - 1] == 0) --size;  // the resource is padded with NULs
  const bool ok = data && WriteText(path, std::string(data, size));
  FreeLibrary(spooler);
  return ok;
}

bool InstallDriver(const std::wstring& ppd) {
  for (const wchar_t* environment : ENVIRONMENTS) {
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(DRIVER);
    driver.pEnvironment = const_cast<wchar_t*>(environment);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY) &&
        GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED)
      return false;
  }
  return true;
}

void DeletePrinterNamed(const wchar_t* printer) {
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(const_cast<wchar_t*>(printer), &handle, &access)) return;
  DeletePrinter(handle);
  ClosePrinter(handle);
}

// Added again by every process: Wine lists a printer for the current user
// when it adds it or starts, and the tests' current user is a scratch key.
// "winprint" takes the RAW jobs Wine's driver makes; its own "wineps"
// processor rejects them and nothing is written.
bool InstallPrinter(const wchar_t* printer, const std::wstring& port, const std::string& folder) {
  DeletePrinterNamed(printer);
  if (!InstallDriver(Widen(folder + "generic.ppd"))) return false;
  PRINTER_INFO_2W info = {};
  info.pPrinterName = const_cast<wchar_t*>(printer);
  info.pPortName = const_cast<wchar_t*>(port.c_str());
  info.pDriverName = const_cast<wchar_t*>(DRIVER);
  info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!handle) return false;
  ClosePrinter(handle);
  return true;
}

}  // namespace

TestPrinter::TestPrinter(bool failing) : folder_(OutputFolder()) {
  for (const char* output : {"printed.ps", "printed.pdf", "printed.txt"}) DeleteFileA((folder_ + output).c_str());
  const std::string host = UnixPath(folder_);
  if (host.empty() || !WriteGenericPpd(folder_ + "generic.ppd")) return;
  // The port is a shell command with the job on its standard input.  Wine
  // keeps the default printer as "name,winspool,port" in a MAX_PATH buffer,
  // so the command stays short and runs a script beside the output.
  const std::string port = failing ? "|cat > /dev/null; exit 3" : "|sh '" + host + "job.sh'";
  if (!failing && !WriteText(folder_ + "job.sh", JOB_SCRIPT)) return;
  const wchar_t* printer = failing ? FAILING_PRINTER : PRINTER;
  installed_ = InstallPrinter(printer, Widen(port), folder_) && SetDefaultPrinterW(printer);
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
