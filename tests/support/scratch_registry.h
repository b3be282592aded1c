// Redirects HKEY_CURRENT_USER to a scratch key for the whole test process, so
// tests never read or write the user's own settings.  Register it once per
// test executable:
//   ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_store.h"

class ScratchCurrentUser : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

 private:
  std::string root_ = "Software\\PelvanorTests\\" + std::to_string(GetCurrentProcessId());
  RegistryKey user_;
};

// Removes the settings key and everything under it, as on a first run.
void ClearSettingsKey();
