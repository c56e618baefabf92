#pragma once
// The path separator of this platform: "/" on Linux, "\" on Windows. Every
// file name is appended to dataPath, which always ends in it.

namespace tally {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace tally
