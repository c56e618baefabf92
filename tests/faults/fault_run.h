#pragma once
// A capture run against a data directory the test chooses, so that the
// directory itself can be broken: mounted read-only, filled up, removed,
// replaced by a file.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "doubles/capture_run.h"

namespace tally::testing {

// The files a completed set and an alarm write.
inline const std::vector<std::string> kRunFiles{"fl.db1", "ct.cap", "usage.cap", "ferro2.cap",
                                                "alarmlog.txt"};

// The data directory's name; it gives the processor marker, so runs in
// different temporary folders write the same records.
inline constexpr const char* kDataDirectoryName = "MTR1";

class FaultRun : public CaptureRun {
 public:
  using CaptureRun::CaptureRun;

  // Port 1 pressed with Obs # given, the sync burst thrown away. Only
  // channel 3 has a limit: it alarms high above 20, so every set from the
  // second on writes an alarm log line as well.
  void Start(const std::string& obs = "100", bool writeSupportFiles = true);

  // One whole set of 16 good fLI bursts, channels in reverse order, the
  // values telling the sets apart; each burst takes the quiet interval of
  // simulated time. fromChannel: where a set begun by Line carries on.
  void Set(int number, int fromChannel = 16);
  // One good burst of a set.
  void Line(int channel, int set);
  // Whether Line and Set send fLII bursts (8 fields) instead of fLI ones.
  bool longBursts = false;
  // The burst of one channel in set number (fLI: 4 fields; fLII: 8).
  static std::string BurstFor(int channel, int set);
  static std::string LongBurstFor(int channel, int set);

  // Every run file, named, for comparing whole directories in one check.
  std::string Files() const;
  // Whether some List2 entry holds all of the given pieces.
  bool Listed(const std::vector<std::string>& pieces) const;
  int CountListed(const std::string& piece) const;
};

// The temporary folder that holds a FreshFaultRun's data directory; a base
// class of its own so that it is made before the run and goes after it.
class FaultRunFolder {
 protected:
  TempDir folder_;
};

// A FaultRun on a fresh data directory named kDataDirectoryName, removed
// with the run.
class FreshFaultRun : private FaultRunFolder, public FaultRun {
 public:
  FreshFaultRun();
};

// Sets 1 to sets of a run on a fresh directory without any fault: what the
// faulty runs must end up with.
std::string ControlFiles(int sets, bool longBursts = false);

// A fresh data directory named kDataDirectoryName inside dir.
std::string DataDirectoryIn(const TempDir& dir);
// One file of such a run.
std::string ControlFile(int sets, const std::string& name, bool longBursts = false);

// A small tmpfs mounted over a directory for one test, unmounted at the
// end. Mounting needs privileges: where it is not allowed, Mount says why
// and the test skips.
class TmpfsMount {
 public:
  TmpfsMount() = default;
  ~TmpfsMount();
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;

  // "" when mounted, else why not.
  std::string Mount(const std::string& directory, const std::string& size);
  // Makes the directory read-only, or writable again; "" when done, else
  // why not.
  std::string SetReadOnly(bool readOnly);

 private:
  std::string directory_;
};

// Fills the file system holding directory with one file until it takes no
// more. Gives the filler's path.
std::string FillUp(const std::string& directory);

// Runs body in a child process as a user whom file modes bind: when the
// tests run as root, folder is given to user and group 65534 and the child
// takes them on. Gives what body returned; skipReason says why the child
// could not become that user (the body did not run).
struct ChildRun {
  std::string output;
  std::string skipReason;
};
ChildRun RunUnprivileged(const std::string& folder, const std::function<std::string()>& body);


}  // namespace tally::testing
