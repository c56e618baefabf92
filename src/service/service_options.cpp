#include "service/service_options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QCoreApplication>
#include <memory>

#include "common/command_line.h"
#include "common/exit_status.h"

namespace tally {

namespace {

constexpr const char* kProgram = "tally77-capture";
constexpr const char* kExitCodes =
    "\nExit codes:\n"
    "  0   done (--sets reached, --init written) or stopped by SIGTERM or SIGINT\n"
    "  64  a wrong command line\n"
    "  66  data directory or configuration file missing\n"
    "  74  data directory cannot be read, or --init could not write its files\n"
    "  75  the run ended with sets kept, not yet written (the next start writes them)\n"
    "  78  configuration file not key = value lines, or with an unknown key\n";

const QStringList kSettingNames = {"port", "com", "data-dir", "sets", "interval"};

void AddOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "Captures the readings of a Tally 77 processor on a serial line into a data\n"
      "directory, with no window; events go to the standard output as log lines.");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addOptions({
      {"port", "Serial device to open (any path, e.g. /dev/ttyUSB0).", "DEVICE"},
      {"com", "Port Com<N> (1 to 4) as the window maps it; with --port, its name.", "N"},
      {"data-dir", "Data directory; its name gives the processor marker.", "DIR"},
      {"sets", "Sets wanted: the end command goes out after the N-th set and the program "
               "exits. Without it, capture goes on until stopped.", "N"},
      {"interval", "Quiet time that ends a burst, in milliseconds (2000).", "MS"},
      {"init", "Write the default support files into the data directory and exit."},
      {"config", "Read settings from FILE (key = value, keys the long option names).", "FILE"},
  });
}

CommandLine Stop(const CommandLineEnd& end) { return {std::nullopt, end.text, end.status}; }

CommandLine Wrong(const QString& message) { return Stop(UsageFault(kProgram, message.toStdString())); }

CommandLine Failed(int status, const QString& message) { return Stop(Fault(kProgram, status, message.toStdString())); }

std::string Local(const QString& text) { return QFile::encodeName(text).toStdString(); }

bool IsReadableFile(const QString& path) {
  const QFileInfo file(path);
  return file.isFile() && file.isReadable();
}

// A configuration file that QSettings could read, with known keys only: a
// misspelt key would otherwise be ignored without a word.
std::optional<CommandLine> CheckConfig(const QString& path, const QSettings& config) {
  if (config.status() != QSettings::NoError) {
    return Failed(kExitConfig, "configuration file " + path + " is not key = value lines");
  }
  for (const QString& key : config.allKeys()) {
    if (!kSettingNames.contains(key)) {
      return Failed(kExitConfig, "unknown setting \"" + key + "\" in " + path);
    }
  }
  return std::nullopt;
}

std::optional<int> WholeNumber(const QString& text) {
  bool ok = false;
  const int number = text.trimmed().toInt(&ok);
  return ok ? std::optional<int>(number) : std::nullopt;
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  AddOptions(parser);
  if (!parser.parse(arguments)) return Wrong(parser.errorText());
  if (parser.isSet("help")) return Stop(HelpAnswer((parser.helpText() + kExitCodes).toStdString()));
  if (parser.isSet("version")) return Stop(VersionAnswer(kProgram));
  if (!parser.positionalArguments().isEmpty()) {
    return Wrong("unexpected argument " + parser.positionalArguments().first());
  }

  std::unique_ptr<QSettings> config;
  if (parser.isSet("config")) {
    const QString path = parser.value("config");
    if (!IsReadableFile(path)) {
      return Failed(kExitNoInput, "configuration file " + path + " cannot be read");
    }
    config = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (const std::optional<CommandLine> fault = CheckConfig(path, *config)) return *fault;
  }
  // The command line first, then the configuration file.
  auto setting = [&](const QString& name) -> std::optional<QString> {
    if (parser.isSet(name)) return parser.value(name);
    if (config && config->contains(name)) return config->value(name).toString();
    return std::nullopt;
  };

  ServiceSettings settings;
  settings.init = parser.isSet("init");
  if (const auto com = setting("com")) {
    const std::optional<int> number = WholeNumber(*com);
    if (!number || *number < 1 || *number > 4) {
      return Wrong("--com takes 1 to 4, not \"" + *com + "\"");
    }
    settings.portNumber = *number;
  }
  if (const auto port = setting("port")) settings.device = Local(*port);
  if (const auto sets = setting("sets")) {
    const std::optional<int> number = WholeNumber(*sets);
    if (!number || *number < 1) {
      return Wrong("--sets takes a whole number of at least 1, not \"" + *sets + "\"");
    }
    settings.sets = std::to_string(*number);
  }
  if (const auto interval = setting("interval")) settings.interval = interval->toStdString();
  const auto directory = setting("data-dir");
  for (const auto& path : {setting("port"), directory}) {
    if (path && IsOptionWord(path->toStdString())) return Wrong("\"" + *path + "\" is an option, not a path");
  }
  if (!directory || directory->isEmpty()) {
    return Wrong("no data directory given (--data-dir DIR)");
  }
  settings.dataDirectory = Local(QDir::cleanPath(QDir(*directory).absolutePath()));
  return {settings, "", kExitOk};
}

}  // namespace tally
