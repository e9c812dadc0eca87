// The directory that holds the program file.
#pragma once

#include <string>

// The program file's full path cut at its last backslash: no trailing separator, except at a
// drive's root ("C:\"). Empty when the path cannot be had.
std::wstring ProgramDirectory();
