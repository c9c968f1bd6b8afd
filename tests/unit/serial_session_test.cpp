// SPDX-License-Identifier: GPL-3.0-or-later
// The session over a serial port: a real pseudo-terminal, with the test playing the logger on
// the master side and the port's watch thread delivering what arrives.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "../support/pty_pair.h"
#include "../support/session_test_host.h"
#include "protocol/frames.h"
#include "protocol/logger_session.h"
#include "protocol/nmea.h"
#include "serial/serial_port.h"
#include "test_support.h"

namespace tavrin {
namespace {

using test::Point;

class SerialSession : public ::testing::Test {
 protected:
  SerialSession() : store(storeMessages.Fn()), session(host, store) {
    EXPECT_TRUE(store.PrepareDataFolder(dir.Path()));
    host.session = &session;
    session.SetPort(pty.SlavePath(), 115200);
    EXPECT_TRUE(session.Connect()) << session.OpenError();
  }

  test::TempDir dir;
  test::MessageLog storeMessages;
  test::PtyPair pty;
  test::SessionTestHost host;
  TrackStore store;
  LoggerSession session;
};

TEST_F(SerialSession, CommandsAndAnswersCrossThePort) {
  session.SendCommand(Command::GetInfo);
  EXPECT_EQ(pty.Read(), "$PSRF202,1,0,0,0,0,0*26\r\n");
  pty.Write(MakeSentence("GPBT,AB1,CD,,,0,0,12,1,100,16,5,6,1000,200"));
  ASSERT_TRUE(host.RunUntil([&] { return host.Ended(Operation::Info).has_value(); }));
  EXPECT_EQ(host.Ended(Operation::Info)->outcome, Outcome::Done);
  EXPECT_EQ(session.DeviceInfo().usedPoints, 1000u);
  EXPECT_EQ(session.PortDevice(), pty.SlavePath());
}

TEST_F(SerialSession, TheTraceRecordsBothDirectionsInHex) {
  const std::string path = dir / "trace.txt";
  auto opened = ByteTrace::Open(path);
  ASSERT_TRUE(opened);
  std::unique_ptr<ByteTrace> trace = std::move(*opened);
  session.SetTrace(trace.get());
  session.SendCommand(Command::Stop);
  pty.Write(MakeSentence("PSRF200,9,0"));
  host.RunUntil([&] { return !host.statuses.empty() && host.statuses.back().starts_with("<<<"); });
  session.SetTrace(nullptr);
  trace.reset();
  const auto bytes = test::ReadBytes(path);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find(" > 24 50 53 52 46 32 30 33 2C 30 2A 33 41 0D 0A\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find(" < 24 50 53 52 46 32 30 30 2C 39"), std::string::npos) << text;
}

TEST_F(SerialSession, AHangUpKeepsEveryPointReceived) {
  session.SendCommand(Command::ReadAllBinary);
  pty.Read();
  pty.Write(MakeSentence("PSRF200,1,1,010124,100000,3,4"));
  std::string points;
  for (int s = 0; s < 3; ++s) {
    const auto frame = EncodePointFrame(Point(24, 1, 1, 10, 0, s));
    points.append(frame.begin(), frame.end());
  }
  pty.Write(points);
  host.RunUntil([&] { return session.ReceivedCount() == 3; });
  pty.CloseMaster();
  ASSERT_TRUE(host.RunUntil([&] { return host.connectionsLost > 0; }));
  EXPECT_FALSE(session.IsConnected());
  EXPECT_EQ(host.images.back(), ConnectionImage::Disconnected);
  EXPECT_NE(host.messages.back().text.find("3 points received"), std::string::npos);
  ASSERT_TRUE(host.Ended(Operation::Read));
  EXPECT_EQ(host.Ended(Operation::Read)->outcome, Outcome::ConnectionLost);
  EXPECT_EQ(host.Ended(Operation::Read)->points, 3u);
}

TEST_F(SerialSession, APortThatCannotBeOpenedSaysWhy) {
  LoggerSession other(host, store);
  other.SetPort("/dev/does-not-exist", 115200);
  EXPECT_FALSE(other.Connect());
  EXPECT_NE(other.OpenError().find("no such device"), std::string::npos);
  other.SetPort(pty.SlavePath(), 115200);
  EXPECT_FALSE(other.Connect());  // the first session holds it
  EXPECT_NE(other.OpenError().find("busy"), std::string::npos);
  other.SetPort((dir / "plain-file"), 115200);
  std::ofstream(dir / "plain-file") << "x";
  EXPECT_FALSE(other.Connect());
  EXPECT_NE(other.OpenError().find("not a serial port"), std::string::npos);
  other.SetPort(pty.SlavePath(), 1234);
  EXPECT_FALSE(other.Connect());
  EXPECT_NE(other.OpenError().find("rate is not supported"), std::string::npos);
  EXPECT_FALSE(other.IsConnected());
}

TEST(PortOpenFailure, PermissionDeniedNamesTheUdevRuleAndTheGroup) {
  const std::string text = PortOpenFailureText("/dev/ttyACM0", EACCES);
  EXPECT_EQ(text.rfind("Cannot open /dev/ttyACM0: permission denied.", 0), 0u) << text;
  EXPECT_NE(text.find("/usr/lib/udev/rules.d/70-tavrin-lite.rules"), std::string::npos);
  EXPECT_NE(text.find("sudo usermod -aG dialout $USER"), std::string::npos);
}

}  // namespace
}  // namespace tavrin
