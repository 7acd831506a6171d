// The export layouts of the monitoring system's web service, how they are told
// apart, and the file-name markers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vexa {

// Format codes, kept in `count`.
inline constexpr int kUnknownFormat = 0;
inline constexpr int kClimate = 3;
inline constexpr int kMotionEvents = 5;
inline constexpr int kClimateLight = 6;
inline constexpr int kTemperature = 9;
inline constexpr int kPairedNumeric = 100;
inline constexpr int kPairedState = 101;

inline constexpr std::string_view kClimateHeader =
    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)";
inline constexpr std::string_view kMotionHeader =
    "Date,Time,Type,Duration(seconds), Angle(degrees)";
inline constexpr std::string_view kClimateLightHeader =
    "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)";
inline constexpr std::string_view kTemperatureHeader = "Date/Time,Temperature(C),Battery(Volts)";
inline constexpr std::string_view kPairedHeaderStart = "Date,Time, ";

inline constexpr const char* kStateWords[] = {"Closed", "Opened", "Disarmed", "Armed", "Moved"};

// First stage of recognition: the format code that the header line gives
// (0, 3, 5, 6, 9 or 100).
int recogniseHeader(std::string_view header);

// Second stage, for code 100: true when any line (header included) holds one
// of the state words, which makes the file a paired-column state export.
bool containsStateWord(const std::vector<std::string>& lines);

bool isClimateFamily(int count);
bool isPairedColumns(int count);

// The file-name part of a path (after the last "/") without its extension
// (from the last "." of the file name on).
std::string stemOf(std::string_view path);

// Motion-log exports are refused by their name: "MotionLog_" or "motion_Logs"
// anywhere in the path text.
bool isRefusedName(std::string_view path);

// "#" in the stem marks a two-probe export (climate and temperature layouts).
bool hasTwoProbeMarker(std::string_view stem);

// "light" in the stem offers the logarithmic scale (paired-column layouts).
bool hasLightMarker(std::string_view stem);

// The time stamp of a climate-family line with "Date/Time" turned into
// "Дата/Время", every "T" into a blank and "+03:00" deleted; not yet converted.
std::string normaliseTimeStamp(std::string_view line);

// One (time, value) pair of a paired-column line. `value` is the raw field;
// for the last pair it is the whole rest of the line, whose commas the reader
// deletes (see pairValue).
struct PairFields {
  std::string_view time;
  std::string_view value;
  bool last = false;
};

// The value text of a pair: the last pair's value has every comma deleted.
std::string pairValue(const PairFields& pair);

// Walks a paired-column line: the date is the text before the first comma,
// then `pairCount` (time, value) pairs follow. `onPair(index, fields)` is
// called for every pair, index counting from 1, up to the end of the line:
// the pairs after it are all empty and are not visited. Returns the date
// field.
template <class OnPair>
std::string_view walkPairedLine(std::string_view line, int pairCount, OnPair&& onPair);

}  // namespace vexa

#include "input/text.h"

namespace vexa {

template <class OnPair>
std::string_view walkPairedLine(std::string_view line, int pairCount, OnPair&& onPair) {
  const std::string_view date = head(line);
  std::string_view rest = remainder(line);
  for (int p = 1; p <= pairCount; ++p) {
    if (p > 1) {
      rest = remainder(rest);  // drops the previous pair's value field
    }
    if (rest.empty()) {
      break;
    }
    PairFields pair;
    pair.time = head(rest);
    rest = remainder(rest);
    pair.last = p == pairCount;
    pair.value = pair.last ? rest : head(rest);
    onPair(p, pair);
  }
  return date;
}

}  // namespace vexa
