#include "input/preview.h"

#include <gtest/gtest.h>

#include "input/datetime.h"
#include "input/formats.h"
#include "input/loading.h"
#include "input/open_export.h"

namespace vexa {
namespace {

struct QuietOpen final : OpenObserver {
  void thinningWarning(const std::string&) override {}
  void layoutRecognised(const ExportLayout&) override {}
};

PreviewData previewOfText(const std::string& name, const std::string& text) {
  Session session;
  QuietOpen observer;
  openLoadedExport(decodeExportLines(text), name, session, observer);
  return previewOf(session);
}

std::vector<std::string> namesOf(const PreviewData& data) {
  std::vector<std::string> names;
  for (const PreviewSeries& series : data.series) {
    names.push_back(series.name);
  }
  return names;
}

const std::string kLight =
    "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)\r\n"
    "2021-01-11T00:10:00+03:00,21.38,38.1,0.8,3.01\r\n"
    "2021-01-11T00:00:00+03:00,21.41,38.1,5.1,3.01\r\n"
    "2021-01-11T00:20:00+03:00,n/a,38.3,4,3.00\r\n";

// Open's lines give the series of the report, named as its headings, with
// every line's time stamp; what does not read as a number is left out.
TEST(Preview, ClimateFamilySeriesFromTheKeptLines) {
  const PreviewData data = previewOfText("tag.csv", kLight);
  EXPECT_EQ(data.count, kClimateLight);
  EXPECT_EQ(namesOf(data), (std::vector<std::string>{"Температура (ºС)", "Влажность (%)",
                                                     "Освещённость (Лк)", "Напряжение (В)"}));
  EXPECT_EQ(data.series[2].box, 5);
  EXPECT_EQ(data.series[3].box, 4);
  EXPECT_EQ(data.series[0].value, (std::vector<double>{21.38, 21.41}));
  EXPECT_EQ(data.series[2].value, (std::vector<double>{0.8, 5.1, 4}));
  EXPECT_EQ(data.series[2].time.front(), parseDateTime("2021-01-11 00:10:00"));
  EXPECT_EQ(data.stamps.size(), 3u);
  EXPECT_EQ(data.first, parseDateTime("2021-01-11 00:00:00"));  // the earliest, not line 1
  EXPECT_EQ(data.last, parseDateTime("2021-01-11 00:20:00"));

  const PreviewData probes =
      previewOfText("tag#2.csv",
                    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n"
                    "2021-01-11T00:00:00+03:00,-18.3,21.0,2.98\n");
  EXPECT_EQ(namesOf(probes),
            (std::vector<std::string>{"Температура зонда (°C)", "Температура корпуса (°C)",
                                      "Напряжение (В)"}));
}

TEST(Preview, PairedColumnsAndStatesAndMotionEvents) {
  const PreviewData paired = previewOfText("boiler.csv",
                                           "Date,Time, Boiler supply,Time, Room 12\n"
                                           "2021-01-11,00:00:48,68.2,00:00:02,21.6\n"
                                           "2021-01-11,00:10:30,68.0,,\n");
  EXPECT_EQ(namesOf(paired), (std::vector<std::string>{"Boiler supply", "Room 12"}));
  EXPECT_EQ(paired.series[0].value, (std::vector<double>{68.2, 68.0}));
  EXPECT_EQ(paired.series[1].time, (std::vector<double>{parseDateTime("2021-01-11 00:00:02")}));
  EXPECT_EQ(paired.stamps.size(), 3u);

  const PreviewData doors = previewOfText("doors.csv",
                                          "Date,Time, Door,Time, Window\n"
                                          "2021-01-11,00:01:00,Opened,00:02:00,Closed\n"
                                          "2021-01-11,00:24:00,Closed,,\n"
                                          "2021-01-11,00:30:00,Opened,00:31:00,Opened\n");
  EXPECT_EQ(doors.count, kPairedState);
  EXPECT_TRUE(doors.series[0].states);
  // One set of levels for every series: a state stands at one height.
  EXPECT_EQ(doors.levels, (std::vector<std::string>{"Opened", "Closed"}));
  EXPECT_EQ(doors.series[0].value, (std::vector<double>{0, 1, 0}));
  EXPECT_EQ(doors.series[1].value, (std::vector<double>{1, 0}));

  const PreviewData events = previewOfText("events.csv",
                                           "Date,Time,Type,Duration(seconds), Angle(degrees)\n"
                                           "01/11/2021,08:02:00,Disarmed,0,0\n"
                                           "01/11/2021,09:29:23,Moved,22.2,21\n"
                                           "01/12/2021,07:00:00,Armed,0,0\n");
  ASSERT_EQ(events.series.size(), 1u);
  EXPECT_EQ(events.levels, (std::vector<std::string>{"Выключен", "Включён", "Сдвиг"}));
  EXPECT_EQ(events.series[0].value, (std::vector<double>{0, 2, 1}));
  EXPECT_EQ(events.first, parseDateTime("2021-01-11 08:02:00"));
  EXPECT_EQ(events.last, parseDateTime("2021-01-12 07:00:00"));
}

// The series shown and their axes are the report's, box for box.
TEST(Preview, SeriesGoWhereTheReportPutsThem) {
  const PreviewData light = previewOfText("tag.csv", kLight);
  const PreviewData climate =
      previewOfText("tag.csv",
                    "Date/Time,Temperature (C),Moisture (%),Battery (Volts)\n"
                    "2021-01-11T00:00:00+03:00,18.4,46.3,3.04\n");
  const SeriesPlace off{false, 1, false};
  const SeriesPlace left{true, 1, false};
  const SeriesPlace right{true, 2, false};
  const SeriesPlace leftLog{true, 1, true};
  const SeriesPlace rightLog{true, 2, true};
  struct Case {
    const PreviewData* data;
    PreviewBoxes boxes;
    std::vector<SeriesPlace> places;
  };
  const Case cases[] = {
      // Climate: the last of the series shown goes to the secondary axis.
      {&climate, {true, true, true}, {left, left, right}},
      {&climate, {true, true, false}, {left, right, off}},
      {&climate, {false, true, true}, {off, left, right}},
      {&climate, {true, false, false}, {left, off, off}},
      // Climate and light: light beside others on the right, logarithmic
      // when asked; light alone on the left; without light as the climate.
      {&light, {true, true, true, true, true}, {left, left, rightLog, left}},
      {&light, {false, false, true, true, false}, {off, off, right, left}},
      {&light, {false, false, false, true, true}, {off, off, leftLog, off}},
      {&light, {true, false, true, false, true}, {left, off, off, right}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placesOf(*c.data, c.boxes), c.places);
  }
  const PreviewData paired =
      previewOfText("hall_light.csv", "Date,Time, A,Time, B\n2021-01-11,00:00:00,5,00:00:01,7\n");
  PreviewBoxes logarithmic;
  logarithmic.CheckBox7 = true;
  EXPECT_EQ(placesOf(paired, logarithmic), (std::vector<SeriesPlace>{leftLog, leftLog}));
  EXPECT_EQ(placesOf(paired, PreviewBoxes{}), (std::vector<SeriesPlace>{left, left}));
}

TEST(Preview, ADraggedWindowRoundsToTheNearestLineInsideTheSpan) {
  const PreviewData data = previewOfText("tag.csv", kLight);
  const double first = data.first;
  const double step = 600 / 86400.0;  // ten minutes
  EXPECT_EQ(nearestStamp(data, first - 5), first);
  EXPECT_EQ(nearestStamp(data, first + 0.4 * step), first);
  EXPECT_EQ(nearestStamp(data, first + 0.6 * step), data.stamps[1]);
  EXPECT_EQ(nearestStamp(data, data.last + 5), data.last);
}

}  // namespace
}  // namespace vexa
