#include "pipe_printer.h"

#include <windows.h>
#include <winspool.h>

namespace {

constexpr wchar_t DRIVER[] = L"Wine PostScript Driver";
// 64-bit and 32-bit programs share the prefix; each finds the driver under its own name.
const wchar_t* const ENVIRONMENTS[] = {L"Windows x64", L"Windows NT x86"};
constexpr int PPD_RESOURCE = 1;  // the generic PPD inside winspool.drv

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                         static_cast<int>(wide.size()));
  wide.resize(length > 0 ? length : 0);
  return wide;
}

bool WriteGenericPpd(const std::string& path) {
  HMODULE spooler = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!spooler) return false;
  HRSRC found = FindResourceW(spooler, MAKEINTRESOURCEW(PPD_RESOURCE), L"PPDFILE");
  DWORD size = found ? SizeofResource(spooler, found) : 0;
  const char* data = found ? static_cast<const char*>(LockResource(LoadResource(spooler, found))) : nullptr;
  while (data && size > 0 && data[size - 1] == 0) --size;  // the resource is padded with NULs
  const bool ok = data && WriteTextFile(path, std::string(data, size));
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

void DeletePrinterNamed(const std::wstring& printer) {
  HANDLE handle = nullptr;
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle, &access)) return;
  DeletePrinter(handle);
  ClosePrinter(handle);
}

}  // namespace

std::string HostPath(const std::string& path) {
  using Convert = char*(CDECL*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* host = convert ? convert(Wide(path).c_str()) : nullptr;
  if (!host) return std::string();
  std::string result = host;
  HeapFree(GetProcessHeap(), 0, host);
  return result;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == text.size();
}

// The printer is added again each time: Wine lists a printer for the current
// user only when it adds it or starts, and a test's current user is a scratch
// key.  "winprint" takes the RAW jobs Wine's driver makes; the driver's own
// "wineps" processor rejects them and nothing is written.
bool InstallPipePrinter(const std::string& printer, const std::string& command, const std::string& workFolder) {
  const std::wstring name = Wide(printer);
  const std::wstring port = Wide("|" + command);
  const std::string ppd = workFolder + "generic.ppd";
  DeletePrinterNamed(name);
  if (!WriteGenericPpd(ppd) || !InstallDriver(Wide(ppd))) return false;
  PRINTER_INFO_2W info = {};
  info.pPrinterName = const_cast<wchar_t*>(name.c_str());
  info.pPortName = const_cast<wchar_t*>(port.c_str());
  info.pDriverName = const_cast<wchar_t*>(DRIVER);
  info.pPrintProcessor = const_cast<wchar_t*>(L"winprint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!handle) return false;
  ClosePrinter(handle);
  return SetDefaultPrinterW(name.c_str()) != FALSE;
}
