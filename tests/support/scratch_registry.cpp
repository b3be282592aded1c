#include "support/scratch_registry.h"

// Declared by the headers only for Vista and later; Wine's advapi32 has it.
extern "C" LONG WINAPI RegDeleteTreeA(HKEY key, LPCSTR subkey);

namespace {
bool g_redirected = false;
}

void ScratchCurrentUser::SetUp() {
  // "Software" is made too: the settings key is created below it.
  std::string scratch = root_ + "\\hkcu";
  RegistryKey software;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, user_.out(), nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(user_.get(), "Software", software.out()));
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_.get()));
  ASSERT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, "Software\\PelvanorTests", software.out()))
      << "HKEY_CURRENT_USER is not redirected";
  g_redirected = true;
}

void ScratchCurrentUser::TearDown() {
  g_redirected = false;
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  user_.Close();
  RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\PelvanorTests");  // fails while another run holds a key
}

void ClearSettingsKey() {
  // Never the user's own settings.
  ASSERT_TRUE(g_redirected) << "register ScratchCurrentUser before clearing settings";
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tavorin");
}
