// Start: the time window, the extraction of every layout, and the hand-over of
// the report input to the report builder.
#pragma once

#include "input/datetime.h"
#include "input/session.h"
#include "input/text_table.h"

namespace vexa {

// The report builder, called once per Start with the report input.
class ReportBuilder {
 public:
  virtual ~ReportBuilder() = default;
  virtual void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) = 0;
};

// What the window shows while Start runs.
class StartObserver {
 public:
  virtual ~StartObserver() = default;
  // The progress bar placed at `top`, made visible, maximum 3, position 1.
  virtual void progressShown(int top) = 0;
  virtual void progressMaximum(int maximum) = 0;
  virtual void progressPosition(int position) = 0;
  // The humidity box is cleared (the temperature layout has no humidity).
  virtual void humidityCleared() = 0;
};

// The user's choices in the window when Start is pressed.
struct StartChoices {
  bool CheckBox2 = true;   // temperature (probe temperature of a two-probe export)
  bool CheckBox3 = true;   // humidity (housing temperature of a two-probe export)
  bool CheckBox4 = false;  // battery voltage
  bool CheckBox5 = false;  // light
  CivilDateTime start;     // date of DateTimePicker1, time of DateTimePicker2
  CivilDateTime end;       // date of DateTimePicker3, time of DateTimePicker4
};

// Where Start shows its progress bar.
inline constexpr int kProgressTop = 132;
inline constexpr int kProgressTopClimateLight = 155;

// Runs Start for the loaded export in `session` (count 3, 5, 6, 9, 100 or 101).
// Fills the report input and calls `builder.Excel` once.
//
// Ends early with StopWithMessage for a refused interval ("Неверный интервал
// времени.", caption "Внимание!") or no ticked series ("Нет данных."), without a
// report. A time stamp or value that does not convert raises
// DateTimeConversionError or NumberConversionError; what was written so far
// stays in `session`.
void runStart(Session& session, StartChoices& choices, StartObserver& observer,
              ReportBuilder& builder);

// The interval the pickers give, checked: start after end is refused.
struct Interval {
  double start = 0;
  double end = 0;
};
Interval readInterval(const StartChoices& choices);

}  // namespace vexa
