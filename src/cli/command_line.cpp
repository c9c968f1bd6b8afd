// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <tuple>

#include "protocol/note_group.h"
#include "serial/serial_port.h"
#include "store/track_point.h"

namespace tavrin::cli {

std::string HelpAllFormatter::make_expanded(const CLI::App* command) const {
  std::string text = CLI::Formatter::make_expanded(command);
  if (command->get_name().empty()) return text;  // a group of options within a command
  const size_t end = text.find('\n');
  const std::string path = command->get_parent() ? command->get_parent()->get_name() + " " : "";
  return path + text.substr(0, end) + ":" + text.substr(end);
}
namespace {

// The options of tavrin itself that take a value.
constexpr const char* kGlobalValueOptions[] = {"--data", "--config", "--trace"};
constexpr const char* kGlobalFlags[] = {"-v", "--verbose"};
constexpr int kFirstLoggerYear = 2000, kLastLoggerYear = 2099;

bool AllDigits(const std::string& text, size_t from, size_t to) {
  return from < to && std::all_of(text.begin() + static_cast<ptrdiff_t>(from),
                                  text.begin() + static_cast<ptrdiff_t>(to),
                                  [](unsigned char c) { return c >= '0' && c <= '9'; });
}

int Digits(const std::string& text, size_t from, size_t count) {
  return std::stoi(text.substr(from, count));
}

// "--data=X" and "--data" both name --data.
std::string OptionName(const std::string& arg) {
  return arg.substr(0, arg.find('='));
}

bool IsGlobalValueOption(const std::string& arg) {
  return std::find(std::begin(kGlobalValueOptions), std::end(kGlobalValueOptions),
                   OptionName(arg)) != std::end(kGlobalValueOptions);
}

bool IsGlobalOption(const std::string& arg) {
  return IsGlobalValueOption(arg) ||
         std::find(std::begin(kGlobalFlags), std::end(kGlobalFlags), arg) != std::end(kGlobalFlags);
}

std::vector<std::string> CommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    names.push_back(command->get_name());
  }
  return names;
}

// The position of the command word in `args`, skipping the options of tavrin itself.
std::optional<size_t> CommandPosition(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") return i + 1 < args.size() ? std::optional(i + 1) : std::nullopt;
    if (arg.empty() || arg[0] != '-') return i;
    if (IsGlobalValueOption(arg) && arg.find('=') == std::string::npos) ++i;
  }
  return std::nullopt;
}

}  // namespace

CLI::Validator WholeNumber() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (AllDigits(text, 0, text.size())) return {};
        return "'" + text + "' is not a whole number; write it in plain decimal digits, such as 16";
      },
      "DECIMAL");
}

CLI::Validator BaudRate() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        if (AllDigits(text, 0, text.size()) && text.size() <= 7 &&
            SerialPort::SpeedFor(static_cast<uint32_t>(std::stoul(text)))) {
          return {};
        }
        return "'" + text +
               "' is not a baud rate the port can use; use 4800, 9600, 19200, 38400, 57600, "
               "115200, 230400, 460800 or 921600";
      },
      "BAUD");
}

CLI::Validator PositiveSeconds(double most) {
  return CLI::Validator(
      [most](std::string& text) -> std::string {
        const size_t point = text.find('.');
        const size_t whole = point == std::string::npos ? text.size() : point;
        const bool plain = (AllDigits(text, 0, whole) || (whole == 0 && point == 0)) &&
                           (point == std::string::npos || AllDigits(text, point + 1, text.size()));
        if (plain) {
          const double seconds = std::strtod(text.c_str(), nullptr);
          if (seconds > 0 && seconds <= most) return {};
        }
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", most);
        return "'" + text + "' is not a number of seconds above 0 and up to " + limit +
               ", such as 10 or 2.5";
      },
      "SECONDS");
}

std::optional<CalendarDate> ParseDate(const std::string& text, std::string& why) {
  const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-' &&
                      AllDigits(text, 0, 4) && AllDigits(text, 5, 7) && AllDigits(text, 8, 10);
  if (!shaped) {
    why = "'" + text + "' is not a date written YYYY-MM-DD, such as 2024-05-01";
    return std::nullopt;
  }
  const CalendarDate date{Digits(text, 0, 4), Digits(text, 5, 2), Digits(text, 8, 2)};
  if (!IsCalendarDate(date.year, date.month, date.day)) {
    why = "'" + text + "' is not a date the calendar has";
    return std::nullopt;
  }
  return date;
}

std::optional<std::vector<double>> DecimalNumbers(const std::string& text, size_t count) {
  std::vector<double> numbers;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    double value = 0;
    const char* const last = item.data() + item.size();
    const auto [end, error] = std::from_chars(item.data(), last, value);
    if (item.empty() || error != std::errc() || end != last || !std::isfinite(value)) {
      return std::nullopt;
    }
    numbers.push_back(value);
  }
  if (numbers.size() != count || (!text.empty() && text.back() == ',')) return std::nullopt;
  return numbers;
}

