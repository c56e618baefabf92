// Faults on the way into the database, each ending with every set of
// "fl.db1" stored exactly once.

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "faults/fault_run.h"
#include "forward/forward_rig.h"
#include "forward/migrations.h"

namespace tally::testing {
namespace {

std::string JoinedLines(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
  std::string joined;
  for (std::size_t i = from; i < to; ++i) joined += lines[i] + "\r\n";
  return joined;
}

std::string Hex(const std::string& bytes) {
  std::string hex;
  char pair[3];
  for (const char byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(byte));
    hex += pair;
  }
  return hex;
}

// Replaces fl.db1 of a directory as a restore would: a new file under the name.
void ReplaceSetFile(const std::string& directory, const std::string& content) {
  const std::string path = directory + "/fl.db1";
  std::ofstream(path + ".new", std::ios::binary) << content;
  std::rename((path + ".new").c_str(), path.c_str());
}

class ForwardFaults : public ForwardTest {
 protected:
  std::string Data() { return DataDirectoryIn(dir); }
  // Sets 1 to sets captured into data; gives the fl.db1 they made.
  static std::string CapturedSets(const std::string& data, int sets) {
    FaultRun run(data);
    run.Start();
    for (int set = 1; set <= sets; ++set) run.Set(set);
    return run.Read("fl.db1");
  }
};

TEST_F(ForwardFaults, ServerStoppedAndStartedAgainMidStream) {
  const std::string data = Data();
  FaultRun run(data);
  run.Start();
  run.Set(1);
  run.Set(2);
  const auto forwarder = StartFollowing(data);
  ASSERT_TRUE(Eventually([&] { return Count("SELECT count(*) FROM tally77.sets") == 2; })) << forwarder->Output();

  ASSERT_EQ(Cluster().StopServer(), "");
  run.Set(3);
  run.Set(4);
  EXPECT_TRUE(Eventually([&] { return forwarder->Output().find("database unreachable") != std::string::npos; }));
  ASSERT_EQ(Cluster().StartServer(), "");
  EXPECT_TRUE(Eventually([&] { return Count("SELECT count(*) FROM tally77.sets") == 4; })) << forwarder->Output();

  EXPECT_TRUE(StopsCleanlyOnSigterm(*forwarder));
  EXPECT_EQ(CountOf(forwarder->Output(), "database unreachable"), 1) << forwarder->Output();
  EXPECT_EQ(CountOf(forwarder->Output(), "database reachable again"), 1) << forwarder->Output();
  ExpectStoredOnce(run.Read("fl.db1"));
}

// A statement the server turns down for now (here a lock it waited for too
// long) is waited out like a lost server: said once, then shipped.
TEST_F(ForwardFaults, PassingTroubleOfTheServerIsWaitedOutAndSaidOnce) {
  const std::string data = Data();
  const std::string captured = CapturedSets(data, 2);
  const std::string database = Query("SELECT current_database()").at(0).at(0);
  Query("ALTER ROLE " + std::string(kForwardRole) + " IN DATABASE " + database + " SET lock_timeout = '100ms'");
  const auto sessions = [&] {  // the forwarder's log-ins, asked from another database
    return std::stoll(Sql(Cluster().Conninfo("postgres", kOwnerRole),
                          "SELECT sessions FROM pg_stat_database WHERE datname = '" + database + "'")
                          .at(0)
                          .at(0));
  };
  HeldLock lock(OwnerConninfo(), "tally77.sets");
  const long long before = sessions();
  const auto forwarder = StartFollowing(data);
  ASSERT_TRUE(Eventually([&] { return forwarder->Output().find("lock timeout") != std::string::npos; }))
      << forwarder->Output();
  // Three more log-ins, each ending in the same trouble.
  EXPECT_TRUE(Eventually([&] { return sessions() >= before + 3; })) << forwarder->Output();
  lock.Release();
  EXPECT_TRUE(Eventually([&] { return Count("SELECT count(*) FROM tally77.sets") == 2; })) << forwarder->Output();
  EXPECT_TRUE(StopsCleanlyOnSigterm(*forwarder));
  EXPECT_EQ(CountOf(forwarder->Output(), "database unreachable"), 1) << forwarder->Output();
  EXPECT_EQ(CountOf(forwarder->Output(), "database reachable again"), 1) << forwarder->Output();
  ExpectStoredOnce(captured);
}

// A server that stops answering in the middle of a batch does not keep the
// program past its stop timeout; the next run ships every set once.
TEST_F(ForwardFaults, SigtermEndsTheRunWhileTheServerHangs) {
  const std::string data = Data();
  const std::string captured = CapturedSets(data, 2);
  std::optional<HeldLock> lock(std::in_place, OwnerConninfo(), "tally77.sets");
  const auto forwarder = StartFollowing(data);
  const std::string waiting =
      "SELECT pid FROM pg_stat_activity WHERE application_name = 'tally77-forward' AND wait_event_type = 'Lock'";
  ASSERT_TRUE(Eventually([&] { return Query(waiting).size() == 1; })) << forwarder->Output();
  const pid_t backend = std::stoi(Query(waiting).at(0).at(0));
  ASSERT_EQ(kill(backend, SIGSTOP), 0);
  const ::testing::AssertionResult stopped = StopsCleanlyOnSigterm(*forwarder);
  kill(backend, SIGCONT);
  lock.reset();
  EXPECT_TRUE(stopped);
  EXPECT_NE(forwarder->Output().find("the server did not answer within 10 s of the stop signal"), std::string::npos)
      << forwarder->Output();
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(captured);
}

// --once ends with a status a script can act on, and registers no station
// for a directory that is not there.
TEST_F(ForwardFaults, OnceEndsWithAStatusSayingWhetherItShipped) {
  // A server that takes the connection and never answers.
  const std::string silent = dir.dataPath() + "silent";
  std::filesystem::create_directory(silent);
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s/.s.PGSQL.5999", silent.c_str());
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);

