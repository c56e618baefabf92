#pragma once
// The exit statuses of every Tally 77 program, the values of sysexits: one
// meaning each, the same in every program, as the manual pages list them.

namespace tally {

inline constexpr int kExitOk = 0;             // done, stopped by SIGTERM or SIGINT, --help, --version
inline constexpr int kExitUsage = 64;         // a wrong command line
inline constexpr int kExitDataError = 65;     // input whose data is wrong
inline constexpr int kExitNoInput = 66;       // the data directory (or a file named) missing
inline constexpr int kExitUnavailable = 69;   // something needed is not there: no display, no database
inline constexpr int kExitCannotCreate = 73;  // an output file cannot be created
inline constexpr int kExitIoError = 74;       // reading or writing failed: the data directory unreadable
inline constexpr int kExitTryAgain = 75;      // a passing fault: a later try may work
inline constexpr int kExitConfig = 78;        // a configuration refused: a settings file, the database's log-in

}  // namespace tally
