#pragma once
// The files of a data directory by name, how a folder and a name make a
// path, and the processor marker a directory's name gives.

#include <string>

namespace tally {

inline constexpr const char* kSetFileName = "fl.db1";           // the sets, appended
inline constexpr const char* kAlarmLogName = "alarmlog.txt";    // the alarms, appended
inline constexpr const char* kChannelTableName = "ct.dat";      // the channel table
inline constexpr const char* kRateFileName = "ferro.dat";       // the rate file
inline constexpr const char* kBillTemplateName = "ferro.txt";   // the bill template
inline constexpr const char* kCtCaptureName = "ct.cap";         // the last set's lines, replaced
inline constexpr const char* kUsageCaptureName = "usage.cap";   // the sets' lines, appended
inline constexpr const char* kFerro2CaptureName = "ferro2.cap"; // the last set's stamps, replaced
inline constexpr const char* kScratchName = "cp.txt";           // the burst being decoded

// The path with the separator at its end; a root already has it.
std::string DirectoryWithSeparator(const std::string& path);

// name inside folder: folder, the separator where it has none at its end,
// then name.
std::string InFolder(const std::string& folder, const std::string& name);

// The processor marker of a data directory: the first four of the last five
// characters of dataPath, so for a directory name of four or more
// characters, its last four.
std::string MarkerOf(const std::string& dataPath);

}  // namespace tally