  const std::string data = Data();
  std::filesystem::create_directory(data + "/fl.db1");
  std::ofstream(data + "/alarmlog.txt", std::ios::binary) << ControlFile(2, "alarmlog.txt");
  const struct {
    const char* what;
    std::string data;
    std::string conninfo;
    std::vector<std::string> wait;
    int status;
    long long stations;  // registered after it
    long long alarms;    // stored after it
  } cases[] = {
      {"no data directory", dir.dataPath() + "nowhere", ForwardConninfo(), {}, 66, 0, 0},
      {"fl.db1 a directory", data, ForwardConninfo(), {}, 74, 1, 1},
      {"a server that never answers", data, "host=" + silent + " port=5999 dbname=x user=y", {"--wait", "1"}, 69, 1, 1},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments{TALLY77_FORWARD_PATH, "--data-dir", c.data, "--db", c.conninfo, "--once"};
    arguments.insert(arguments.end(), c.wait.begin(), c.wait.end());
    std::string output;
    EXPECT_EQ(RunProgram(arguments, output), c.status)
        << c.what << "\n"
        << output;
    EXPECT_EQ(Count("SELECT count(*) FROM tally77.stations"), c.stations) << c.what;
    EXPECT_EQ(Count("SELECT count(*) FROM tally77.alarms"), c.alarms) << c.what;
  }
  close(listener);
}

// A peer that goes silent over TCP is probed within minutes, not after the
// system's two hours: the connection's keep-alive timer, as the kernel shows
// it for a server that took the connection and never answers.
TEST_F(ForwardFaults, ASilentPeerIsProbedByKeepAlivesWithinMinutes) {
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  char port[8];
  std::snprintf(port, sizeof port, "%04X", ntohs(address.sin_port));
  ChildProcess forwarder({TALLY77_FORWARD_PATH, "--data-dir", Data(), "--once", "--db",
                          "host=127.0.0.1 port=" + std::to_string(ntohs(address.sin_port)) + " dbname=x user=y"},
                         dir.dataPath() + "silent-peer.log");
  // The client's end: remote port ours, established, its keep-alive timer
  // (02) due in under 100 s (the kernel counts in hundredths).
  const auto probedSoon = [&] {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state, queues, timer;
      fields >> slot >> local >> remote >> state >> queues >> timer;
      if (remote.substr(remote.size() - 4) == port && state == "01" && timer.rfind("02:", 0) == 0 &&
          std::stoul(timer.substr(3), nullptr, 16) < 10'000) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(Eventually(probedSoon, 15'000)) << forwarder.Output();
  close(listener);
}

TEST_F(ForwardFaults, KilledBetweenSendingABatchAndItsCommit) {
  const std::string data = Data();
  const std::string captured = CapturedSets(data, 3);
  std::string output;
  EXPECT_EQ(ForwardOnce(data, output, {"TALLY77_FORWARD_FAILPOINT=kill-before-commit"}), -1) << output;
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.sets"), 0);
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(captured);
}

