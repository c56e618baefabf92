// The five programs' one command-line convention, each run as a process
// with no display: --help and --version on standard output with status 0,
// a wrong command line on standard error with the pointer to --help and
// status 64, a window without a display and a missing data directory said
// on standard error with their statuses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/temp_dir.h"
#include "forward/child_process.h"

namespace tally::testing {
namespace {

struct Program {
  std::string name;
  std::string path;
};

const std::vector<Program> kPrograms = {
    {"tally77", TALLY77_WINDOW_PATH},          {"tally77-capture", TALLY77_CAPTURE_PATH},
    {"tally77-history", TALLY77_HISTORY_PATH}, {"tally77-sim", TALLY77_SIM_PATH},
#ifdef TALLY77_FORWARD_PATH
    {"tally77-forward", TALLY77_FORWARD_PATH},
#endif
};

struct Case {
  std::vector<std::string> arguments;
  int status;
  std::string out;  // what standard output holds, "" for nothing
  std::string err;  // a piece of standard error, "" for nothing at all
};

struct Ran {
  int status = -1;
  std::string out;
  std::string err;
};

Ran Started(const Program& program, const std::vector<std::string>& arguments) {
  TempDir dir;
  std::vector<std::string> line = {program.path};
  line.insert(line.end(), arguments.begin(), arguments.end());
  Ran ran;
  {
    ChildProcess child(line, dir.dataPath() + "out", {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                                                     "HOME=" + dir.path(), "XDG_STATE_HOME=" + dir.path()},
                       std::nullopt, dir.dataPath() + "err");
    const std::optional<int> status = child.Wait(60'000);
    if (status && WIFEXITED(*status)) ran.status = WEXITSTATUS(*status);
  }
  ran.out = ReadFile(dir.dataPath() + "out");
  ran.err = ReadFile(dir.dataPath() + "err");
  return ran;
}

std::vector<Case> CasesOf(const Program& program) {
  const std::string tryHelp = "\nTry '" + program.name + " --help'.\n";
  std::vector<Case> cases = {
      {{"--help"}, 0, "*", ""},
      {{"-h"}, 0, "*", ""},
      {{"--version"}, 0, program.name + " " + TALLY77_VERSION + "\n", ""},
      {{"-v"}, 0, program.name + " " + TALLY77_VERSION + "\n", ""},
      {{"--no-such-option"}, 64, "", tryHelp},
      {{"-x"}, 64, "", tryHelp},
  };
  if (program.name != "tally77-history") cases.push_back({{"stray"}, 64, "", tryHelp});
  if (program.name == "tally77" || program.name == "tally77-history") {
    cases.push_back({{}, 69, "", program.name + ": no display: neither DISPLAY nor WAYLAND_DISPLAY is set\n"});
  }
  const std::string missing = "/nonexistent/tally77-data";
  if (program.name == "tally77" || program.name == "tally77-capture") {
    cases.push_back({{"--data-dir", missing}, 66, "", "data directory " + missing + " does not exist"});
  }
  if (program.name == "tally77-history") {
    cases.push_back({{missing}, 66, "", "data directory " + missing + " does not exist"});
  }
  return cases;
}

TEST(ProgramsCommandLine, EveryProgramKeepsTheOneConvention) {
  for (const Program& program : kPrograms) {
    for (const Case& c : CasesOf(program)) {
      SCOPED_TRACE(program.name + " " + ::testing::PrintToString(c.arguments));
      const Ran ran = Started(program, c.arguments);
      EXPECT_EQ(ran.status, c.status) << ran.err;
      if (c.out == "*") {
        EXPECT_NE(ran.out, "");
      } else {
        EXPECT_EQ(ran.out, c.out);
      }
      if (c.err.empty()) {
        EXPECT_EQ(ran.err, "");
      } else {
        EXPECT_NE(ran.err.find(c.err), std::string::npos) << ran.err;
      }
    }
  }
}

}  // namespace
}  // namespace tally::testing
