// Writing a whole file so that it is either complete or not there at all.
#pragma once

#include <string>
#include <string_view>

// Writes the bytes to a new file beside `path` and then puts it in the place of `path`,
// replacing a file of that name. On failure a file already at `path` stays as it was, no
// partial file is left behind, and the result is false with GetLastError() set.
bool SaveWholeFile(const std::wstring& path, std::string_view bytes);