TEST_F(ForwardFaults, SigtermWhileABatchIsInFlightCommitsItAndExitsZero) {
  const std::string data = Data();
  const std::string captured = CapturedSets(data, 3);
  const auto forwarder = StartFollowing(data, {"TALLY77_FORWARD_FAILPOINT=hold-before-commit"});
  ASSERT_TRUE(Eventually([&] {
    return forwarder->Output().find("failpoint: batch sent, its commit held until a signal") != std::string::npos;
  })) << forwarder->Output();
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.sets"), 0);

  EXPECT_TRUE(StopsCleanlyOnSigterm(*forwarder));
  EXPECT_EQ(CountOf(forwarder->Output(), "fl.db1: 3 of 3 lines stored"), 1) << forwarder->Output();
  EXPECT_EQ(CountOf(forwarder->Output(), "stopped by signal 15"), 1) << forwarder->Output();
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.alarms"), 0);  // its batch waits for the next run

  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(captured);
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.alarms"), 2);
}

TEST_F(ForwardFaults, LineWithANulByteIsKeptAsBytesAndTheRestShipped) {
  const std::vector<std::string> sets = LinesOf(ControlFile(5, "fl.db1"));
  std::string damagedSet = sets[2];
  damagedSet.replace(40, 3, std::string("\0\xE4\\", 3));
  const std::string alarm = "03 high MTR120261206143015";
  const std::string laterAlarm = "04 low  MTR120261206143020";
  const std::string damagedAlarm = std::string("03 high MTR1\0", 13) + "0261206143016";
  struct Case {
    const char* file;
    std::string content;
    std::uint64_t offset;  // of the damaged line
    std::string damaged;
    std::string reason;
  } cases[] = {
      {"fl.db1", JoinedLines({sets[0], sets[1], damagedSet, sets[3], sets[4]}, 0, 5), 2 * 326, damagedSet,
       "NUL byte at character 41, which text cannot hold; the line's bytes are in bytes"},
      {"alarmlog.txt", JoinedLines({alarm, damagedAlarm, laterAlarm}, 0, 3), 28, damagedAlarm,
       "NUL byte at character 13, which text cannot hold; the line's bytes are in bytes"},
  };
  const std::string data = Data();
  SqlRows expected;
  for (const Case& c : cases) {
    std::ofstream(data + "/" + c.file, std::ios::binary) << c.content;
    expected.push_back({c.file, std::to_string(c.offset), c.reason, Hex(c.damaged), "t"});
  }
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  for (const Case& c : cases) {
    EXPECT_EQ(CountOf(output, std::string(c.file) + ": line at byte " + std::to_string(c.offset) +
                                      " stored in tally77.other_lines: " + c.reason),
              1)
        << output;
  }
  EXPECT_EQ(Query("SELECT file, file_offset, reason, encode(bytes, 'hex'), decode(line, 'escape') = bytes"
                  " FROM tally77.other_lines ORDER BY file DESC"),
            expected);
  ExpectStoredOnce(JoinedLines({sets[0], sets[1], sets[3], sets[4]}, 0, 4));
  EXPECT_EQ(Query("SELECT line FROM tally77.alarms ORDER BY file_offset"), (SqlRows{{alarm}, {laterAlarm}}));

  // The position went past it: nothing is read or said again.
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  EXPECT_EQ(output.find("NUL byte"), std::string::npos) << output;
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.other_lines"), 2);
  ExpectStoredOnce(JoinedLines({sets[0], sets[1], sets[3], sets[4]}, 0, 4));

  // A restored copy holds it again where it stood, followed by a line damaged
  // anew: the database skips the line it holds, and only the new one is said.
  std::string newlyDamaged = sets[3];
  newlyDamaged[50] = '\0';
  ReplaceSetFile(data, JoinedLines({sets[0], sets[1], damagedSet, newlyDamaged}, 0, 4));
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  EXPECT_EQ(CountOf(output, "NUL byte"), 1) << output;
  EXPECT_EQ(CountOf(output, "fl.db1: line at byte 978 stored in tally77.other_lines: NUL byte at character 51, "
                                "which text cannot hold; the line's bytes are in bytes"),
            1)
      << output;
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.other_lines"), 3);
}

