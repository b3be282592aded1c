// Paths in the ANSI code page.  In code pages 936 and 950 the second byte of
// a double-byte character can equal the backslash (許 is B3 5C), so a
// separator is found only by stepping through whole characters.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstddef>

// The last backslash that is a character of its own, or null.
const char* LastSeparator(const char* path);
// |text| holds one of the single-byte |characters| as a character of its own
// (a trail byte equal to one of them does not count).
bool HoldsAnyOf(const char* text, const char* characters);
// The path's last character is a backslash.
bool EndsWithSeparator(const char* path);

// The folder holding |path|'s last component, or the drive root: paths of up
// to three characters stay, longer ones lose everything from their last
// backslash (kept when it is the root's).
void StripLastComponent(char* path);

// The file-system path of |absolute| for the ANSI file functions, ending in a
// backslash when |withSeparator|.  A name the code page cannot hold comes back
// from the shell with '?' in it, which names nothing (or, as a wildcard,
// something else): such a path is given in its short form, whose names every
// code page holds.  False when there is no such path or it does not fit.
bool FileSystemPath(LPCITEMIDLIST absolute, char (&path)[MAX_PATH], bool withSeparator);

// A network path, or a folder that can be made the current directory (the
// current directory is put back).
bool IsAccessibleDirectory(const char* path);
