// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/logger_emulator.h"

#include <cstdio>

#include "emulator/read_selection.h"
#include "protocol/nmea.h"

namespace tavrin::emulator {

namespace {

std::string_view Field(const std::vector<std::string_view>& fields, size_t i) {
  return i < fields.size() ? fields[i] : std::string_view();
}

std::string EraseAnswer(uint32_t sector) {
  char body[48];
  std::snprintf(body, sizeof body, "PSRF200,4,%u,%u,0,0,0", sector, sector);
  return MakeSentence(body);
}

}  // namespace

LoggerEmulator::LoggerEmulator(LoggerMemory memory, EmulatorOptions options, Sink sink)
    : memory_(std::move(memory)),
      options_(options),
      sink_(std::move(sink)),
      scanningUntil_(Clock::now() + options.scanning) {}

void LoggerEmulator::Receive(std::span<const uint8_t> bytes, Clock::time_point now) {
  reader_.Feed(bytes, [&](std::string_view line) { HandleLine(line, now); });
}

void LoggerEmulator::OutputDrained(Clock::time_point now) {
  if (phase_ == Phase::kAwaitingAck && !ackDeadline_) ackDeadline_ = now + options_.ackTimeout;
}

void LoggerEmulator::Poll(Clock::time_point now) {
  if (phase_ == Phase::kAwaitingAck && ackDeadline_ && now >= *ackDeadline_) {
    Send(transfer_->ControlAnswer(Control::kTimeOver));
    EndTransfer();
  }
  while (phase_ == Phase::kErasing && now >= eraseNextAt_) {
    Send(EraseAnswer(eraseNext_));
    if (eraseNext_++ < memory_.EraseSectorCount()) {
      eraseNextAt_ += options_.eraseDelay;
      continue;
    }
    Send(MakeSentence("PSRF200,4,0,0,0,0,0"));
    memory_.Erase();
    phase_ = Phase::kIdle;
  }
}

std::optional<LoggerEmulator::Clock::time_point> LoggerEmulator::NextDeadline() const {
  if (phase_ == Phase::kErasing) return eraseNextAt_;
  if (phase_ == Phase::kAwaitingAck) return ackDeadline_;
  return std::nullopt;
}

void LoggerEmulator::HandleLine(std::string_view line, Clock::time_point now) {
  const auto fields = SplitFields(line);
  const std::string_view name = fields[0];
  // While the flash is being erased the logger only reports its state.
  if (phase_ == Phase::kErasing && name != "PSRF202") return;
  if (name == "PSRF202") {
    if (ParseInteger(Field(fields, 1)) == 1) SendInformation(now);
  } else if (name == "PSRF200") {
    HandleCommand200(fields, now);
  } else if (name == "PSRF209") {
    StoreNotes(fields);
  } else if (name == "PSRF203") {
    EndTransfer();
  }
  // $PSRF201 (bypass mode) and anything else get no answer.
}

void LoggerEmulator::HandleCommand200(const std::vector<std::string_view>& fields,
                                      Clock::time_point now) {
  const long long type = ParseInteger(Field(fields, 1));
  const long long code = ParseInteger(Field(fields, 2));
  if (type == 9) {
    StoreOptions(fields);
  } else if (type == 4 && code == 0) {
    StartErase(now);
  } else if (IsReadMode(type)) {
    if (code == 0) {
      StartRead(static_cast<int>(type), fields);
    } else if (code == 2 && phase_ == Phase::kAwaitingAck) {
      SendNextSector();
    } else if (code == 3 && phase_ == Phase::kAwaitingAck) {
      ResendLastBlock();
    } else if (code == 2 && phase_ == Phase::kAwaitingEndAck) {
      FinishRead();
    } else if (code == 3 && phase_ == Phase::kAwaitingEndAck) {
      Send(transfer_->ControlAnswer(Control::kSuccess));
    }
  }
}

void LoggerEmulator::SendInformation(Clock::time_point now) {
  const auto& m = memory_;
  const bool scanning = options_.scanning.count() > 0 && now < scanningUntil_;
  char body[160];
  std::snprintf(body, sizeof body, "GPBT,%s,%s,%s,%s,0,0,%u,%u,%u,%u,%u,%u,%zu,%zu",
                m.notes[0].c_str(), m.notes[1].c_str(), m.notes[2].c_str(), m.notes[3].c_str(),
                m.options.bySpeed, m.options.byTime, m.options.byDistance, m.memoryMbit,
                scanning ? 0u : m.FirstUsedSector(), scanning ? 0u : m.LastUsedSector(),
                m.points.size(), m.NewPoints().size());
  Send(MakeSentence(body));
}

void LoggerEmulator::StoreOptions(const std::vector<std::string_view>& fields) {
  memory_.options.bySpeed = static_cast<uint8_t>(ParseInteger(Field(fields, 2)));
  memory_.options.byTime = static_cast<uint8_t>(ParseInteger(Field(fields, 3)));
  memory_.options.byDistance = static_cast<uint16_t>(ParseInteger(Field(fields, 4)));
}

void LoggerEmulator::StoreNotes(const std::vector<std::string_view>& fields) {
  std::array<std::string, kNoteGroupCount> notes;
  for (size_t i = 0; i < kNoteGroupCount; ++i) {
    const std::string_view text = Field(fields, i + 1);
    // The logger refuses the whole command rather than keep a group it cannot hold.
    if (!IsValidNoteGroup(text)) return;
    notes[i] = std::string(text);
  }
  memory_.notes = notes;
}

void LoggerEmulator::StartErase(Clock::time_point now) {
  EndTransfer();
  phase_ = Phase::kErasing;
  eraseNext_ = 1;
  eraseNextAt_ = now + options_.eraseDelay;
}

void LoggerEmulator::StartRead(int mode, const std::vector<std::string_view>& fields) {
  EndTransfer();
  ReadTransfer transfer(mode, SelectPoints(memory_, mode, fields), memory_.pointsPerSector,
                        options_.control, options_.faults.items);
  if (transfer.PointCount() == 0) {
    Send(transfer.ControlAnswer(Control::kSuccess));
    return;
  }
  Send(transfer.InformationSentence());
  transfer_.emplace(std::move(transfer));
  AwaitAck();
}

void LoggerEmulator::SendNextSector() {
  Send(transfer_->NextSector());
  const size_t number = transfer_->SectorsSent();
  const bool last = transfer_->AllSectorsSent();
  const bool stop = number == options_.faults.stopAfterSector;
  const bool hangUp = number == options_.faults.hangUpAfterSector;
  if (stop || hangUp) {
    // The sector goes out as usual, but a final Success is held back: the read never ends.
    if (!last) Send(transfer_->ControlAnswer(Control::kNextSector));
    phase_ = Phase::kSilent;
    ackDeadline_.reset();
    hangUp_ = hangUp_ || hangUp;
    return;
  }
  if (last) {
    Send(transfer_->ControlAnswer(Control::kSuccess));
    // The points count as read only once the host has taken the end: a host that could not
    // store them stops instead, and they stay new.
    phase_ = Phase::kAwaitingEndAck;
    ackDeadline_.reset();
    return;
  }
  Send(transfer_->ControlAnswer(Control::kNextSector));
  if (number == options_.faults.timeOverAfterSector) {
    // As if the acknowledgement had come too late.
    Send(transfer_->ControlAnswer(Control::kTimeOver));
    EndTransfer();
    return;
  }
  AwaitAck();
}

void LoggerEmulator::ResendLastBlock() {
  if (transfer_->SectorsSent() == 0) {
    Send(transfer_->InformationSentence());
  } else {
    Send(transfer_->RepeatSector());
    Send(transfer_->ControlAnswer(Control::kNextSector));
  }
  AwaitAck();
}

void LoggerEmulator::FinishRead() {
  if (IsNewMode(transfer_->Mode())) memory_.newFrom = memory_.points.size();
  EndTransfer();
}

void LoggerEmulator::AwaitAck() {
  phase_ = Phase::kAwaitingAck;
  ackDeadline_.reset();
}

void LoggerEmulator::EndTransfer() {
  transfer_.reset();
  ackDeadline_.reset();
  if (phase_ != Phase::kErasing) phase_ = Phase::kIdle;
}

void LoggerEmulator::Send(std::span<const uint8_t> bytes) {
  if (!bytes.empty()) sink_(bytes);
}

void LoggerEmulator::Send(const std::string& text) {
  Send(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace tavrin::emulator