// Every set keeps its own sixteen readings, whatever stands between the sets.
TEST_F(ForwardFaults, ReadingsStayWithTheirSetAroundALineThatIsNoSet) {
  const std::vector<std::string> sets = LinesOf(ControlFile(3, "fl.db1"));
  std::string withNul = sets[0];
  withNul[30] = '\0';
  int station = 0;
  for (const std::string& damaged : {sets[1].substr(0, 100), withNul}) {
    const std::string name = "D" + std::to_string(++station);
    const std::string data = dir.dataPath() + name;
    std::filesystem::create_directory(data);
    ReplaceSetFile(data, JoinedLines({sets[0], damaged, sets[1], sets[2]}, 0, 4));
    std::string output;
    ASSERT_EQ(ForwardOnce(data, output, {}, name), 0) << output;
    // Per set: its readings, and those whose text is not the record's at their slot.
    EXPECT_EQ(Query("SELECT s.file_offset, count(r.slot),"
                    "       count(r.slot) FILTER (WHERE substr(s.record, 20 + (r.slot - 1) * 19, 18) <> r.line)"
                    " FROM tally77.sets s JOIN tally77.stations t ON t.id = s.station_id"
                    " LEFT JOIN tally77.readings r ON r.set_id = s.id"
                    " WHERE t.name = '" + name + "' GROUP BY s.id ORDER BY s.file_offset"),
              (SqlRows{{"0", "16", "0"},
                       {std::to_string(326 + damaged.size() + 2), "16", "0"},
                       {std::to_string(2 * 326 + damaged.size() + 2), "16", "0"}}))
        << output;
  }
}

// A line is an event where it stands in its file: the same bytes twice are
// two rows, on a database migrated from the schema that keyed lines by their
// text, whose rows stay.
TEST_F(ForwardFaults, EachOccurrenceOfALineIsARowOfItsOwn) {
  Query("DROP SCHEMA tally77 CASCADE; CREATE SCHEMA tally77;"
        " CREATE TABLE tally77.schema_version (version integer PRIMARY KEY, name text NOT NULL,"
        " applied_at timestamptz NOT NULL DEFAULT now())");
  for (const forward::Migration& migration : forward::Migrations()) {
    if (migration.version > 2) break;
    Query(migration.sql);
    Query("INSERT INTO tally77.schema_version (version, name) VALUES (" + std::to_string(migration.version) + ", '" +
          migration.name + "')");
  }
  const std::string alarm = LinesOf(ControlFile(2, "alarmlog.txt")).at(0);
  Query("INSERT INTO tally77.stations (name) VALUES ('S1');"
        " INSERT INTO tally77.alarms (station_id, line, file_offset) VALUES (1, '" + alarm + "', 0)");
  ASSERT_EQ(MigrateAndGrant(Query("SELECT current_database()").at(0).at(0)), "");

  const std::vector<std::string> sets = LinesOf(ControlFile(2, "fl.db1"));
  const std::string cut = sets[1].substr(0, 50);
  const std::string data = Data();
  ReplaceSetFile(data, JoinedLines({sets[0], cut, sets[1], cut}, 0, 4));
  std::ofstream(data + "/alarmlog.txt", std::ios::binary) << JoinedLines({alarm, alarm}, 0, 2);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  EXPECT_EQ(Query("SELECT file_offset FROM tally77.alarms ORDER BY file_offset"),
            (SqlRows{{"0"}, {std::to_string(alarm.size() + 2)}}));
  EXPECT_EQ(Query("SELECT file_offset FROM tally77.other_lines ORDER BY file_offset"),
            (SqlRows{{"326"}, {std::to_string(2 * 326 + 52)}}));
  ExpectStoredOnce(JoinedLines(sets, 0, 2));
}

TEST_F(ForwardFaults, DatabaseWhoseEncodingCannotHoldLatin1IsRefusedAtOnce) {
  UseDatabaseEncoded("WIN1252");
  const std::string why =
      "FATAL:  conversion between LATIN1 and WIN1252 is not supported (the database must be encoded in UTF8, LATIN1 "
      "or SQL_ASCII to hold the files' Latin-1 text)";
  std::string output;
  EXPECT_EQ(ForwardOnce(Data(), output), 78) << output;
  EXPECT_NE(output.find("the database refused: "), std::string::npos) << output;
  EXPECT_NE(output.find(why), std::string::npos) << output;
  EXPECT_EQ(RunProgram({TALLY77_FORWARD_PATH, "--migrate", "--db", OwnerConninfo()}, output), 78) << output;
  EXPECT_NE(output.find("cannot connect to the database: "), std::string::npos) << output;
  EXPECT_NE(output.find(why), std::string::npos) << output;
}

