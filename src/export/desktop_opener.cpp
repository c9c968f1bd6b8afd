// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/desktop_opener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace tavrin {

namespace {

// The kind of file as the desktop's settings name it, and programs that open it.
struct DocumentKind {
  const char* name;
  const char* programs;
};

DocumentKind KindOf(const std::string& path) {
  std::string ending = std::filesystem::path(path).extension().string();
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ending == ".kml") return {"KML files", "Google Earth or Marble"};
  if (ending == ".html" || ending == ".htm") return {"web pages", "a web browser"};
  if (ending == ".gpx") return {"GPX files", "Viking, QMapShack or GPXSee"};
  return {"text files", "a text editor"};
}

}  // namespace

OpenerOutcome OpenWithDesktop(const std::string& path) {
  const char* argv[] = {kDesktopOpener, path.c_str(), nullptr};
  pid_t pid = 0;
  OpenerOutcome outcome;
  outcome.startError = ::posix_spawnp(&pid, kDesktopOpener, nullptr, nullptr,
                                      const_cast<char* const*>(argv), environ);
  if (outcome.startError != 0) return outcome;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return outcome;
}

std::string OpenerFailureText(const std::string& path, const OpenerOutcome& outcome) {
  const DocumentKind kind = KindOf(path);
  const std::string start = "Could not open " + path + ": ";
  const std::string yourself =
      "or open the file yourself with a program for " + std::string(kind.name) + ".";
  if (outcome.startError == ENOENT) {
    return start +
           "xdg-open, which hands files to the desktop's programs, is not installed. Install "
           "xdg-utils, " +
           yourself;
  }
  if (outcome.startError != 0) {
    return start + "xdg-open could not be started (" + std::strerror(outcome.startError) +
           "). Check that xdg-utils is installed, " + yourself;
  }
  if (outcome.exitStatus == 3) {
    return start + "there is no program for " + kind.name +
           " on this computer. Install one, such as " + kind.programs + ", " + yourself;
  }
  return start + "the program for " + kind.name + " did not start (xdg-open ended with status " +
         std::to_string(outcome.exitStatus) +
         "). Check which program the desktop's settings choose for " + kind.name + ", " + yourself;
}

}  // namespace tavrin
