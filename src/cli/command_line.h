// SPDX-License-Identifier: GPL-3.0-or-later
// The checks that keep a mistyped command line from doing something else than was meant: plain
// decimal numbers only, real calendar dates, periods in order, and a word on what went wrong when
// a command or an option is not where it belongs.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "store/track_point.h"
#include "store/track_store.h"

namespace tavrin::cli {

// --help-all with a heading "tavrin NAME:" over each command's options, so that the manual page
// made from it (help2man) gives each command a section of its own.
class HelpAllFormatter : public CLI::Formatter {
 public:
  std::string make_expanded(const CLI::App* command) const override;
};

// Validators run on the text before CLI11 converts it, which would otherwise take "0x10" as 16
// and "inf" as a time-out.
CLI::Validator WholeNumber();
CLI::Validator BaudRate();
CLI::Validator PositiveSeconds(double most);

// "YYYY-MM-DD" as a date the calendar has; empty with the reason in `why` otherwise.
std::optional<CalendarDate> ParseDate(const std::string& text, std::string& why);
// The days of --from and --to (both open when not given) for `command` ("tavrin list"); empty,
// with the reason on stderr, when a date is no date or the period runs backwards.
std::optional<std::pair<CalendarDate, CalendarDate>> ParsePeriod(const char* command,
                                                                 const std::string& from,
                                                                 const std::string& to);
// "A,B[,C,D]": `count` numbers in plain decimal (no hexadecimal, no spaces, no "inf"), as
// positions are written on the command line; empty when the text is not that.
std::optional<std::vector<double>> DecimalNumbers(const std::string& text, size_t count);
// "LAT,LON" in degrees on the globe; empty when the text is not that.
std::optional<std::pair<double, double>> ParsePosition(const std::string& text);
// "YYYY-MM-DDThh:mm:ss" (UTC) within the years the logger keeps (2000-2099).
std::optional<DateTime> ParseLoggerTime(const std::string& text, std::string& why);
// "YYYY-MM-DD hh:mm:ss" as tavrin points shows a point's date and time (a 'T' or a tab between
// them is taken too), within the years the logger keeps; the zone is the caller's to say.
std::optional<DateTime> ParseShownTime(const std::string& text, std::string& why);
// True when `from` comes after `to`.
bool After(const DateTime& from, const DateTime& to);

// An English check of one note group for the command line (at most `limit` letters or digits);
// empty when it is good, else what is wrong with it.
std::string NoteGroupFault(const std::string& group, size_t number, size_t limit);

// "unknown command 'lst'; the commands are: ..." when the first word that is not an option of
// tavrin itself names no command.
std::optional<std::string> UnknownCommand(CLI::App& app, const std::vector<std::string>& args);
// A hint when an option of tavrin itself (--data, --config, --trace, --verbose) stands after the
// command, where CLI11 does not look for it.
std::optional<std::string> GlobalOptionAfterCommand(CLI::App& app,
                                                    const std::vector<std::string>& args);

}  // namespace tavrin::cli
