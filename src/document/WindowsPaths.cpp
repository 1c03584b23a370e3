// SPDX-License-Identifier: MIT
#include "document/WindowsPaths.h"

#include <cstddef>

namespace quarl::windows {

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

// Windows does not clean up a \\?\ path (slashes, "." and ".."), so GetFullPathNameW does
// that first.
std::wstring WidePath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const bool absolute =
        wide.size() >= 3 && wide[1] == L':' && (wide[2] == L'\\' || wide[2] == L'/');
    const bool network = wide.size() >= 2 && (wide[0] == L'\\' || wide[0] == L'/') &&
                         (wide[1] == L'\\' || wide[1] == L'/') && wide.rfind(LR"(\\?\)", 0) != 0;
    if (!absolute && !network) return wide;
    const DWORD length = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return wide;
    std::wstring full(length, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) return wide;
    full.resize(written);
    return network ? LR"(\\?\UNC)" + full.substr(1) : LR"(\\?\)" + full;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace quarl::windows
