// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/demo_memory.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace tavrin::emulator {

namespace {

constexpr double kCenterLat = 37.5665, kCenterLon = 126.9780;  // Seoul city hall
constexpr double kMetresPerDegree = 111120.0;

// std::mt19937's sequence is fixed by the standard; the library's distributions are not, so the
// scaling is done here to keep the demo the same everywhere.
class Dice {
 public:
  explicit Dice(uint32_t seed) : engine_(seed) {}
  double Uniform(double low, double high) {
    return low + (high - low) * (engine_() / 4294967296.0);
  }
  int Between(int low, int high) { return low + static_cast<int>(engine_() % (high - low + 1)); }
  bool Chance(double p) { return Uniform(0, 1) < p; }

 private:
  std::mt19937 engine_;
};

struct Drive {
  int day, hour, minute, seconds;
};

// Three days of drives: morning, midday and evening trips of 6 to 14 minutes.
constexpr Drive kDrives[] = {{1, 8, 5, 720},  {1, 12, 40, 460}, {1, 18, 15, 810},  // day 1
                             {2, 7, 55, 640}, {2, 19, 2, 560},                     // day 2
                             {3, 8, 10, 700}, {3, 10, 30, 380}, {3, 15, 45, 520},
                             {3, 21, 5, 600}};  // day 3
constexpr int kFirstNewDay = 3;

// Moves a vehicle through city streets one second at a time: it speeds up and slows down,
// waits at lights, turns at crossings and stays within a few kilometres of the centre.
class Vehicle {
 public:
  Vehicle(Dice& dice, double lat, double lon) : dice_(dice), lat_(lat), lon_(lon) {
    heading_ = dice_.Between(0, 3) * 90.0 + dice_.Uniform(-10, 10);
  }

  void Step(int secondsLeft) {
    UpdateTarget(secondsLeft);
    const double change = std::clamp(target_ - speed_, -5.0, 3.0);
    speed_ = std::max(0.0, speed_ + change + (speed_ > 5 ? dice_.Uniform(-0.8, 0.8) : 0.0));
    Steer();
    const double metres = speed_ / 3.6;
    const double rad = heading_ * std::numbers::pi / 180.0;
    lat_ += metres * std::cos(rad) / kMetresPerDegree;
    lon_ += metres * std::sin(rad) / (kMetresPerDegree * std::cos(lat_ * std::numbers::pi / 180.0));
  }

  double Lat() const { return lat_; }
  double Lon() const { return lon_; }
  int Speed() const { return static_cast<int>(std::lround(speed_)); }
  int Heading() const { return (static_cast<int>(std::lround(heading_)) % 360 + 360) % 360; }

 private:
  void UpdateTarget(int secondsLeft) {
    if (secondsLeft < 12) {  // parking
      target_ = 0;
    } else if (waiting_ > 0) {
      --waiting_;
      target_ = 0;
    } else if (speed_ > 20 && dice_.Chance(0.006)) {  // a red light ahead
      waiting_ = dice_.Between(15, 45);
      target_ = 0;
    } else if (dice_.Chance(0.03)) {
      target_ = dice_.Uniform(25, 70);
    }
  }

  void Steer() {
    if (turnLeft_ == 0 && speed_ > 8 && dice_.Chance(0.01)) {
      turnLeft_ = 6;
      turnRate_ = (dice_.Chance(0.5) ? 90.0 : -90.0) / turnLeft_;
      // Far from the centre, turn towards it.
      const double north = kCenterLat - lat_, east = kCenterLon - lon_;
      if (std::hypot(north, east) > 0.05) {
        const double home = std::atan2(east, north) * 180.0 / std::numbers::pi;
        turnRate_ = std::remainder(home - heading_, 360.0) / turnLeft_;
      }
    }
    if (turnLeft_ > 0) {
      heading_ += turnRate_;
      --turnLeft_;
    } else if (speed_ > 3) {
      heading_ += dice_.Uniform(-1.5, 1.5);
    }
  }

  Dice& dice_;
  double lat_, lon_;
  double heading_ = 0, speed_ = 0, target_ = 40, turnRate_ = 0;
  int waiting_ = 0, turnLeft_ = 0;
};

int FixKindAt(int second, int tunnelFrom, int tunnelTo) {
  if (second == 0) return kFixTrackStart;
  if (second < 5) return kFix2D;  // the receiver is still settling on a 3D fix
  if (second >= tunnelFrom && second < tunnelTo) return kFixNone;
  return kFix3D;
}

void AppendDrive(LoggerMemory& memory, Dice& dice, const Drive& drive) {
  Vehicle car(dice, kCenterLat + dice.Uniform(-0.03, 0.03), kCenterLon + dice.Uniform(-0.04, 0.04));
  // Some drives pass through a tunnel where the receiver loses the sky.
  const bool tunnel = dice.Chance(0.5);
  const int tunnelFrom = tunnel ? dice.Between(100, drive.seconds - 100) : -1;
  const int tunnelTo = tunnel ? tunnelFrom + dice.Between(15, 40) : -1;
  float lastLat = 0, lastLon = 0;
  for (int s = 0; s < drive.seconds; ++s) {
    const int fix = FixKindAt(s, tunnelFrom, tunnelTo);
    // Without a fix the logger repeats the last position it knew.
    if (fix != kFixNone)
      lastLat = static_cast<float>(car.Lat()), lastLon = static_cast<float>(car.Lon());
    const int total = drive.hour * 3600 + drive.minute * 60 + s;
    const DateTime t{24, 5, drive.day, total / 3600, total / 60 % 60, total % 60};
    memory.points.push_back(
        MakePoint(t, fix, lastLat, lastLon, fix == kFixNone ? 0 : car.Speed(), car.Heading()));
    car.Step(drive.seconds - s);
  }
}

}  // namespace

LoggerMemory DemoMemory() {
  LoggerMemory memory;
  memory.options = SaveOptions{0, 1, 0};
  memory.notes = {"SEOUL", "CAR", "", ""};
  Dice dice(20240501);
  for (const Drive& drive : kDrives) {
    if (drive.day == kFirstNewDay && memory.newFrom == 0) memory.newFrom = memory.points.size();
    AppendDrive(memory, dice, drive);
  }
  return memory;
}

}  // namespace tavrin::emulator
