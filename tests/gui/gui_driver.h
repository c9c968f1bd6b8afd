// SPDX-License-Identifier: GPL-3.0-or-later
// Drives a real main window the way a user would: buttons pressed by object name, message boxes
// answered through the window's message-box function, modal dialogs handed to a function that
// fills them in, and waits that end when the session reports an operation's end. Used by the
// GUI tests, the screenshot tool and the GUI benchmark.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "gui/common/widget_helpers.h"
#include "gui/window/main_window.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tavrin::test {

class GuiDriver {
 public:
  struct Box {
    std::string text;
    MsgIcon icon;
    MsgButtons buttons;
  };

  // A window over `paths` with these ports; boxes are recorded and answered with `answer`.
  // `adjust` changes the rest of the setup before the window is made.
  explicit GuiDriver(AppPaths paths, std::optional<PortDiscovery> ports = std::nullopt,
                     const std::function<void(gui::WindowSetup&)>& adjust = nullptr) {
    gui::WindowSetup setup;
    setup.paths = std::move(paths);
    setup.ports = std::move(ports);
    setup.messageBox = [this](const std::string& text, MsgIcon icon, MsgButtons buttons) {
      boxes.push_back({text, icon, buttons});
      if (whileBoxShown) whileBoxShown();
      return buttons == MsgButtons::YesNo      ? (yes ? MsgAnswer::Yes : MsgAnswer::No)
             : buttons == MsgButtons::OkCancel ? (yes ? MsgAnswer::Ok : MsgAnswer::Cancel)
                                               : MsgAnswer::Ok;
    };
    setup.runDialog = [this](QDialog& dialog) {
      ++dialogsRun;
      return fillDialog ? fillDialog(dialog) : static_cast<int>(QDialog::Rejected);
    };
    setup.askPeriod = [this] { return period; };
    setup.openDocument = [this](const std::string& path) { opened.push_back(path); };
    setup.portCheckMs = 100;
    if (adjust) adjust(setup);
    window = std::make_unique<gui::MainWindow>(std::move(setup));
    QObject::connect(&window->Host(), &gui::QtSessionHost::operationEnded,
                     [this](const OperationEnd& end) { ends.push_back(end); });
  }

  template <typename Widget = QWidget>
  Widget* Find(const char* objectName) const {
    return window->findChild<Widget*>(QString::fromUtf8(objectName));
  }
  // Presses the button as a mouse click would: the first of that name on the shown page that
  // can be pressed. False when there is none.
  bool Press(const char* objectName) {
    for (QPushButton* button : window->findChildren<QPushButton*>(QString::fromUtf8(objectName))) {
      if (button->isEnabled() && button->isVisibleTo(window.get())) {
        button->click();
        return true;
      }
    }
    return false;
  }
  // The caption of the button as the user reads it, without the mark of its Alt+letter.
  QString Caption(const char* objectName) const {
    auto* button = Find<QAbstractButton>(objectName);
    return button != nullptr ? gui::ShownText(button->text())
                             : QStringLiteral("<no button %1>").arg(objectName);
  }
  // Chooses the port entry that names `port`, adding it when the list lacks it.
  void ChoosePort(const QString& port) {
    QComboBox* list = Find<QComboBox>("portList");
    int index = list->findText(port);
    if (index < 0) index = list->findText(QLatin1Char(' ') + port);
    if (index < 0) {
      list->addItem(port);
      index = list->count() - 1;
    }
    list->setCurrentIndex(index);
  }

  // Runs events until `done` or `ms` passed.
  static bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
      if (waited.elapsed() > ms) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QTest::qWait(1);
    }
    return true;
  }
  // What a script run in the page of `view` returns; an invalid value when no answer came
  // within `ms`.
  static QVariant RunPageScript(QWebEngineView& view, const QString& script, int ms = 10000) {
    QVariant result;
    bool answered = false;
    view.page()->runJavaScript(script, [&](const QVariant& v) {
      result = v;
      answered = true;
    });
    WaitFor([&] { return answered; }, ms);
    return result;
  }
  // Waits for the next end of `operation` after the `since`-th end.
  std::optional<OperationEnd> WaitForEnd(Operation operation, size_t since, int ms = 20000) {
    std::optional<OperationEnd> found;
    WaitFor(
        [&] {
          for (size_t i = since; i < ends.size(); ++i) {
            if (ends[i].operation == operation) found = ends[i];
          }
          return found.has_value();
        },
        ms);
    return found;
  }
  // Presses `button` and waits for its operation to end.
  std::optional<OperationEnd> PressAndWait(const char* button, Operation operation,
                                           int ms = 20000) {
    const size_t since = ends.size();
    if (!Press(button)) return std::nullopt;
    return WaitForEnd(operation, since, ms);
  }
  bool SawBox(const std::string& text) const {
    for (const Box& box : boxes) {
      if (box.text == text) return true;
    }
    return false;
  }

  // The window goes first: closing it ends what is still pending (an information request that
  // Connect sent, say), and those ends and boxes are recorded in the members below.
  ~GuiDriver() { window.reset(); }

  std::unique_ptr<gui::MainWindow> window;
  std::vector<Box> boxes;
  std::vector<OperationEnd> ends;
  bool yes = true;  // the answer to questions
  // Runs while a box is "shown": a real box runs an event loop of its own meanwhile.
  std::function<void()> whileBoxShown;
  std::function<int(QDialog&)> fillDialog;
  int dialogsRun = 0;
  std::optional<ReadPeriod> period;
  std::vector<std::string> opened;  // documents the window asked the desktop to open
};

}  // namespace tavrin::test
