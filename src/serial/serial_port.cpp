// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace tavrin {
namespace {

constexpr size_t kReadChunk = 4096;
constexpr int kWriteStallMs = 2000;
constexpr int kFullQueueRetryMs = 2;
// Long enough for a few sentences at 4800 baud (about 0.12 s each), short enough that closing a
// port whose line is held up does not seem to hang.
constexpr auto kDrainLimit = std::chrono::milliseconds(1500);
constexpr auto kDrainPollStep = std::chrono::milliseconds(2);

}  // namespace

std::string PortOpenFailureText(const std::string& device, int error) {
  const std::string what = "Cannot open " + device + ": ";
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return what +
             "no such device. Check that the logger is plugged in and choose its port again.";
    case EACCES:
    case EPERM:
      return what +
             "permission denied. Install Tavrin Lite's package, whose udev rule "
             "(/usr/lib/udev/rules.d/70-tavrin-lite.rules) lets the logged-in user open the "
             "logger's USB port, then plug the logger in again; or add your user to the group "
             "that owns the device (usually dialout) with 'sudo usermod -aG dialout $USER' and "
             "log in again.";
    case EBUSY:
    case EWOULDBLOCK:
      return what + "the port is busy. Close the other program that uses it and try again.";
    default:
      return what + std::strerror(error) + ".";
  }
}

namespace {

Failure OpenFailure(const std::string& device, int error) {
  return Failure{PortOpenFailureText(device, error), error};
}

bool Configure(int fd, unsigned speed) {
  termios tty{};
  if (::tcgetattr(fd, &tty) != 0) return false;
  ::cfmakeraw(&tty);
  tty.c_cflag |= CLOCAL | CREAD | CS8;
  tty.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
  tty.c_iflag &= ~(IXON | IXOFF | IXANY);
  tty.c_cc[VMIN] = 0;
  tty.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tty, speed) != 0 || ::cfsetospeed(&tty, speed) != 0) return false;
  if (::tcsetattr(fd, TCSANOW, &tty) != 0) return false;
  // Stale bytes coming in are dropped; bytes going out are not: they may be the last command of
  // the program that had the port before (an acknowledgement, the note groups), still on their
  // way. On a pseudo-terminal an output flush throws away what the other side has not taken yet,
  // and under load that lost the end of the previous run.
  ::tcflush(fd, TCIFLUSH);
  return true;
}

// Waits until the device has sent what was written to it, or the limit has passed. tcdrain would
// wait without a limit (forever on a line held up by flow control); the output queue's count
// can be watched instead. Whatever is still queued at the limit is dropped, so that close does
// not wait out the driver's own closing time of up to 30 s.
void DrainOutput(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
  int queued = 0;
  while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::tcflush(fd, TCOFLUSH);
      return;
    }
    std::this_thread::sleep_for(kDrainPollStep);
  }
}

}  // namespace

std::optional<unsigned> SerialPort::SpeedFor(uint32_t baud) {
  switch (baud) {
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return std::nullopt;
  }
}

SerialPort::~SerialPort() {
  Close();
}

Result<std::unique_ptr<SerialPort>> SerialPort::OpenLink(const std::string& device, uint32_t baud) {
  auto port = std::make_unique<SerialPort>();
  if (auto opened = port->Open(device, baud); !opened) return opened.Error();
  return port;
}

Result<void> SerialPort::Open(const std::string& device, uint32_t baud) {
  Close();
  const auto speed = SpeedFor(baud);
  if (!speed) {
    return Failure{
        "Cannot open " + device + " at " + std::to_string(baud) +
        " baud: the rate is not supported. Use 4800-115200 for a serial port, 230400 for USB."};
  }
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return OpenFailure(device, errno);
  // Not shared: a second program on the same port would steal the logger's answers.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return OpenFailure(device, error);
  }
  if (!Configure(fd, *speed)) {
    const int error = errno;
    ::close(fd);
    if (error == ENOTTY || error == EINVAL) {
      return Failure{
          "Cannot open " + device + ": it is not a serial port. Choose the logger's port.", error};
    }
    return OpenFailure(device, error);
  }
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    const int error = errno;
    ::close(fd);
    return OpenFailure(device, error);
  }
  fd_ = fd;
  device_ = device;
  baud_ = baud;
  queue_.Reset();
  announced_ = false;
  bytesReceived_ = 0;
  return {};
}

void SerialPort::Start(Events events) {
  if (fd_ < 0 || watcher_.joinable()) return;
  events_ = std::move(events);
  watcher_ = std::thread(&SerialPort::Watch, this);
}

bool SerialPort::Close() {
  if (fd_ < 0) return false;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
  if (watcher_.joinable()) watcher_.join();
  // The last command (stop, set options) is often written just before the port is closed: it
  // must leave whole. Only what arrived unread is dropped.
  DrainOutput(fd_);
  ::tcflush(fd_, TCIFLUSH);
  ::close(fd_);
  ::close(wakeFd_);
  fd_ = wakeFd_ = -1;
  return true;
}

size_t SerialPort::Write(const uint8_t* data, size_t length) {
  if (fd_ < 0) return 0;
  size_t done = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteStallMs);
  while (done < length) {
    const ssize_t n = ::write(fd_, data + done, length - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd_, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left.count()));
  }
  if (ByteTrace* trace = trace_.load(); trace && done > 0) {
    trace->Record(ByteTrace::kSent, data, done);
  }
  return done;
}

void SerialPort::AcknowledgeDataArrived() {
  announced_.store(false);
  // The flag must be clear before the consumer looks at the queue, or bytes put in between
  // would go unannounced.
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

void SerialPort::Announce() {
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (!announced_.exchange(true) && events_.dataArrived) events_.dataArrived();
}

void SerialPort::Watch() {
  uint8_t buffer[kReadChunk];
  while (true) {
    // Read only what fits: when the session falls behind, the bytes wait in the driver (and the
    // logger waits for its acknowledgement) instead of being dropped.
    const int32_t room = queue_.FreeSpace() - 1;
    pollfd fds[2] = {{fd_, static_cast<short>(room > 0 ? POLLIN : 0), 0}, {wakeFd_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, room > 0 ? -1 : kFullQueueRetryMs);
    if (ready < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) return;  // closing
    if (room <= 0) continue;
    const bool hungUp = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    if ((fds[0].revents & POLLIN) || hungUp) {
      const size_t want = std::min(kReadChunk, static_cast<size_t>(room));
      const ssize_t n = ::read(fd_, buffer, want);
      if (n > 0) {
        if (ByteTrace* trace = trace_.load()) {
          trace->Record(ByteTrace::kReceived, buffer, static_cast<size_t>(n));
        }
        queue_.PutChunk(buffer, static_cast<size_t>(n));
        bytesReceived_.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
        Announce();
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR) && !hungUp) continue;
      break;  // end of file, an I/O error or a hang-up with nothing left to read
    }
  }
  if (events_.hungUp) events_.hungUp();
}

}  // namespace tavrin
