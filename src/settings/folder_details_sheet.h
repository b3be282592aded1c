// The folder-details sheet (command 45226, and 45800 + k from the popup over
// a column): the column-order page and one page per detail column.  Every
// change goes to the live column records at once; Cancel puts back the
// records as they were when the sheet opened.
#pragma once
#include <windows.h>

// |start| 0 opens the order page; k + 1 opens page k (0 is the order page,
// k the page of the k-th detail column in table order).
INT_PTR ShowFolderDetailsSheet(HWND owner, int start);

// For the pages: shows a change of the columns in the folder pane at once,
// and puts back the columns the sheet opened with.
void ShowColumnChanges();
void CancelColumnChanges();
