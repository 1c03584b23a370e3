// SPDX-License-Identifier: MIT
// Paths and handles as the wide Windows calls take them, for the map file's calls on Windows.
#pragma once

#include <windows.h>

#include <string>

#include "document/FileIo.h"

namespace quarl::windows {

inline HANDLE Handle(FileId file) {
    return reinterpret_cast<HANDLE>(file);
}

// The UTF-16 form of a UTF-8 text; empty when it is not valid UTF-8.
std::wstring Wide(const std::string& text);

// A UTF-8 path as the wide calls take it. An absolute path becomes a \\?\ path, which is
// not cut at 260 characters whatever the LongPathsEnabled setting.
std::wstring WidePath(const std::string& path);

// The UTF-8 form of a UTF-16 text.
std::string Narrow(const std::wstring& wide);

}  // namespace quarl::windows
