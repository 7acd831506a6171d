#include "input/formats.h"

#include <algorithm>

#include "platform/files.h"

namespace vexa {

int recogniseHeader(std::string_view header) {
  int count = kUnknownFormat;
  if (header == kClimateHeader) {
    count = kClimate;
  }
  if (header == kMotionHeader) {
    count = kMotionEvents;
  }
  if (header == kClimateLightHeader) {
    count = kClimateLight;
  }
  if (header == kTemperatureHeader) {
    count = kTemperature;
  }
  if (header.starts_with(kPairedHeaderStart)) {
    count = kPairedNumeric;
  }
  return count;
}

bool containsStateWord(const std::vector<std::string>& lines) {
  return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return std::any_of(std::begin(kStateWords), std::end(kStateWords),
                       [&](const char* word) { return line.find(word) != std::string::npos; });
  });
}

bool isClimateFamily(int count) {
  return count == kClimate || count == kClimateLight || count == kTemperature;
}

bool isPairedColumns(int count) {
  return count == kPairedNumeric || count == kPairedState;
}

std::string stemOf(std::string_view path) {
  std::string_view name = platform::fileNameOf(path);
  const auto dot = name.rfind('.');
  if (dot != std::string_view::npos) {
    name = name.substr(0, dot);
  }
  return std::string(name);
}

bool isRefusedName(std::string_view path) {
  return path.find("MotionLog_") != std::string_view::npos ||
         path.find("motion_Logs") != std::string_view::npos;
}

bool hasTwoProbeMarker(std::string_view stem) {
  return stem.find('#') != std::string_view::npos;
}

bool hasLightMarker(std::string_view stem) {
  return stem.find("light") != std::string_view::npos;
}

std::string normaliseTimeStamp(std::string_view line) {
  std::string stamp = replaceAll(head(line), "Date/Time", "Дата/Время");
  std::replace(stamp.begin(), stamp.end(), 'T', ' ');
  replaceAllIn(stamp, "+03:00", "");
  return stamp;
}

std::string pairValue(const PairFields& pair) {
  return pair.last ? withoutCommas(pair.value) : std::string(pair.value);
}

}  // namespace vexa
