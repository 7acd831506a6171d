#include "report/overview.h"

#include <algorithm>
#include <optional>

#include "input/datetime.h"
#include "input/formats.h"

namespace vexa {

namespace {

// A quantity of the overview: its key, and its name as the first export
// that gives it heads it.
struct Quantity {
  std::string key;
  std::string name;
  bool temperature = false;
};

// The series of `summary` of key `key`, or none.
std::optional<std::size_t> seriesOf(const ReportSummary& summary, const std::string& key) {
  for (std::size_t s = 0; s < summary.series.size(); ++s) {
    if (summary.series[s].key == key) {
      return s;
    }
  }
  return std::nullopt;
}

std::optional<double> valueOf(const ReportSummary& summary, std::string_view figure,
                              std::size_t s) {
  const SummaryRow* row = findRow(summary, figure);
  return row != nullptr && s < row->values.size() ? row->values[s] : std::nullopt;
}

std::string textOf(const ReportSummary& summary, std::string_view figure, std::size_t s) {
  const SummaryRow* row = findRow(summary, figure);
  return row != nullptr && s < row->values.size() && given(*row, s) ? figureText(*row, s) : "";
}

// A series' verdict: the worse of its limits' («Тревога» before «Нет
// данных» before «В норме»); «Пределы не заданы» without a limit.
std::string seriesVerdict(const ReportSummary& summary, std::size_t s) {
  std::string verdict;
  for (const char* figure : {"Ниже нижнего предела: итог", "Выше верхнего предела: итог"}) {
    const std::string text = textOf(summary, figure, s);
    if (text == verdictText(Verdict::Alarm) ||
        (text == verdictText(Verdict::NoData) && verdict != verdictText(Verdict::Alarm)) ||
        (!text.empty() && verdict.empty())) {
      verdict = text;
    }
  }
  return verdict.empty() ? std::string(verdictText(Verdict::NoLimits)) : verdict;
}

}  // namespace

std::string layoutName(int count) {
  switch (count) {
    case kClimate:
      return "климат";
    case kClimateLight:
      return "климат и освещённость";
    case kTemperature:
      return "температура";
    case kMotionEvents:
      return "события движения";
    case kPairedNumeric:
      return "парные столбцы";
    case kPairedState:
      return "состояния";
    default:
      return "";
  }
}

Overview overviewOf(const std::vector<OverviewExport>& exports) {
  std::vector<Quantity> quantities;
  for (const OverviewExport& e : exports) {
    for (const SummarySeries& series : e.summary.series) {
      const auto known = std::find_if(quantities.begin(), quantities.end(),
                                      [&](const Quantity& q) { return q.key == series.key; });
      if (series.kind != SummarySeries::Kind::Measurement) {
        continue;
      }
      if (known == quantities.end()) {
        quantities.push_back({series.key, series.name, series.temperature});
      } else {
        known->temperature = known->temperature || series.temperature;
      }
    }
  }

  Overview overview;
  overview.headings = {
      "Тег", "Вид выгрузки", "Показаний", "Первое показание", "Последнее показание", "Итог"};
  for (const Quantity& q : quantities) {
    for (const char* figure :
         {"минимум", "время минимума", "максимум", "время максимума", "среднее по времени"}) {
      overview.headings.push_back(q.name + ": " + figure);
    }
    if (q.temperature) {
      overview.headings.push_back(q.name + ": средняя кинетическая температура");
    }
    for (const char* figure : {"выходов за пределы", "ниже нижнего предела, ч",
                               "выше верхнего предела, ч", "пропусков", "итог"}) {
      overview.headings.push_back(q.name + ": " + figure);
    }
  }
  overview.headings.push_back("Отметки");

  // The highest maximum and the lowest minimum of each quantity.
  std::vector<std::optional<double>> highest(quantities.size());
  std::vector<std::optional<double>> lowest(quantities.size());
  for (std::size_t q = 0; q < quantities.size(); ++q) {
    for (const OverviewExport& e : exports) {
      const auto s = seriesOf(e.summary, quantities[q].key);
      const auto maximum = s ? valueOf(e.summary, "Максимум", *s) : std::nullopt;
      const auto minimum = s ? valueOf(e.summary, "Минимум", *s) : std::nullopt;
      if (maximum && (!highest[q] || *maximum > *highest[q])) {
        highest[q] = maximum;
      }
      if (minimum && (!lowest[q] || *minimum < *lowest[q])) {
        lowest[q] = minimum;
      }
    }
  }

  for (const OverviewExport& e : exports) {
    const ReportSummary& summary = e.summary;
    std::optional<double> first;
    std::optional<double> last;
    for (std::size_t s = 0; s < summary.series.size(); ++s) {
      const auto from = valueOf(summary, "Первое показание", s);
      const auto to = valueOf(summary, "Последнее показание", s);
      first = from && (!first || *from < *first) ? from : first;
      last = to && (!last || *to > *last) ? to : last;
    }
    std::vector<std::string> row{e.tag,
                                 layoutName(e.layout),
                                 std::to_string(summary.readings),
                                 first ? formatDateTime(*first) : "",
                                 last ? formatDateTime(*last) : "",
                                 std::string(verdictText(summary.verdict))};
    std::string marks;
    for (std::size_t q = 0; q < quantities.size(); ++q) {
      const auto s = seriesOf(summary, quantities[q].key);
      const auto text = [&](std::string_view figure) {
        return s ? textOf(summary, figure, *s) : std::string();
      };
      for (const char* figure :
           {"Минимум", "Время минимума", "Максимум", "Время максимума", "Среднее по времени"}) {
        row.push_back(text(figure));
      }
      if (quantities[q].temperature) {
        row.push_back(text("Средняя кинетическая температура"));
      }
      std::optional<double> excursions;
      for (const char* figure :
           {"Ниже нижнего предела: выходов", "Выше верхнего предела: выходов"}) {
        if (const auto n = s ? valueOf(summary, figure, *s) : std::nullopt) {
          excursions = excursions.value_or(0) + *n;
        }
      }
      row.push_back(excursions ? std::to_string(static_cast<long long>(*excursions)) : "");
      row.push_back(text("Ниже нижнего предела: всего, ч"));
      row.push_back(text("Выше верхнего предела: всего, ч"));
      row.push_back(text("Пропусков"));
      row.push_back(s ? seriesVerdict(summary, *s) : std::string());
      if (s) {
        const auto maximum = valueOf(summary, "Максимум", *s);
        const auto minimum = valueOf(summary, "Минимум", *s);
        if (maximum && highest[q] && *maximum == *highest[q]) {
          marks += (marks.empty() ? "" : "; ") + quantities[q].name + ": наибольший максимум";
        }
        if (minimum && lowest[q] && *minimum == *lowest[q]) {
          marks += (marks.empty() ? "" : "; ") + quantities[q].name + ": наименьший минимум";
        }
      }
    }
    row.push_back(marks);
    overview.rows.push_back(std::move(row));
  }
  return overview;
}

OverviewMark overviewMark(const Overview& overview, std::size_t row, std::size_t column) {
  const std::string& title = overview.headings[column];
  const std::size_t colon = title.rfind(": ");
  const std::string figure = colon == std::string::npos ? title : title.substr(colon + 2);
  const std::string quantity = colon == std::string::npos ? "" : title.substr(0, colon);
  const std::string& marks = overview.rows[row].back();
  if (figure == "максимум" && marks.find(quantity + ": наибольший максимум") != std::string::npos) {
    return OverviewMark::HighestMaximum;
  }
  if (figure == "минимум" && marks.find(quantity + ": наименьший минимум") != std::string::npos) {
    return OverviewMark::LowestMinimum;
  }
  return figure == "итог" || figure == "Итог" ? OverviewMark::Verdict : OverviewMark::None;
}

std::string overviewText(const Overview& overview) {
  std::string out;
  const auto line = [&](const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      out += (i == 0 ? "" : "\t") + cells[i];
    }
    out += '\n';
  };
  line(overview.headings);
  for (const auto& row : overview.rows) {
    line(row);
  }
  return out;
}

}  // namespace vexa
