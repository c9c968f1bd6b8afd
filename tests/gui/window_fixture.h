// SPDX-License-Identifier: GPL-3.0-or-later
// A main window over a temporary data folder and a fake computer's ports, with the emulated
// logger reachable in the same process under the port name "emulated".
#pragma once

#include <gtest/gtest.h>

#include <QTimer>

#include "../support/fake_system.h"
#include "../support/sample_memory.h"
#include "emulator/emulator_link.h"
#include "gui_driver.h"
#include "logbook/logbook_store.h"

namespace tavrin::test {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : WindowTest(nullptr) {}
  // `adjust` changes the window's setup before the window is made.
  explicit WindowTest(const std::function<void(gui::WindowSetup&)>& adjust)
      : gui(Paths(dir), ports.Discovery(), adjust) {
    QObject::connect(&poll, &QTimer::timeout, [this] {
      if (link != nullptr && link->IsOpen()) link->Poll();
    });
    poll.start(2);
    gui.window->Session().SetLinkOpener(
        [this](const std::string& device, uint32_t baud) -> Result<std::unique_ptr<ILoggerLink>> {
          if (device != "emulated") return OpenSerialLink(device, baud);
          auto fresh = std::make_unique<emulator::EmulatorLink>(memory, options, "emulated");
          link = fresh.get();
          return std::unique_ptr<ILoggerLink>(std::move(fresh));
        });
    QObject::connect(&gui.window->Host(), &gui::QtSessionHost::progress,
                     [this](int position) { progress.push_back(position); });
  }

 public:
  // A program folder, a data folder and a settings file in `dir`.
  static AppPaths Paths(const TempDir& dir) {
    AppPaths paths;
    paths.programFolder = dir.Path();
    paths.dataFolder = dir.Path() / "DataLog";
    paths.settingsFile = dir.Path() / "TVR.ini";
    return paths;
  }

 protected:
  LoggerSession& Session() { return gui.window->Session(); }
  // Connects to the emulated logger and reads its information.
  void ConnectAndReadOptions() {
    gui.ChoosePort("emulated");
    ASSERT_TRUE(gui.Press("connect"));
    ASSERT_TRUE(Session().IsConnected()) << (gui.boxes.empty() ? "" : gui.boxes.back().text);
    const auto info = gui.PressAndWait("readOptions", Operation::Info);
    ASSERT_TRUE(info && info->outcome == Outcome::Done);
  }
  QString Text(const char* field) const {
    if (auto* edit = gui.Find<QLineEdit>(field)) return edit->text();
    if (auto* list = gui.Find<QComboBox>(field)) return list->currentText();
    return QStringLiteral("<no field %1>").arg(field);
  }
  std::vector<std::filesystem::path> TrackFiles() const {
    std::vector<std::filesystem::path> files;
    // Files only: the export folders (KML holds the map pages) and the window's logbook
    // (logbook.sqlite and its journal) sit beside the tracks.
    for (const auto& item : std::filesystem::directory_iterator(dir.Path() / "DataLog")) {
      const bool logbook = item.path().filename().string().starts_with(logbook::kLogbookFileName);
      if (!item.is_directory() && !logbook) files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  TempDir dir;
  FakeSystem ports;
  emulator::LoggerMemory memory = SampleMemory();
  emulator::EmulatorOptions options;
  GuiDriver gui;
  emulator::EmulatorLink* link = nullptr;  // owned by the session
  QTimer poll;
  std::vector<int> progress;
};

}  // namespace tavrin::test
