// What every tavrin command shares: the folders, the settings and the track store.
#pragma once

#include <string>

#include "app/settings.h"
#include "store/track_store.h"

namespace tavrin::cli {

enum ExitCode {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,
  kExitDamaged = 3,  // a read finished, but items were damaged on the line: read again
};

struct GlobalOptions {
  std::string dataFolder;    // empty: the program's data folder
  std::string settingsFile;  // empty: the program's TVR.ini
  std::string tracePath;     // empty: no byte trace
  bool verbose = false;
};

// Messages of the core go to stderr, one line each; questions are never asked here.
MessageBoxFn StderrMessages();

class CliContext {
 public:
  explicit CliContext(const GlobalOptions& options);
  // False (with a reason on stderr) when the data folder cannot be made.
  bool Prepare();
  CTrackStore& Store() { return store_; }
  const Settings& GetSettings() const { return settings_; }

 private:
  std::string dataFolder_;
  Settings settings_;
  CTrackStore store_;
};

}  // namespace tavrin::cli
