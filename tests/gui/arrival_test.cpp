// SPDX-License-Identifier: GPL-3.0-or-later
// "Read new tracks when the logger is plugged in": ticked in Software Options, a logger that
// appears is connected, read and disconnected without a click; nothing happens while the user
// is connected, a logger the watcher has claimed is left to it, and a logger still scanning its
// memory is tried again until it is ready.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <chrono>
#include <fstream>
#include <sstream>

#include "serial/port_claim.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

class ReadOnArrival : public WindowTest {
 protected:
  ReadOnArrival() : full(memory) {
    // The logger plugged in later, ttyACM1, is the emulated one when the window opens it.
    gui.window->Session().SetLinkOpener(
        [this](const std::string& device, uint32_t) -> Result<std::unique_ptr<ILoggerLink>> {
          auto fresh = std::make_unique<emulator::EmulatorLink>(memory, options, device);
          link = fresh.get();
          return std::unique_ptr<ILoggerLink>(std::move(fresh));
        });
    // Ticked as a user ticks it.
    gui.fillDialog = [](QDialog& dialog) {
      dialog.findChild<QCheckBox*>("readOnArrival")->setChecked(true);
      dialog.findChild<QPushButton*>("ok")->click();
      return dialog.result();
    };
    EXPECT_TRUE(gui.Press("softwareOptions"));
    gui.fillDialog = nullptr;
  }

  std::string SettingsText() const {
    std::ifstream in(dir.Path() / "TVR.ini");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string Arriving() const { return (ports.dir.Path() / "dev" / "ttyACM1").string(); }

  const emulator::LoggerMemory full;  // the logger's memory before any read
};

TEST_F(ReadOnArrival, ALoggerPluggedInIsReadWithoutAClick) {
  ASSERT_TRUE(gui.window->AppSettings().readOnArrival);
  EXPECT_NE(SettingsText().find("ReadOnArrival=1"), std::string::npos) << SettingsText();
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return TrackFiles().size() == 5 && !Session().IsConnected();
  })) << gui.window->StatusText().toStdString();
  EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Read 5 new tracks, 3,000 points from " + Arriving() + "; disconnected.");
  // Plugged in again, as the logger it is now (its tracks read): nothing is read twice.
  memory = full;
  memory.newFrom = memory.points.size();
  ports.Unplug("ttyACM1");
  GuiDriver::WaitFor([] { return false; }, 300);
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return gui.window->StatusText().contains("No new tracks on the logger");
  })) << gui.window->StatusText().toStdString();
  EXPECT_EQ(TrackFiles().size(), 5u);
}

TEST_F(ReadOnArrival, ALoggerStillScanningItsMemoryIsReadOnceItIsReady) {
  // At the first look the logger is still scanning; by the next it is done.
  int opened = 0;
  gui.window->Session().SetLinkOpener(
      [this, &opened](const std::string& device, uint32_t) -> Result<std::unique_ptr<ILoggerLink>> {
        emulator::EmulatorOptions now = options;
        if (opened++ == 0) now.scanning = std::chrono::hours(1);
        auto fresh = std::make_unique<emulator::EmulatorLink>(memory, now, device);
        link = fresh.get();
        return std::unique_ptr<ILoggerLink>(std::move(fresh));
      });
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return gui.window->StatusText().contains("is not ready yet; it is tried again in 3 s");
  })) << gui.window->StatusText().toStdString();
  EXPECT_TRUE(TrackFiles().empty());
  EXPECT_FALSE(Session().IsConnected());
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return TrackFiles().size() == 5 && !Session().IsConnected();
  })) << gui.window->StatusText().toStdString();
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;
  EXPECT_EQ(gui.window->StatusText().toStdString(),
            "Read 5 new tracks, 3,000 points from " + Arriving() + "; disconnected.");
}

TEST_F(ReadOnArrival, NothingHappensWhileTheUserIsConnectedOrTheWatcherHasTheLogger) {
  ConnectAndReadOptions();  // to another logger
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  GuiDriver::WaitFor([] { return false; }, 600);
  EXPECT_TRUE(TrackFiles().empty());
  EXPECT_TRUE(Session().IsConnected());
  EXPECT_EQ(gui.Find<QComboBox>("portList")->currentText(), "emulated");
  ASSERT_TRUE(gui.Press("connect"));  // disconnected

  ports.Unplug("ttyACM1");
  GuiDriver::WaitFor([] { return false; }, 300);
  std::string heldBy;
  const auto watcher = PortClaim::Take(Arriving(), "the watcher", heldBy);
  ASSERT_TRUE(watcher);
  ports.AddUsbTty("ttyACM1", "1-3", "0e8d", "3329");
  ASSERT_TRUE(GuiDriver::WaitFor([&] {
    return gui.window->StatusText().contains("is read by the watcher");
  })) << gui.window->StatusText().toStdString();
  EXPECT_FALSE(Session().IsConnected());
  EXPECT_TRUE(TrackFiles().empty());
}

}  // namespace
}  // namespace tavrin::test