std::optional<std::pair<double, double>> ParsePosition(const std::string& text) {
  const auto numbers = DecimalNumbers(text, 2);
  if (!numbers || !(std::fabs((*numbers)[0]) <= 90) || !(std::fabs((*numbers)[1]) <= 180)) {
    return std::nullopt;
  }
  return std::pair((*numbers)[0], (*numbers)[1]);
}

std::optional<std::pair<CalendarDate, CalendarDate>> ParsePeriod(const char* command,
                                                                 const std::string& fromText,
                                                                 const std::string& toText) {
  CalendarDate from{0, 1, 1}, to{9999, 12, 31};
  std::string why;
  for (auto [text, date, name] :
       {std::tuple(&fromText, &from, "--from"), std::tuple(&toText, &to, "--to")}) {
    if (text->empty()) continue;
    const auto parsed = ParseDate(*text, why);
    if (!parsed) {
      std::cerr << command << ": " << name << ": " << why << ".\n";
      return std::nullopt;
    }
    *date = *parsed;
  }
  if (to < from) {
    std::cerr << command << ": --from " << fromText << " comes after --to " << toText
              << "; give the earlier day with --from.\n";
    return std::nullopt;
  }
  return std::pair(from, to);
}

std::optional<DateTime> ParseLoggerTime(const std::string& text, std::string& why) {
  const bool shaped = text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == 'T' &&
                      text[13] == ':' && text[16] == ':' && AllDigits(text, 0, 4) &&
                      AllDigits(text, 5, 7) && AllDigits(text, 8, 10) && AllDigits(text, 11, 13) &&
                      AllDigits(text, 14, 16) && AllDigits(text, 17, 19);
  if (!shaped) {
    why =
        "'" + text + "' is not a UTC time written YYYY-MM-DDThh:mm:ss, such as 2024-05-01T08:00:00";
    return std::nullopt;
  }
  const auto date = ParseDate(text.substr(0, 10), why);
  if (!date) {
    why = "'" + text + "' is not a date the calendar has";
    return std::nullopt;
  }
  const DateTime time{date->year - 2000,   date->month,         date->day,
                      Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
  if (!IsTimeOfDay(time.hour, time.minute, time.second)) {
    why = "'" + text + "' is not a time of day";
    return std::nullopt;
  }
  if (date->year < kFirstLoggerYear || date->year > kLastLoggerYear) {
    why = "'" + text + "' is outside the years the logger keeps, " +
          std::to_string(kFirstLoggerYear) + " to " + std::to_string(kLastLoggerYear);
    return std::nullopt;
  }
  return time;
}

std::optional<DateTime> ParseShownTime(const std::string& text, std::string& why) {
  std::string logger = text;
  if (logger.size() == 19 && (logger[10] == ' ' || logger[10] == '\t')) logger[10] = 'T';
  const auto time = ParseLoggerTime(logger, why);
  if (!time && why.find("UTC") == std::string::npos) {
    why.replace(0, logger.size() + 2, "'" + text + "'");  // the text as it was given
  } else if (!time) {
    why = "'" + text +
          "' is not a date and time written YYYY-MM-DD hh:mm:ss, such as 2024-05-01 08:00:00";
  }
  return time;
}

bool After(const DateTime& from, const DateTime& to) {
  return from > to;
}

std::string NoteGroupFault(const std::string& group, size_t number, size_t limit) {
  const std::string name = "note group " + std::to_string(number) + " '" + group + "'";
  const NoteGroupFaults faults = FindNoteGroupFaults(group, limit);
  if (faults.notLettersOrDigits) {
    return name + " may hold only the letters A-Z, a-z and the digits 0-9";
  }
  // Only letters and digits are left here, so bytes and characters are the same count.
  if (faults.tooLong) {
    return name + " has " + std::to_string(group.size()) +
           " characters; the logger keeps at most " + std::to_string(limit);
  }
  return {};
}

std::optional<std::string> UnknownCommand(CLI::App& app, const std::vector<std::string>& args) {
  const auto position = CommandPosition(args);
  if (!position) return std::nullopt;
  const std::vector<std::string> names = CommandNames(app);
  const std::string& word = args[*position];
  if (std::find(names.begin(), names.end(), word) != names.end()) return std::nullopt;
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return "unknown command '" + word + "'; the commands are: " + list + ". See tavrin --help.";
}

std::optional<std::string> GlobalOptionAfterCommand(CLI::App& app,
                                                    const std::vector<std::string>& args) {
  const auto position = CommandPosition(args);
  if (!position || UnknownCommand(app, args)) return std::nullopt;
  for (size_t i = *position + 1; i < args.size(); ++i) {
    if (args[i] == "--") break;
    if (!IsGlobalOption(args[i])) continue;
    const std::string name = OptionName(args[i]);
    std::string option = name;
    if (name.size() < args[i].size()) {
      option = args[i];  // --data=X
    } else if (IsGlobalValueOption(name)) {
      option += " " + (i + 1 < args.size() ? args[i + 1] : std::string("VALUE"));
    }
    return name +
           " is an option of tavrin itself and must come before the command, as in: " + "tavrin " +
           option + " " + args[*position] + " ...";
  }
  return std::nullopt;
}

}  // namespace tavrin::cli
