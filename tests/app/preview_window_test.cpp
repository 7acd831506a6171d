// The preview under the form: it shows the opened export, follows the boxes
// and the pickers, chooses a window with the mouse, hides and shows with the
// designed window intact, and goes with an Open that fails.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTimeEdit>
#include <QUrl>

#include "app/application.h"
#include "app/dialogs.h"
#include "app/main_window_fixture.h"
#include "app/preview_chart.h"
#include "input/datetime.h"
#include "input/formats.h"
#include "input/messages.h"

namespace vexa {
namespace {

// The climate export of the examples: 288 lines, one every 15 minutes from
// 11 January 2021, 00:00.
std::string exampleClimate() {
  return std::string(VEXA_EXAMPLES) + "/tag_climate.csv";
}

class PreviewWindowTest : public MainWindowTest {
 protected:
  PreviewWindowTest() : settings((dir.path() / "settings.ini").c_str(), QSettings::IniFormat) {
    form.useSettings(settings);
    form.setPreviewShown(true);
    form.openFile(QString::fromStdString(exampleClimate()));
    QApplication::processEvents();
  }
  double pickedStart() const { return encodeDateTime(form.startChoices().start); }
  double pickedEnd() const { return encodeDateTime(form.startChoices().end); }
  void mouse(QEvent::Type type, qreal x, Qt::MouseButtons buttons) {
    const QPointF at(x, form.Preview->plotRect().center().y());
    QMouseEvent event(type, at, form.Preview->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(form.Preview, &event);
  }

  QSettings settings;
};

TEST_F(PreviewWindowTest, ShowsTheExportAndFollowsThePickers) {
  ASSERT_TRUE(form.Preview->hasData());
  EXPECT_TRUE(form.Preview->isVisible());
  EXPECT_GT(form.height(), 154);
  EXPECT_EQ(form.Preview->drawnSeries(), 2);  // temperature and humidity, as ticked
  EXPECT_EQ(form.Preview->band(),
            std::make_pair(form.Preview->data().first, form.Preview->data().last));

  form.DateTimePicker1->setDate(QDate(2021, 1, 12));
  form.DateTimePicker2->setTime(QTime(6, 0, 0));
  form.DateTimePicker4->setTime(QTime(18, 0, 0));
  EXPECT_EQ(form.Preview->band(), std::make_pair(parseDateTime("2021-01-12 06:00:00"),
                                                 parseDateTime("2021-01-13 18:00:00")));
  const QRectF band = form.Preview->bandRect();
  EXPECT_NEAR(band.left(), form.Preview->xOf(parseDateTime("2021-01-12 06:00:00")), 1.5);
  EXPECT_NEAR(band.right(), form.Preview->xOf(parseDateTime("2021-01-13 18:00:00")), 1.5);
}

// A window dragged out on the preview goes into the pickers, rounded to the
// nearest line's time stamp; a double-click takes the whole span again.
TEST_F(PreviewWindowTest, DraggingChoosesTheWindowAndADoubleClickTheWholeSpan) {
  const PreviewData& data = form.Preview->data();
  const qreal from = form.Preview->xOf(parseDateTime("2021-01-11 06:07:00"));
  const qreal to = form.Preview->xOf(parseDateTime("2021-01-12 20:52:00"));
  mouse(QEvent::MouseButtonPress, to, Qt::LeftButton);  // right to left works too
  mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
  EXPECT_NEAR(form.Preview->bandRect().left(), (from + to) / 2, 1.5);  // the band follows
  mouse(QEvent::MouseMove, from, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, from, Qt::NoButton);
  EXPECT_EQ(pickedStart(), nearestStamp(data, form.Preview->timeAt(from)));
  EXPECT_EQ(pickedEnd(), nearestStamp(data, form.Preview->timeAt(to)));
  EXPECT_EQ(formatDateTime(pickedStart()).substr(0, 13), "2021-01-11 06");
  EXPECT_EQ(formatDateTime(pickedEnd()).substr(0, 13), "2021-01-12 20");
  EXPECT_TRUE(std::binary_search(data.stamps.begin(), data.stamps.end(), pickedStart()));
  EXPECT_EQ(form.Preview->band(), std::make_pair(pickedStart(), pickedEnd()));

  // Dragged beyond the plot: the span's ends.
  mouse(QEvent::MouseButtonPress, form.Preview->plotRect().left() + 2, Qt::LeftButton);
  mouse(QEvent::MouseMove, form.Preview->width() + 50, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, form.Preview->width() + 50, Qt::NoButton);
  EXPECT_EQ(pickedEnd(), data.last);

  form.DateTimePicker1->setDate(QDate(2021, 1, 12));
  mouse(QEvent::MouseButtonDblClick, from, Qt::LeftButton);
  EXPECT_EQ(pickedStart(), data.first);
  EXPECT_EQ(pickedEnd(), data.last);

  // The mouse shows the time and the values under it.
  mouse(QEvent::MouseMove, form.Preview->xOf(parseDateTime("2021-01-11 00:15:00")), Qt::NoButton);
  EXPECT_EQ(form.Preview->readout(),
            "11.01.2021 00:15:00   Температура (ºС): 18,4   Влажность (%): 46,1");
}

TEST_F(PreviewWindowTest, TickingAndUntickingShowsAndHidesSeries) {
  form.CheckBox4->setChecked(true);
  EXPECT_EQ(form.Preview->drawnSeries(), 3);
  EXPECT_EQ(form.Preview->places()[2], (SeriesPlace{true, 2, false}));  // battery on the right
  form.CheckBox2->setChecked(false);
  form.CheckBox3->setChecked(false);
  EXPECT_EQ(form.Preview->drawnSeries(), 1);
  EXPECT_EQ(form.Preview->places()[2], (SeriesPlace{true, 1, false}));
  EXPECT_GT(form.Preview->drawnPoints(), 0);
  EXPECT_LE(form.Preview->drawnPoints(), 4 * form.Preview->width());
}

// The row of limits over the preview: what is typed reaches the preview's
// lines and statistics, and comes back with the next window.
TEST_F(PreviewWindowTest, LimitsRowSetsThePreviewsLimits) {
  ASSERT_TRUE(form.LimitSeries->isVisible());
  EXPECT_EQ(form.LimitLabel->text(), "Пределы:");
  EXPECT_EQ(form.LimitSeries->count(), 2);  // temperature and humidity, as ticked
  EXPECT_EQ(form.LimitSeries->itemText(1), "Влажность (%)");
  EXPECT_EQ(form.LimitLow->placeholderText(), "нижний");
  EXPECT_GT(form.Preview->geometry().top(), form.LimitSeries->geometry().bottom());  // above it

  form.LimitSeries->setCurrentIndex(1);
  form.LimitHigh->setText("46,5");
  EXPECT_EQ(form.Preview->limits()[1], (Limits{std::nullopt, 46.5}));
  EXPECT_EQ(form.Preview->limits()[0], Limits());
  ASSERT_EQ(form.Preview->statistics().size(), 3u);  // the verdict, then each series
  EXPECT_EQ(form.Preview->statistics()[0].rfind("Итог: ", 0), 0u);
  EXPECT_NE(form.Preview->statistics()[2].find("выше 46,5: "), std::string::npos)
      << form.Preview->statistics()[2];
  // Ticking the battery offers it too, the chosen series stays chosen.
  form.CheckBox4->setChecked(true);
  EXPECT_EQ(form.LimitSeries->count(), 3);
  EXPECT_EQ(form.LimitSeries->currentIndex(), 1);
  EXPECT_EQ(form.LimitHigh->text(), "46,5");

  testing::ScriptedDialogs otherDialogs;
  TForm1 next(otherDialogs);
  next.useSettings(settings);
  next.setPreviewShown(true);
  next.openFile(QString::fromStdString(exampleClimate()));
  EXPECT_EQ(next.Preview->limits()[1], (Limits{std::nullopt, 46.5}));
}

// Hidden, the window is the designed one; the state outlives the window.
TEST_F(PreviewWindowTest, HiddenThePreviewLeavesTheDesignedWindow) {
  ASSERT_TRUE(form.PreviewToggle->isVisible());
  EXPECT_EQ(form.PreviewToggle->text(), "График");
  EXPECT_EQ(form.PreviewToggle->geometry(), QRect(8, 132, 80, 17));
  const QSize shown = form.size();
  form.PreviewToggle->click();
  EXPECT_FALSE(form.previewShown());
  EXPECT_FALSE(form.Preview->isVisible());
  EXPECT_EQ(form.Height(), 195);
  EXPECT_EQ(form.size(), QSize(487, 154));
  EXPECT_EQ(settings.value("preview/shown").toBool(), false);

  testing::ScriptedDialogs otherDialogs;
  TForm1 next(otherDialogs);
  next.useSettings(settings);
  EXPECT_FALSE(next.previewShown());

  form.PreviewToggle->click();
  EXPECT_TRUE(form.Preview->isVisible());
  EXPECT_EQ(form.size(), shown);
  EXPECT_EQ(form.Height(), 195);  // the designed height, the preview below it

  // The window widened for the preview stays as wide through the next Open.
  form.resize(820, shown.height() + 40);
  form.openFile(QString::fromStdString(exampleClimate()));
  EXPECT_EQ(form.size(), QSize(820, shown.height() + 40));
  EXPECT_EQ(settings.value("preview/width").toInt(), 820);
}

// The motion layout's designed window has no room for the switch: the
// window's context menu and Ctrl+G hide and show the preview there.
TEST_F(PreviewWindowTest, MotionEventsShowOverTimeAndHideByTheMenu) {
  open("events.csv", kMotionText + "01/03/2021,11:00:00,Armed,0,0\n");
  ASSERT_TRUE(form.Preview->hasData());
  EXPECT_EQ(form.Preview->drawnSeries(), 1);
  EXPECT_EQ(form.Preview->data().levels[2], "Сдвиг");
  EXPECT_FALSE(form.PreviewToggle->isVisible());
  EXPECT_GT(form.height(), 58);
  QAction* menu = nullptr;
  for (QAction* action : form.actions()) {
    if (action->text() == "Показывать график") {
      menu = action;
    }
  }
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->shortcut(), QKeySequence("Ctrl+G"));
  EXPECT_EQ(form.contextMenuPolicy(), Qt::ActionsContextMenu);
  menu->trigger();
  EXPECT_FALSE(form.previewShown());
  EXPECT_EQ(form.size(), QSize(487, 58));
  menu->trigger();
  EXPECT_GT(form.height(), 58);
}

// An Open that fails leaves no preview of the export before.
TEST_F(PreviewWindowTest, AFailedOpenLeavesNoStalePreview) {
  ASSERT_TRUE(form.Preview->hasData());
  open("unknown.csv", "Time,Value\n1,2\n");
  EXPECT_FALSE(form.Preview->hasData());
  EXPECT_FALSE(form.Preview->isVisible());
  EXPECT_FALSE(form.PreviewToggle->isVisible());
  EXPECT_EQ(form.size(), QSize(487, 58));
  EXPECT_EQ(form.Preview->drawnSeries(), 0);
}

// "vexa-chart FILE" and a file dropped on the window open as Open would; the
// next dialog starts in the folder of the last export, also after a restart.
TEST_F(PreviewWindowTest, CommandLineAndDroppedFilesOpen) {
  EXPECT_EQ(exportFromArguments({"vexa-chart", "-style=fusion", "/data/tag.csv"}), "/data/tag.csv");
  EXPECT_EQ(exportFromArguments({"vexa-chart"}), "");
  EXPECT_EQ(form.Edit1->text(), QString::fromStdString(exampleClimate()));
  EXPECT_TRUE(form.Button2->isEnabled());

  const std::string dropped = dir.write("dropped.csv", kPairedText);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  EXPECT_EQ(form.Edit1->text(), QString::fromStdString(dropped));
  EXPECT_EQ(form.session.count, kPairedNumeric);
  EXPECT_EQ(form.Preview->drawnSeries(), 2);

  QMimeData text;
  text.setUrls({QUrl::fromLocalFile("/data/notes.txt")});
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &refused);
  EXPECT_FALSE(refused.isAccepted());

