// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_host.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "wording/session_wording.h"

namespace tavrin::cli {
namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) {
  if (interrupted.exchange(true)) std::_Exit(130);
}

// Status texts carry CR LF for the window's status line; one line is enough here.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::string line;
  for (char c : text) {
    const bool lineEnd = c == '\r' || c == '\n';
    if (!lineEnd) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  return line;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() {
  return interrupted.load();
}

const std::atomic<bool>& InterruptFlag() {
  return interrupted;
}

void CliHost::SetStatusText(const std::string& text) {
  if (verbose_) {
    FinishProgress();
    std::cerr << OneLine(text) << "\n";
  }
}

void CliHost::SetProgress(int position) {
  if (position <= 0 || position > 1000) return;
  const int percent = position / 10;
  if (percent == lastShownProgress_ || progress_ == ProgressLines::Never) return;
  const bool terminal = ::isatty(STDERR_FILENO);
  if (!terminal && progress_ == ProgressLines::OnTerminal) return;
  if (terminal) {
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(kWidth - filled), ' ').c_str(), percent);
    std::fflush(stderr);
    progressLineOpen_ = true;
  } else if (percent / 10 != lastShownProgress_ / 10 || percent == 100) {
    std::fprintf(stderr, "progress %d%%\n", percent);
  }
  lastShownProgress_ = percent;
}

void CliHost::FinishProgress() {
  if (progressLineOpen_) std::fputc('\n', stderr);
  progressLineOpen_ = false;
  lastShownProgress_ = -1;
}

MsgAnswer CliHost::ShowMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  const std::string line = OneLine(text);
  if (buttons != MsgButtons::Ok) {
    const bool yes = answerYes_;
    if (buttons == MsgButtons::YesNo) return yes ? MsgAnswer::Yes : MsgAnswer::No;
    return yes ? MsgAnswer::Ok : MsgAnswer::Cancel;
  }
  // Closing boxes such as "Read Done." say nothing a script needs; warnings and errors do.
  const bool worthSaying = icon == MsgIcon::Error || line.size() > 20;
  if (worthSaying || verbose_) {
    FinishProgress();
    std::cerr << "tavrin: " << (icon == MsgIcon::Error ? "error: " : "") << line << "\n";
  }
  return MsgAnswer::Ok;
}

// The status line (shown with --verbose) before the box, in the window's order.
void CliHost::Report(const SessionReport& report) {
  // A stop on the command line is the user's Ctrl-C, which the command words itself.
  if (report.kind == SessionReportKind::ReadStoppedByUser) return;
  const std::string text = SessionReportText(report);
  if (report.OnStatusLine()) SetStatusText(text);
  if (report.InBox()) ShowMessage(text, report.icon, MsgButtons::Ok);
}

std::optional<OperationEnd> CliHost::Ended(Operation operation, size_t since) const {
  for (size_t i = ended_.size(); i > since; --i) {
    if (ended_[i - 1].operation == operation) return ended_[i - 1];
  }
  return std::nullopt;
}

void CliHost::StartTimer(SessionTimer timer, int milliseconds) {
  loop_.StartTimer(static_cast<int>(timer), std::chrono::milliseconds(milliseconds), [this, timer] {
    if (session_) session_->OnTimer(timer);
  });
}

void CliHost::StopTimer(SessionTimer timer) {
  loop_.StopTimer(static_cast<int>(timer));
}

void CliHost::TouchActivity() {
  lastActivity_.store(std::chrono::steady_clock::now().time_since_epoch().count());
}

void CliHost::PostDataArrived() {
  TouchActivity();
  loop_.Post([this] {
    if (session_) session_->OnDataArrived();
  });
}

void CliHost::PostConnectionLost() {
  loop_.Post([this] {
    if (session_) session_->OnConnectionLost();
  });
}

CliHost::Wait CliHost::RunUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds silence) {
  TouchActivity();
  constexpr auto kSlice = std::chrono::milliseconds(100);
  while (true) {
    if (loop_.RunUntil(done, kSlice)) return Wait::Done;
    if (Interrupted()) return Wait::Interrupted;
    const auto last = std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(lastActivity_.load()));
    if (std::chrono::steady_clock::now() - last > silence) return Wait::Silent;
  }
}

}  // namespace tavrin::cli
