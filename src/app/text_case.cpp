#include "app/text_case.h"

#include <windows.h>

namespace {

bool IsAsciiLetterOrDigit(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

void WordCapitals(char* text) {
  bool afterWordCharacter = false;
  for (char* p = text; *p; ++p) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      ++p;  // the trail byte may look like an ASCII letter
      afterWordCharacter = true;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(*p);
    *p = afterWordCharacter ? Lower(*p) : Upper(*p);
    afterWordCharacter = IsAsciiLetterOrDigit(c) || (c >= 0x80 && IsCharAlphaNumericA(static_cast<CHAR>(c)));
  }
}
