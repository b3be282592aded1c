// Word capitals for paths shown to the user: C:\PROGRAM FILES\my-app reads
// C:\Program Files\My-App.  Double-byte characters are left as they are and
// count as letters.
#pragma once
#include <cstddef>

void WordCapitals(char* text);
