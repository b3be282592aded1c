// The system's own disk and system tools, reached from the menus, and the
// About box.  Each is a thin call into the shell or the system, whose tools
// report their own failures; a tool the system lacks is reported in a message.
#pragma once
#include <windows.h>

void CopyDiskCommand(HWND window);                // 45027
void LabelDiskCommand(HWND window);               // 45028
void FormatDiskCommand(HWND window);              // 45029
void FindFilesCommand(HWND window);               // 45035
void MapNetworkDriveCommand(HWND window);         // 45047
void DisconnectNetworkDriveCommand(HWND window);  // 45051
void EmptyRecycleBinCommand(HWND window);         // 45072
void RecycleBinSettingsCommand(HWND window);      // 45074
void FindComputerCommand(HWND window);            // 45094
void AddRemoveProgramsCommand(HWND window);       // 45099
void AboutCommand(HWND window);                   // 45243

// The context-menu verbs the shell gives a drive for formatting and for its
// properties, where its label is changed.
constexpr UINT DRIVE_VERB_FORMAT = 0x23;
constexpr UINT DRIVE_VERB_PROPERTIES = 0x13;
