#include "report/excel_report.h"

#include <gtest/gtest.h>

#include "input/formats.h"
#include "support/recording_model.h"

namespace vexa {
namespace {

using testing::RecordingServer;
using Lines = std::vector<std::string>;

class FakeHost final : public ReportHost {
 public:
  explicit FakeHost(testing::CallLog& log) : log_(log) {}
  ReportControls controls() override { return values; }
  void showMessage(const std::string& text) override { log_.calls.push_back("message: " + text); }
  ReportControls values;

 private:
  testing::CallLog& log_;
};

CivilDateTime seventhOfJanuary() {
  return decodeDateTime(parseDateTime("2021-01-07 15:30:45"));
}

class ExcelReportTest : public ::testing::Test {
 protected:
  ExcelReportTest() : host(server.log) {
    host.values.Edit1 = "/data/tag.csv";
    host.values.OpenDialog1FileName = "/data/tag.csv";
    session.List = {"Date/Time,Temperature (C),Moisture (%),Battery (Volts)",
                    "2021-01-02 10:00:00,1,2,3"};
    session.countsttr = 2;
  }
  void run(int count, int s = 3) {
    ExcelReport report(server, host, session, owner, seventhOfJanuary);
    TextTable Arr(2, 5);
    report.Excel(count, Arr, 44198.0, 44199.0, s);
  }
  // The calls up to the end of the start-up, and from the finish on.
  Lines startUp() const {
    const Lines& calls = server.log.calls;
    const auto step13 = std::find(calls.begin(), calls.end(), "Application.Sheets(2)");
    return Lines(calls.begin(), step13 + 1);
  }
  Lines finish() const {
    const Lines& calls = server.log.calls;
    const auto save = std::find(calls.begin(), calls.end(), "Workbook.Save()");
    return Lines(save, calls.end());
  }

  RecordingServer server;
  FakeHost host;
  Session session;
  std::vector<AutomationComponents> owner;
};

TEST_F(ExcelReportTest, StartUpAndSaveInOrder) {
  run(kClimate);
  EXPECT_EQ(startUp(), (Lines{
                           "attach",
                           "Application.Visible = False",
                           "Application.SheetsInNewWorkbook = 3",
                           "Application.Workbooks",
                           "Application.Workbooks.Add()",
                           "Application.ActiveSheet",
                           "Application.DisplayAlerts = False",
                           "Application.ErrorCheckingOptions",
                           "Application.ErrorCheckingOptions.BackgroundChecking = False",
                           "Application.ErrorCheckingOptions",
                           "Application.ErrorCheckingOptions.NumberAsText = False",
                           "Application.ErrorCheckingOptions",
                           "Application.ErrorCheckingOptions.InconsistentFormula = False",
                           "Workbook.SaveAs(\"/data/tag-070121_153045\", -4143, 1)",
                           "Application.ActiveSheet",
                           "Application.Sheets(2)",
                       }));
  EXPECT_EQ(finish(), (Lines{"Workbook.Save()", "Application.DisplayAlerts = True",
                             "Application.Visible = True"}));
}

TEST_F(ExcelReportTest, ClosingFinishSaysSavedAfterQuitting) {
  host.values.CheckBox1 = false;
  run(kClimate);
  EXPECT_EQ(finish(), (Lines{"Workbook.Save()", "Application.DisplayAlerts = True",
                             "Workbook.Close()", "Application.Quit()", "message: Файл сохранен."}));
}

TEST_F(ExcelReportTest, SaveAsIsTriedOnceMore) {
  server.log.failOn("Workbook.SaveAs(\"/data/tag-070121_153045\", -4143, 1)", 1);
  run(kClimate);
  EXPECT_EQ(server.log.starting("Workbook.SaveAs").size(), 2u);
  EXPECT_EQ(finish().front(), "Workbook.Save()");
}

TEST_F(ExcelReportTest, SecondSaveAsFailureEndsTheReport) {
  host.values.CheckBox1 = false;
  server.log.failOn("Workbook.SaveAs(\"/data/tag-070121_153045\", -4143, 1)", 2);
  EXPECT_THROW(run(kClimate), std::runtime_error);
  EXPECT_EQ(server.log.starting("Workbook.SaveAs").size(), 2u);
  EXPECT_EQ(server.log.calls.back(), "Workbook.SaveAs(\"/data/tag-070121_153045\", -4143, 1)");
  // No save, no alerts back on, no message.
  EXPECT_TRUE(server.log.starting("Workbook.Save(").empty());
  EXPECT_TRUE(server.log.starting("message").empty());
}

TEST_F(ExcelReportTest, NameIsThePathCutBeforeItsLastDotAndTheTime) {
  struct Case {
    const char* edit1;
    const char* name;
  };
  const Case cases[] = {
      {"/data/tag.csv", "/data/tag-070121_153045"},
      {"/data.old/tag", "/data-070121_153045"},
      {"tag", "-070121_153045"},
      {"/home/u/Отчёты/датчик №1.2021.csv", "/home/u/Отчёты/датчик №1.2021-070121_153045"},
  };
  for (const Case& c : cases) {
    server.log.calls.clear();
    server.log.getters.clear();
    host.values.Edit1 = c.edit1;
    run(kClimate);
    EXPECT_EQ(server.log.starting("Workbook.SaveAs"),
              Lines{std::string("Workbook.SaveAs(\"") + c.name + "\", -4143, 1)"});
  }
  EXPECT_EQ(reportTimeStamp(decodeDateTime(parseDateTime("2021-12-31 09:05:01"))), "311221_090501");
}

TEST_F(ExcelReportTest, DataSheetByFormatCode) {
  struct Case {
    int count;
    Lines selection;
  };
  const Case cases[] = {
      {kClimate, {"Application.ActiveSheet", "Application.Sheets(2)"}},
      {kPairedNumeric, {"Application.ActiveSheet", "Application.Sheets(2)"}},
      {kMotionEvents,
       {"Application.ActiveSheet", "Application.Sheets(2)", "Application.Sheets(1)"}},
      {kPairedState, {"Application.ActiveSheet", "Application.Sheets(2)", "Application.Sheets(1)"}},
  };
  for (const Case& c : cases) {
    server.log.calls.clear();
    server.log.getters.clear();
    owner.clear();
    run(c.count);
    const Lines& calls = server.log.calls;
    const auto saveAs = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
      return call.rfind("Workbook.SaveAs", 0) == 0;
    });
    EXPECT_EQ(Lines(saveAs + 1, saveAs + 1 + static_cast<long>(c.selection.size())), c.selection)
        << c.count;
    EXPECT_EQ(owner.at(0).ASheet != nullptr, true);
  }
}

TEST_F(ExcelReportTest, TheWindowKeepsTheComponentsOfEveryReport) {
  run(kClimate);
  run(kClimate);
  ASSERT_EQ(owner.size(), 2u);
  for (const AutomationComponents& c : owner) {
    EXPECT_TRUE(c.XL && c.WB && c.ASheet);
  }
  EXPECT_EQ(server.log.starting("attach").size(), 2u);
}

}  // namespace
}  // namespace vexa
