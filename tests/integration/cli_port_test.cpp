// SPDX-License-Identifier: GPL-3.0-or-later
// The tavrin command on a port whose other end is a plain pseudo-terminal: what leaves the
// machine when a command is written just before the port is closed.
#include <gtest/gtest.h>

#include <fstream>

#include "../support/program_run.h"
#include "../support/pty_pair.h"
#include "protocol/nmea.h"
#include "test_support.h"

namespace tavrin {
namespace {

TEST(CliPort, TheLastCommandLeavesWholeBeforeThePortCloses) {
  test::TempDir dir;
  std::ofstream(dir / "TVR.ini") << "[MAIN]\r\nLocalTimeOffset=0\r\n";
  const struct {
    const char* command;
    std::vector<std::string> extra;
    std::string sentence;
  } cases[] = {
      {"stop", {}, MakeSentence("PSRF203,0")},
      {"bypass", {std::string(60, 'B')}, MakeSentence("PSRF201,1," + std::string(60, 'B'))},
  };
  for (const auto& c : cases) {
    // A logger that has not taken in earlier output yet, more than the line holds ready for it:
    // the command waits in the line's output queue when tavrin closes the port, as it does on a
    // slow serial line.
    test::PtyPair logger;
    logger.WriteFromHost(std::string(8000, 'x'));
    std::vector<std::string> argv = {TAVRIN_CLI, "--data",          dir / "DataLog",
                                     "--config", dir / "TVR.ini",   c.command,
                                     "--port",   logger.SlavePath()};
    argv.insert(argv.end(), c.extra.begin(), c.extra.end());
    const auto run = test::RunProgram(argv, dir.Path());
    EXPECT_EQ(run.exitCode, 0) << c.command << ": " << run.err;
    // Opening the port may drop earlier output still queued; the command must arrive whole.
    const std::string received = logger.Read();
    EXPECT_TRUE(received.ends_with(c.sentence))
        << c.command << ": " << received.size() << " bytes ending in "
        << received.substr(received.size() > 20 ? received.size() - 20 : 0);
    EXPECT_EQ(received.find_first_not_of('x'), received.size() - c.sentence.size());
  }
}

}  // namespace
}  // namespace tavrin
