// SPDX-License-Identifier: GPL-3.0-or-later
// The window hands an export to the desktop's program through xdg-open; here xdg-open is a
// stand-in on PATH that records the file and ends with the status it is given, or is missing.
#include <QCheckBox>
#include <QProcess>
#include <QRadioButton>
#include <QTabWidget>
#include <fstream>

#include "gui/records/track_record_page.h"
#include "window_fixture.h"

namespace tavrin::test {
namespace {

class OpenOnTheDesktop : public WindowTest {
 protected:
  OpenOnTheDesktop() : WindowTest([](gui::WindowSetup& setup) { setup.openDocument = nullptr; }) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < 5; ++i) points.push_back(Point(24, 5, 1, 8, 0, i));
    WriteTrackFile(dir / "DataLog/20240501_080000.bt0", Header(points[0], 5, 4, 0), points);
    std::filesystem::create_directories(stubs);
    std::filesystem::create_directories(dir.Path() / "empty");
    std::ofstream(stubs / "xdg-open") << "#!/bin/sh\necho \"$1\" >> " << (dir / "opened")
                                      << "\nexit $(/bin/cat " << (dir / "status") << ")\n";
    std::filesystem::permissions(stubs / "xdg-open", std::filesystem::perms::owner_all);
    savedPath = qgetenv("PATH");
    gui.Find<QTabWidget>("tabs")->setCurrentIndex(1);
    gui.Find<QRadioButton>("byTracks")->click();
    auto* all = gui.Find<QCheckBox>("selectAllTracks");
    if (!all->isChecked()) all->click();
    gui.window->RecordTab()->RecordList().SetTicked(0, true);
  }
  ~OpenOnTheDesktop() override { qputenv("PATH", savedPath); }

  // Exports the ticked track as KML with xdg-open looked up on `path`, ending with `status`, and
  // waits until xdg-open has ended.
  void ExportKml(const std::filesystem::path& path, int status) {
    std::ofstream(dir / "status") << status << "\n";
    qputenv("PATH", QByteArray::fromStdString(path.string()));
    gui.boxes.clear();
    ASSERT_TRUE(gui.Press("exportKml"));
    ASSERT_TRUE(gui.WaitFor([this] { return gui.window->findChildren<QProcess*>().empty(); }));
  }
  std::string Opened() const {
    std::ifstream in(dir / "opened");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  const std::filesystem::path stubs = dir.Path() / "stubs";
  QByteArray savedPath;
};

TEST_F(OpenOnTheDesktop, AFileThatNoProgramTakesIsToldOfWithWhatIsMissing) {
  const std::string kml = dir / "DataLog/KML/20240501_080000.kml";
  ExportKml(stubs, 0);
  EXPECT_EQ(Opened(), kml + "\n");
  EXPECT_TRUE(gui.boxes.empty()) << gui.boxes.front().text;

  ExportKml(stubs, 3);
  ASSERT_EQ(gui.boxes.size(), 1u);
  EXPECT_EQ(gui.boxes[0].text, "Could not open " + kml +
                                   ": there is no program for KML files on this computer. "
                                   "Install one, such as Google Earth or Marble, or open the file "
                                   "yourself with a program for KML files.");
  EXPECT_EQ(gui.boxes[0].icon, MsgIcon::Warning);

  ExportKml(dir.Path() / "empty", 0);
  ASSERT_EQ(gui.boxes.size(), 1u);
  EXPECT_NE(gui.boxes[0].text.find(": xdg-open, which hands files to the desktop's programs, is "
                                   "not installed. Install xdg-utils"),
            std::string::npos)
      << gui.boxes[0].text;
  EXPECT_TRUE(std::filesystem::exists(kml)) << "the file is written all the same";
}

}  // namespace
}  // namespace tavrin::test
