// SPDX-License-Identifier: GPL-3.0-or-later
// What the pages and dialogs reach through the main window: the session, the store, the
// settings, the status line, message boxes, modal dialogs and the window's own commands. The
// main window implements it; a page holds no protocol logic and no state of the window's.
#pragma once

#include <optional>
#include <string>

#include "base/message_box.h"
#include "export/viewing_pages.h"
#include "logbook/logbook_store.h"
#include "protocol/logger_session.h"
#include "serial/port_discovery.h"
#include "settings/settings.h"
#include "store/track_store.h"

class QDialog;

namespace tavrin::gui {

class IPageOwner {
 public:
  virtual ~IPageOwner() = default;

  virtual LoggerSession& Session() = 0;
  virtual TrackStore& Store() = 0;
  virtual const Settings& AppSettings() const = 0;
  virtual const PortDiscovery& Ports() const = 0;

  virtual void SetStatusText(const std::string& text) = 0;
  virtual MsgAnswer ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) = 0;
  // Runs a modal dialog; returns QDialog::Accepted or Rejected. Tests fill it in and answer.
  virtual int RunDialog(QDialog& dialog) = 0;

  // The folder of the program, which holds the KML icons.
  virtual std::string ProgramFolder() const = 0;
  // Opens an export in the program the desktop has for it (Google Earth for KML).
  virtual void OpenDocument(const std::string& path) = 0;
  // The pages written only to be shown in the window, which go when it closes.
  virtual ViewingPages& WindowPages() = 0;

  // Shows the Track Record page with the track file `path` listed by tracks and loaded, as a
  // double-click on its row does, and the point row at `pointUtc` (UTC seconds) selected.
  virtual void ShowTrackOnRecordPage(const std::string& path,
                                     std::optional<long long> pointUtc) = 0;

  // The drive logbook of the data folder, which the window keeps open so that it follows every
  // change of the tracks; nullptr when it cannot be used, and LogbookTrouble() says why.
  virtual logbook::LogbookStore* Logbook() = 0;
  virtual const std::string& LogbookTrouble() const = 0;
  // Asks the user for a name and a radius and keeps the position as a place of the logbook.
  virtual void NameThisPlace(double latitude, double longitude) = 0;

  virtual void OpenSoftwareOptions() = 0;
  virtual void OpenBypassDialog() = 0;

  // While set, the session's words that a read went well go to the status line only, not into
  // a box a user must close: for reads nobody asked for in person.
  virtual void QuietSuccessBoxes(bool quiet) = 0;
};

}  // namespace tavrin::gui
