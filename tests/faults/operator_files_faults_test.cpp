// Files the operator arranged in the data directory are replaced the way he
// left them, by a user whom file modes bind (the tests may run as root): a
// read-only file is refused and named, a symbolic link stays a link and the
// file it names gets the content, a link planted under a temporary name is
// never followed.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "capture/process_reading.h"
#include "faults/fault_run.h"
#include "support/init_command.h"

namespace tally::testing {
namespace {

namespace fs = std::filesystem;

enum class Action { Init, Set };

// What the operator sees after the action, in one text.
std::string Seen(const FaultRun& run) {
  std::string seen = "Text2=" + run.surface.Text(TextBox::Text2) + "\nLabel1=" +
                     run.surface.CaptionOf(Caption::Label1) + "\nList2=";
  for (const std::string& entry : run.surface.list2) seen += entry + "|";
  return seen;
}

std::string Act(const std::string& directory, Action action) {
  FaultRun run(directory);
  if (action == Action::Init) {
    run.surface.SetText(TextBox::Text3, "0");
    OnInitCommand(run.context);
  } else {
    run.Start();
    run.Set(1);
  }
  return Seen(run);
}

void WriteWithMode(const std::string& path, const std::string& bytes, fs::perms mode) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  fs::permissions(path, mode);
}

TEST(OperatorFilesFaults, ReplacedFilesKeepWhatTheOperatorArranged) {
  const std::string setGood = "Text2=16\nLabel1=We have a good reading \nList2=";
  const std::string controlSet = ControlFile(1, "ct.cap");
  const struct {
    const char* what;
    std::function<void(const std::string& dir)> arrange;  // dir: the data directory + "/"
    Action action;
    std::string seen;  // DIR stands for the data directory
    std::vector<std::pair<std::string, std::string>> files;  // path under the temp folder, content
  } cases[] = {
      {"Init over a read-only ct.dat",
       [](const std::string& dir) { WriteWithMode(dir + "ct.dat", "operator's table\r\n", fs::perms(0444)); },
       Action::Init,
       "Text2=Problem creating file ct.dat\nLabel1=\nList2=files created|",
       {{"MTR1/ct.dat", "operator's table\r\n"}}},
      {"a set over a read-only ct.cap",
       [](const std::string& dir) { WriteWithMode(dir + "ct.cap", "operator's copy\r\n", fs::perms(0444)); },
       Action::Set,
       "Text2=16\nLabel1=Set kept, not yet written\nList2=14:30:49 Set 1 not written: cannot write "
       "DIR/ct.cap: Permission denied; kept until the directory takes writes|",
       {{"MTR1/ct.cap", "operator's copy\r\n"}, {"MTR1/fl.db1", ControlFile(1, "fl.db1")}}},
      {"a set over ct.cap linked to a file another program reads",
       [](const std::string& dir) {
         fs::create_directory(dir + "../shown");
         fs::create_symlink("../shown/ct.cap", dir + "ct.cap");
       },
       Action::Set, setGood, {{"shown/ct.cap", controlSet}, {"MTR1/ct.cap", controlSet}}},
      {"a set beside a planted ct.cap.new link",
       [](const std::string& dir) {
         WriteWithMode(dir + "../victim", "precious\r\n", fs::perms(0644));
         fs::create_symlink("../victim", dir + "ct.cap.new");
       },
       Action::Set, setGood, {{"victim", "precious\r\n"}, {"MTR1/ct.cap", controlSet}}},
  };
  for (const auto& c : cases) {
    TempDir folder;
    const std::string directory = DataDirectoryIn(folder);
    c.arrange(directory + "/");
    const bool linked = fs::is_symlink(directory + "/ct.cap");
    const ChildRun child =
        RunUnprivileged(folder.path(), [&] { return Act(directory, c.action); });
    if (!child.skipReason.empty()) GTEST_SKIP() << child.skipReason;

    std::string seen = c.seen;
    if (const auto at = seen.find("DIR"); at != std::string::npos) seen.replace(at, 3, directory);
    EXPECT_EQ(child.output, seen) << c.what;
    for (const auto& [name, content] : c.files) EXPECT_EQ(folder.Read(name), content) << c.what << ": " << name;
    EXPECT_EQ(fs::is_symlink(directory + "/ct.cap"), linked) << c.what;
    if (fs::is_symlink(directory + "/ct.cap.new")) {
      EXPECT_EQ(fs::read_symlink(directory + "/ct.cap.new"), "../victim");
    }
  }
}

// Every clean end (the sets asked for reached; the window closed or the
// service stopped, which stop the capture alike) leaves the scratch file
// but not its hidden companion.
TEST(OperatorFilesFaults, ACleanEndLeavesNoCompanionOfTheScratchFile) {
  const struct {
    const char* end;
    const char* obs;
    bool stop;
  } ends[] = {{"the sets reached", "2", false}, {"the capture stopped", "100", true}};
  for (const auto& end : ends) {
    FreshFaultRun run;
    run.Start(end.obs);
    run.Set(1);
    ASSERT_TRUE(fs::exists(run.context.state.dataPath + ".cp.txt.next")) << end.end;  // there while capturing
    if (end.stop) {
      StopCapture(run.context);
    } else {
      run.Set(2);
    }
    EXPECT_TRUE(run.context.ended) << end.end;
    EXPECT_FALSE(fs::exists(run.context.state.dataPath + ".cp.txt.next")) << end.end;
    EXPECT_TRUE(fs::exists(run.context.state.dataPath + "cp.txt")) << end.end;
  }
}

}  // namespace
}  // namespace tally::testing
