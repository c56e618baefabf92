#include "forward/forward_options.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>

#include "common/command_line.h"
#include "records/data_files.h"
#include "records/system_zone.h"

namespace tally::forward {
namespace {

Failure Usage(const std::string& message) { return Failure{FailureCode::CommandLine, message}; }

std::string HostName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return host;
}

}  // namespace

std::string DefaultStation(const std::string& dataDirectory) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(dataDirectory, error);
  const std::string path = error ? dataDirectory : absolute.lexically_normal().string();
  return HostName() + ":" + DirectoryWithSeparator(path);
}

std::string EarlierDefaultStation(const std::string& dataDirectory) {
  return HostName() + "/" + MarkerOf(DirectoryWithSeparator(dataDirectory));
}

Outcome<ForwardOptions> ParseForwardOptions(const std::vector<std::string>& arguments) {
  ForwardOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (IsHelpWord(argument)) {
      options.action = ForwardOptions::Action::Help;
    } else if (IsVersionWord(argument)) {
      options.action = ForwardOptions::Action::Version;
    } else if (argument == "--migrate") {
      options.action = ForwardOptions::Action::Migrate;
    } else if (argument == "--once") {
      options.once = true;
    } else if (argument == "--wait") {
      if (!hasValue) return Usage(argument + " needs a value");
      const std::string& value = arguments[++i];
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), options.waitSeconds);
      if (error != std::errc() || end != value.data() + value.size() || options.waitSeconds < 1) {
        return Usage("--wait takes whole seconds from 1 on, not \"" + value + "\"");
      }
    } else if (argument == "--tz") {
      if (!hasValue) return Usage(argument + " needs a value");
      options.zone = arguments[++i];
      if (!ZoneRulesNamed(options.zone)) return Usage("unknown time zone " + options.zone);
    } else if (argument == "--data-dir" || argument == "--db" || argument == "--station") {
      if (!hasValue) return Usage(argument + " needs a value");
      if (argument == "--data-dir" && IsOptionWord(arguments[i + 1])) {
        return Usage("\"" + arguments[i + 1] + "\" is an option, not a path");
      }
      std::string& target = argument == "--data-dir" ? options.dataDirectory
                            : argument == "--db"     ? options.conninfo
                                                     : options.station;
      target = arguments[++i];
    } else {
      return Usage("unknown argument \"" + argument + "\"");
    }
  }
  if (options.action == ForwardOptions::Action::Follow) {
    if (options.dataDirectory.empty()) return Usage("--data-dir is missing");
    options.dataDirectory = DirectoryWithSeparator(options.dataDirectory);
    if (options.station.empty()) {
      options.station = DefaultStation(options.dataDirectory);
      options.earlierStation = EarlierDefaultStation(options.dataDirectory);
    }
  }
  return options;
}

std::string ForwardHelp() {
  return "Usage: tally77-forward --data-dir DIR [--db CONNINFO] [--station NAME] [--tz ZONE]\n"
         "                      [--once [--wait SECONDS]]\n"
         "       tally77-forward --migrate [--db CONNINFO]\n"
         "\n"
         "Ships every whole set of DIR/fl.db1 and every line of DIR/alarmlog.txt into\n"
         "PostgreSQL, each exactly once, and keeps following both files.\n"
         "\n"
         "  --data-dir DIR   the station's data directory\n"
         "  --db CONNINFO    libpq connection string or URI; PGHOST, PGSERVICE,\n"
         "                   ~/.pgpass and the other libpq settings apply too\n"
         "  --station NAME   the station's name in the database\n"
         "                   (default: host name:absolute path of DIR)\n"
         "  --tz ZONE        the time zone the stamps were written in (default: the system's)\n"
         "  --once           ship what is whole now, then end\n"
         "  --wait SECONDS   how long --once waits for the database (default 60)\n"
         "  --migrate        create or upgrade the database schema (owner role), then end\n"
         "  --help           this text\n"
         "  --version        the program's version\n"
         "\n"
         "SIGTERM, SIGINT and SIGHUP stop it once the batch in flight is done.\n"
         "\n"
         "Exit status: 0 shipped (--once, --migrate) or stopped by a signal,\n"
         "64 a wrong command line, 66 no such data directory (--once), 69 no database\n"
         "within --wait (--once) or for --migrate, 74 a file could not be read (--once),\n"
         "78 the database refused (log-in, schema, privileges, encoding).\n";
}

std::string ForwardVersion() { return VersionAnswer("tally77-forward").text; }

}  // namespace tally::forward
