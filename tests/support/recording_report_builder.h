// A report builder that records each call of Excel with its arguments.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "input/start.h"

namespace vexa::testing {

struct ExcelCall {
  int count = 0;
  TextTable Arr;
  double OsMin1 = 0;
  double OsMax1 = 0;
  int s = 0;
};

class RecordingReportBuilder final : public ReportBuilder {
 public:
  void Excel(int count, const TextTable& Arr, double OsMin1, double OsMax1, int s) override {
    calls.push_back({count, Arr, OsMin1, OsMax1, s});
    if (onCall) {
      onCall();
    }
  }
  std::vector<ExcelCall> calls;
  std::function<void()> onCall;  // runs inside the call, e.g. to look at the window
};

// The cells of one row of a table, columns 1..columns.
inline std::vector<std::string> rowOf(const TextTable& table, int row, int columns) {
  std::vector<std::string> cells;
  for (int c = 1; c <= columns; ++c) {
    cells.emplace_back(table.at(row, c));
  }
  return cells;
}

// The cells of one column of a table, rows 1..rows.
inline std::vector<std::string> columnOf(const TextTable& table, int column, int rows) {
  std::vector<std::string> cells;
  for (int r = 1; r <= rows; ++r) {
    cells.emplace_back(table.at(r, column));
  }
  return cells;
}

}  // namespace vexa::testing
