// The preview of an export: its series over time, read from the lines Open
// keeps, and the axes the report would give them for the window's boxes.
#pragma once

#include <string>
#include <vector>

#include "input/session.h"

namespace vexa {

struct PreviewSeries {
  std::string name;          // as the report's heading names it
  int box = 0;               // the check box that adds it (2 to 5); 0: always there
  bool states = false;       // door states or motion events: levels, not measurements
  std::vector<double> time;  // date-time serials, in the order of the file
  std::vector<double> value;
};

struct PreviewData {
  int count = 0;  // the layout
  std::vector<PreviewSeries> series;
  std::vector<std::string> levels;  // the state of each level of the state series
  std::vector<double> stamps;       // every time stamp, ascending: what a dragged window rounds to
  double first = 0;                 // the span of the file
  double last = 0;
};

// The series of the export that Open left in `session`. Values that do not
// read as numbers are left out of the preview (the report shows them as they
// are).
PreviewData previewOf(const Session& session);

// The boxes of the window that decide which series the report shows and
// where.
struct PreviewBoxes {
  bool CheckBox2 = true;   // temperature (probe temperature)
  bool CheckBox3 = true;   // humidity (housing temperature)
  bool CheckBox4 = false;  // battery
  bool CheckBox5 = false;  // light
  bool CheckBox6 = false;  // logarithmic light axis
  bool CheckBox7 = false;  // logarithmic value axis (paired columns)
};

// Where a series goes: shown or not, on the primary (1) or the secondary (2)
// value axis, which is logarithmic or not.
struct SeriesPlace {
  bool shown = false;
  int axis = 1;
  bool logarithmic = false;
  bool operator==(const SeriesPlace&) const = default;
};

// For each series of `data`, as the report would place it.
std::vector<SeriesPlace> placesOf(const PreviewData& data, const PreviewBoxes& boxes);

// The time stamp of the file nearest to `time` (the span's end beyond it).
double nearestStamp(const PreviewData& data, double time);

}  // namespace vexa
