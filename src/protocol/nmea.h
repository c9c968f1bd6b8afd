// SPDX-License-Identifier: GPL-3.0-or-later
// NMEA-style sentences as the logger and the host exchange them: "$", a comma-separated body,
// "*", two hexadecimal checksum digits (XOR of the body), CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/track_point.h"

namespace tavrin {

// XOR of the bytes of a sentence body.
uint8_t NmeaChecksum(std::string_view body);
// The upper-case hexadecimal digit of the low four bits of `value`, as checksums are written.
char ChecksumDigit(unsigned value);

// Overwrites the two checksum characters of a sentence that ends in "*hh\r\n" with the
// upper-case checksum of the bytes between "$" and "*".
void FillChecksum(std::string& sentence);

// "$" + body + "*" + checksum + CR LF.
std::string MakeSentence(std::string_view body);

// Checks a received line (from "$" up to and including its LF) the way the logger's host does:
// the checksum digits sit four and three places before the end, and may be upper or lower case.
bool SentenceChecksumOk(std::string_view line);

// Fields between "$" and "*" split at ","; field 0 is the sentence name. Empty fields stay as
// empty entries so that positions count.
std::vector<std::string_view> SplitFields(std::string_view line);

// A decimal integer: optional sign, digits, stopping at the first other character; 0 when
// there are no digits. Values beyond the range of long long saturate.
long long ParseInteger(std::string_view field);
// A decimal number with an optional fraction; 0 when there is none.
double ParseNumber(std::string_view field);

// Dates travel as one decimal number DDMMYY and times as hhmmss, in both directions.
// Writes day, month and two-digit year from a DDMMYY number; the day keeps all above the month.
void SetDdmmyy(DateTime& t, long long ddmmyy);
// Writes hour, minute and second from an hhmmss number; the hour keeps all above the minute.
void SetHhmmss(DateTime& t, long long hhmmss);
DateTime FromDdmmyyHhmmss(long long ddmmyy, long long hhmmss);
// day × 10000 + month × 100 + the year's last two digits.
long long ToDdmmyy(const DateTime& t);
// hour × 10000 + minute × 100 + second.
long long ToHhmmss(const DateTime& t);

// Decodes the fields of a $GPRMC sentence (field 0 is the name) into a point, the way the host
// stores it: status S is a track start, A a fix (kind 3), anything else no fix.
TrackPoint DecodeRmc(const std::vector<std::string_view>& fields);

// Encodes a point as a $GPRMC sentence that DecodeRmc turns back into the same record. Positions
// carry enough decimals to come back as the same single-precision value.
std::string EncodeRmc(const TrackPoint& point);

}  // namespace tavrin
