// Runs one subsystem's tests in one Wine process, on a thread that counts as
// the program's user-interface thread.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "app/process_state.h"

int main(int argc, char** argv) {
  RecordMainThread();
  AppInstance = GetModuleHandleA(nullptr);
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