TEST_F(ForwardFaults, SetFileReplacedUnderTheForwarder) {
  const std::vector<std::string> sets = LinesOf(ControlFile(15, "fl.db1"));
  struct Case {
    const char* what;
    std::string replacement;
    const char* logged;
    std::size_t setsStored;  // sets 1 to this many, each once
  } cases[] = {
      {"a copy with 10 more sets", JoinedLines(sets, 0, 15), "fl.db1: 10 of 10 lines stored", 15},
      {"a backup of 3 sets and 10 new ones", JoinedLines(sets, 0, 3) + JoinedLines(sets, 5, 15),
       "fl.db1 no longer holds the line shipped last before byte 1630", 15},
      {"a shorter file", JoinedLines(sets, 0, 2), "fl.db1 is shorter than the 1630 bytes already shipped", 5},
  };
  int station = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = "R" + std::to_string(++station);
    const std::string data = dir.dataPath() + name;
    std::filesystem::create_directory(data);
    ReplaceSetFile(data, JoinedLines(sets, 0, 5));
    std::string output;
    ASSERT_EQ(ForwardOnce(data, output, {}, name), 0) << output;
    ReplaceSetFile(data, c.replacement);
    ASSERT_EQ(ForwardOnce(data, output, {}, name), 0) << output;
    EXPECT_NE(output.find(c.logged), std::string::npos) << output;
    ExpectStoredOnce(JoinedLines(sets, 0, c.setsStored), name);
  }
}

TEST_F(ForwardFaults, HalfWrittenLastLineWaitsForItsEnd) {
  const std::string file = ControlFile(3, "fl.db1");
  const std::string data = Data();
  ReplaceSetFile(data, file.substr(0, 2 * 326 + 100));
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  EXPECT_EQ(Count("SELECT count(*) FROM tally77.sets"), 2);
  std::ofstream(data + "/fl.db1", std::ios::binary | std::ios::app) << file.substr(2 * 326 + 100);
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(file);
}

TEST_F(ForwardFaults, LineThatIsNoSetIsKeptWithItsReason) {
  const std::vector<std::string> sets = LinesOf(ControlFile(2, "fl.db1"));
  const std::string data = Data();
  ReplaceSetFile(data, sets[0] + "\r\nnot a set\r\n" + sets[1] + "\r\n");
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(sets[0] + "\r\n" + sets[1] + "\r\n");
  EXPECT_EQ(Query("SELECT line, reason, file_offset FROM tally77.other_lines"),
            (SqlRows{{"not a set", "wrong length: 9 characters, not 324 (fLI) or 676 (fLII)", "326"}}));
}

TEST_F(ForwardFaults, WrongPasswordEndsTheRunWithoutShowingIt) {
  const std::string wrong = "Wrong-Secret-99";
  std::string output;
  const int status = RunProgram({TALLY77_FORWARD_PATH, "--data-dir", Data(), "--db",
                                 Cluster().Conninfo("postgres", kForwardRole, wrong), "--once"},
                                output, 10'000, {"PGPASSWORD=" + wrong + "-env"});
  EXPECT_EQ(status, 78) << output;
  EXPECT_NE(output.find("the database refused: "), std::string::npos) << output;
  EXPECT_NE(output.find("password authentication failed for user \"tally_forward\""), std::string::npos) << output;
  EXPECT_EQ(output.find(wrong), std::string::npos) << output;
}

TEST_F(ForwardFaults, DatabaseEmptiedAndMigratedAgainReceivesEverySetAgain) {
  const std::string data = Data();
  const std::string captured = CapturedSets(data, 3);
  std::string output;
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  Query("DROP SCHEMA tally77 CASCADE");

  EXPECT_EQ(ForwardOnce(data, output), 78) << output;
  EXPECT_NE(output.find("run tally77-forward --migrate with the owner role"), std::string::npos) << output;

  ASSERT_EQ(MigrateAndGrant(Query("SELECT current_database()").at(0).at(0)), "");
  ASSERT_EQ(ForwardOnce(data, output), 0) << output;
  ExpectStoredOnce(captured);
}

}  // namespace
}  // namespace tally::testing
