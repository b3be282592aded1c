// Resource and control identifiers shared by both language files and the code.
// The numbers are fixed: settings, help contexts and dialogs refer to them.
#pragma once

// Strings
#define IDS_APP_CAPTION 1
#define IDS_WINDOW_CLASS 2
#define IDS_WINDOW_TITLE 3
#define IDS_UNSUPPORTED_WINDOWS 4
#define IDS_COLUMN_TOTAL 14
#define IDS_COLUMN_OWN_FILES 15
#define IDS_COLUMN_SUBFOLDERS 16
#define IDS_COLUMN_CAPACITY 17
#define IDS_COLUMN_NAME 18
#define IDS_COLUMN_FOLDER_COUNT 23
#define IDS_COLUMN_FILE_COUNT 24
#define IDS_COLUMN_ACCESSED 51
#define IDS_COLUMN_MODIFIED 52
#define IDS_COLUMN_CREATED 65
#define IDS_SCAN_ALREADY_RUNNING 35
#define IDS_CHOOSE_DRIVE_TO_SCAN 37
#define IDS_STOP_ALL_SCANS_QUESTION 60

// Scan dialog
#define IDD_SCAN 135
#define IDC_SCAN_DRIVE_NAME 1046
#define IDC_SCAN_FOLDER_PATH 1047
#define IDC_SCAN_INCLUDE_SUBFOLDERS 1050
#define IDC_SCAN_CURRENT_DRIVE 1071
#define IDC_SCAN_CURRENT_FOLDER 1072

// Buttons every dialog shares (IDOK 1, IDCANCEL 2 come from the platform)
#define IDC_DIALOG_HELP 9

// Help contexts
#define HELP_CONTEXT_SCAN 167