  testing::ScriptedDialogs otherDialogs;
  TForm1 next(otherDialogs);
  next.useSettings(settings);
  otherDialogs.answerCancel();
  next.Button1->click();
  EXPECT_EQ(otherDialogs.lastFolder, QString::fromStdString(dir.path().string()));
}

// Qt's own texts speak Russian, like the window.
TEST(Application, QtsOwnTextsAreRussian) {
  setUpApplication(*qApp);
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Отмена");
  EXPECT_EQ(QLocale().monthName(1, QLocale::LongFormat).toLower().left(4), "янва");
  EXPECT_EQ(QApplication::applicationName(), "Vexa_Сhart");
  // The file dialog's columns: a folder's type, and sizes and dates in the
  // system's locale, which the tests' start-up reads as the program's does.
  EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), "Папка");
  EXPECT_EQ(QLocale::system().language(), QLocale::Russian);

  // Message boxes are as wide as their text: the thinning warning keeps its
  // factor on its line, a text of two lines keeps two.
  for (const auto& [text, lines] :
       {std::pair{QString::fromUtf8(kThinningMessage.data(), kThinningMessage.size()) + "2", 1},
        std::pair{QString("Книга сохранена.\nОткрыть её не удалось."), 2}}) {
    QMessageBox message(QMessageBox::Information, "Vexa_Сhart", text, QMessageBox::Ok);
    fitToText(message);
    message.show();
    QApplication::processEvents();
    const auto* label = message.findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->height() / label->fontMetrics().lineSpacing(), lines) << text.toStdString();
  }
}

}  // namespace
}  // namespace vexa
