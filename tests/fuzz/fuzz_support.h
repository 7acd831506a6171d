// What the fuzz targets share: the choices a run reads from the head of its
// input, and the checks that stop the fuzzer (abort) when they fail.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "input/datetime.h"
#include "input/start.h"
#include "input/statistics.h"
#include "input/text.h"
#include "support/silent_window.h"

namespace vexa::fuzz {

[[noreturn]] inline void fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "FUZZ FINDING: %s %.*s\n", what, static_cast<int>(detail.size()),
               detail.data());
  std::abort();
}

inline bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = utf8SequenceAt(text, i);
    if (length == 0) {
      return false;
    }
    i += length;
  }
  return true;
}

// The window's choices, from the first bytes of an input: the ticked boxes,
// the decimals, the file name's markers, and a window placed in the file's
// span (or beyond it).
struct Choices {
  bool temperature, humidity, battery, light, log;
  std::string decimals;
  std::string fileName;
  std::uint8_t from, to;  // parts of the span, in 64ths; 255 beyond it
};

inline constexpr std::size_t kChoiceBytes = 4;

inline Choices readChoices(std::string_view& input) {
  unsigned char head[kChoiceBytes] = {};
  for (std::size_t i = 0; i < kChoiceBytes && i < input.size(); ++i) {
    head[i] = static_cast<unsigned char>(input[i]);
  }
  input.remove_prefix(std::min(input.size(), kChoiceBytes));
  static const char* kNames[] = {"tag.csv", "tag#1.csv", "room_light.csv", "dp_temper_cap.csv"};
  return Choices{(head[0] & 1) != 0,
                 (head[0] & 2) != 0,
                 (head[0] & 4) != 0,
                 (head[0] & 8) != 0,
                 (head[0] & 16) != 0,
                 std::to_string(head[0] >> 5),
                 kNames[head[1] & 3],
                 head[2],
                 head[3]};
}

inline double placeInSpan(double first, double last, std::uint8_t part) {
  if (part == 255) {
    return last + 400;  // a window beyond the file
  }
  return first + (last - first) * (part % 65) / 64.0;
}

inline StartChoices startChoices(const Choices& c, const Session& session) {
  StartChoices choices;
  choices.CheckBox2 = c.temperature;
  choices.CheckBox3 = c.humidity;
  choices.CheckBox4 = c.battery;
  choices.CheckBox5 = c.light;
  const auto clamp = [](double value) { return std::clamp(value, 1.0, 2958465.0); };
  choices.start = decodeDateTime(clamp(placeInSpan(session.OsMin1, session.OsMax1, c.from)));
  choices.end = decodeDateTime(clamp(placeInSpan(session.OsMin1, session.OsMax1, c.to)));
  return choices;
}

inline void setControls(ReportControls& controls, const Choices& c, const std::string& file,
                        const ExportLayout& layout) {
  controls.Edit1 = file;
  controls.OpenDialog1FileName = file;
  controls.CheckBox1 = false;
  controls.ComboBox1 = c.decimals;
  controls.CheckBox2 = c.temperature;
  controls.CheckBox3 = c.humidity;
  controls.CheckBox4 = c.battery;
  controls.CheckBox5 = c.light;
  controls.CheckBox6 = c.log;
  controls.CheckBox7 = c.log && layout.lightOption;
}

// Limits, their alarm rules and a gap threshold, from the last bytes of an
// input (they stay part of the export too): every series the layout offers
// gets them, so that the summary's arithmetic is fuzzed with the rest.
struct Rules {
  Limits limits;
  std::optional<double> gapMinutes;
  bool any = false;
};

inline Rules readRules(std::string_view input) {
  unsigned char tail[5] = {};
  for (std::size_t i = 0; i < 5 && i < input.size(); ++i) {
    tail[i] = static_cast<unsigned char>(input[input.size() - 1 - i]);
  }
  Rules rules;
  if (tail[0] != 0) {
    rules.limits.low = static_cast<double>(tail[0] % 101) - 60;
  }
  if (tail[1] != 0) {
    rules.limits.high = rules.limits.low.value_or(-60) + static_cast<double>(tail[1] % 61) / 2;
  }
  const auto rule = [](unsigned char byte) {
    AlarmRule alarm;
    if ((byte & 0x3F) != 0) {
      alarm.delayMinutes = static_cast<double>(byte & 0x3F) * 1.5;
    }
    alarm.kind = (byte & 0x40) != 0 ? AlarmKind::Cumulative : AlarmKind::Single;
    return alarm;
  };
  rules.limits.lowAlarm = rule(tail[2]);
  rules.limits.highAlarm = rule(tail[3]);
  if (tail[4] != 0) {
    rules.gapMinutes = static_cast<double>(tail[4] % 90) + 0.5;
  }
  rules.any = !rules.limits.empty() || rules.gapMinutes.has_value();
  return rules;
}

}  // namespace vexa::fuzz
