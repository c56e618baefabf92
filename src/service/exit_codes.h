#pragma once
// The exit codes of tally77-capture (the sysexits values), as --help and the
// manual page list them.

namespace tally {

inline constexpr int kExitDone = 0;          // done (--sets reached, --init) or stopped
inline constexpr int kExitUsage = 64;        // bad command line or configuration file
inline constexpr int kExitNoInput = 66;      // data directory (or configuration file) missing
inline constexpr int kExitIoError = 74;      // data directory cannot be read, --init cannot write

}  // namespace tally
