#include "app/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>

#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/form_layout.h"
#include "app/qt_text.h"
#include "app/tform2.h"
#include "input/datetime.h"
#include "input/formats.h"
#include "input/messages.h"

namespace vexa {

namespace {

template <class Widget>
Widget* make(QWidget* parent, const char* name, const QRect& geometry) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(geometry);
  return widget;
}

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QRect& geometry,
                        const QString& caption, bool ticked) {
  auto* box = make<QCheckBox>(parent, name, geometry);
  box->setText(caption);
  box->setChecked(ticked);
  return box;
}

QDateEdit* makeDatePicker(QWidget* parent, const char* name, const QRect& geometry) {
  auto* picker = make<QDateEdit>(parent, name, geometry);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  picker->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
  picker->setDate(QDate(1899, 12, 30));
  return picker;
}

QTimeEdit* makeTimePicker(QWidget* parent, const char* name, const QRect& geometry) {
  auto* picker = make<QTimeEdit>(parent, name, geometry);
  picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  picker->setTime(QTime(0, 0, 0));
  return picker;
}

}  // namespace

TForm1::TForm1(UserDialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(toQString(kProgramTitle));
  setFont(formFont());
  createControls();
  setTabOrder();
  setHeight(layout::kResetHeight);

  OpenDialog1.Title = QStringLiteral("Выбор файла");
  OpenDialog1.Filter = QStringLiteral("Vexa|*.csv");

  connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
}

void TForm1::createControls() {
  Edit1 = make<QLineEdit>(this, "Edit1", layout::Edit1);
  Button1 = make<QPushButton>(this, "Button1", layout::Button1);
  Button1->setText(QStringLiteral("Открыть"));
  Button2 = make<QPushButton>(this, "Button2", layout::Button2);
  Button2->setText(QStringLiteral("Пуск"));
  Button2->setEnabled(false);
  Label1 = make<QLabel>(this, "Label1", layout::Label1);
  Label1->setText(QStringLiteral("Число десятичных знаков"));
  ComboBox1 = make<QComboBox>(this, "ComboBox1", layout::ComboBox1);
  for (int places = 0; places <= 8; ++places) {
    ComboBox1->addItem(QString::number(places));
  }
  ComboBox1->setCurrentIndex(6);
  CheckBox1 = makeCheckBox(this, "CheckBox1", layout::CheckBox1,
                           QStringLiteral("Открыть файл по завершению?"), true);
  Button3 = make<QPushButton>(this, "Button3", layout::Button3);
  Button3->setText(QStringLiteral("О программе"));

  GroupBox1 = make<QGroupBox>(this, "GroupBox1", layout::GroupBox1);
  GroupBox1->setTitle(QStringLiteral("Добавить на график"));
  GroupBox1->hide();
  CheckBox2 =
      makeCheckBox(GroupBox1, "CheckBox2", layout::CheckBox2, QStringLiteral("Температура"), true);
  CheckBox3 =
      makeCheckBox(GroupBox1, "CheckBox3", layout::CheckBox3, QStringLiteral("Влажность"), true);
  CheckBox4 =
      makeCheckBox(GroupBox1, "CheckBox4", layout::CheckBox4, QStringLiteral("Батарея"), false);
  CheckBox5 = makeCheckBox(GroupBox1, "CheckBox5", layout::CheckBox5,
                           QStringLiteral("Освещённость"), false);
  CheckBox6 = makeCheckBox(GroupBox1, "CheckBox6", layout::CheckBox6,
                           QStringLiteral("Логарифмическая"), false);
  for (QCheckBox* box : {CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6}) {
    box->hide();
  }

  DateTimePicker1 = makeDatePicker(this, "DateTimePicker1", layout::DateTimePicker1);
  DateTimePicker1->hide();
  DateTimePicker2 = makeTimePicker(this, "DateTimePicker2", layout::DateTimePicker2);
  DateTimePicker3 = makeDatePicker(this, "DateTimePicker3", layout::DateTimePicker3);
  DateTimePicker3->hide();
  DateTimePicker4 = makeTimePicker(this, "DateTimePicker4", layout::DateTimePicker4);

  CheckBox7 = makeCheckBox(this, "CheckBox7", layout::CheckBox7,
                           QStringLiteral("Логарифмическая шкала"), false);
  CheckBox7->hide();
  ProgressBar2 = make<QProgressBar>(this, "ProgressBar2", layout::ProgressBar2);
  ProgressBar2->setTextVisible(false);
  ProgressBar2->hide();
}

void TForm1::setTabOrder() {
  const QWidget* order[] = {Button1,         Edit1,           CheckBox1,       CheckBox2,
                            CheckBox3,       CheckBox4,       CheckBox5,       CheckBox6,
                            Button2,         DateTimePicker1, DateTimePicker3, DateTimePicker2,
                            DateTimePicker4, ComboBox1,       Button3,         CheckBox7};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
  ProgressBar2->setFocusPolicy(Qt::NoFocus);
}

void TForm1::setHeight(int outerHeight) {
  outerHeight_ = outerHeight;
  setFixedSize(layout::kClientWidth, outerHeight - layout::kFrameHeight);
}

void TForm1::setPickersTop(int top) {
  for (QWidget* picker :
       {static_cast<QWidget*>(DateTimePicker1), static_cast<QWidget*>(DateTimePicker2),
        static_cast<QWidget*>(DateTimePicker3), static_cast<QWidget*>(DateTimePicker4)}) {
    picker->move(picker->x(), top);
  }
}

void TForm1::showPickers(bool shown) {
  for (QWidget* picker :
       {static_cast<QWidget*>(DateTimePicker1), static_cast<QWidget*>(DateTimePicker2),
        static_cast<QWidget*>(DateTimePicker3), static_cast<QWidget*>(DateTimePicker4)}) {
    picker->setVisible(shown);
  }
}

void TForm1::resetForOpen() {
  session.ref = "all";
  setPickersTop(layout::kPickersResetTop);
  Button2->setEnabled(false);
  setHeight(layout::kResetHeight);
  GroupBox1->resize(GroupBox1->width(), layout::kGroupResetHeight);
  GroupBox1->hide();
  CheckBox2->setGeometry(layout::CheckBox2);
  CheckBox3->setGeometry(layout::CheckBox3);
  CheckBox4->setGeometry(layout::CheckBox4);
  for (QCheckBox* box : {CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7}) {
    box->hide();
  }
  showPickers(false);
}

void TForm1::Button1Click() {
  resetForOpen();
  if (OpenDialog1.Execute(dialogs_, this)) {
    Edit1->setText(OpenDialog1.FileName);
  }
  const QString nam = Edit1->text();
  if (nam.isEmpty()) {
    return;
  }
  if (isRefusedName(toStdString(nam))) {
    dialogs_.showMessage(this, toQString(kRefusedNameMessage));
    Edit1->clear();
    return;
  }
  openExport(toFileSystemPath(OpenDialog1.FileName), session, *this);
  fillPickers();
  Button2->setEnabled(true);
}

void TForm1::thinningWarning(const std::string& text) {
  dialogs_.showMessage(this, toQString(text));
}

void TForm1::layoutRecognised(const ExportLayout& layout) {
  const auto showSeries = [](QCheckBox* box, const char* caption) {
    box->setText(QString::fromUtf8(caption));
    box->show();
  };
  switch (layout.count) {
    case kClimate:
    case kTemperature:
      setHeight(layout::kClimateHeight);
      setPickersTop(layout::kPickersClimateTop);
      showPickers(true);
      GroupBox1->show();
      showSeries(CheckBox2, "Температура");
      if (layout.count == kClimate) {
        showSeries(CheckBox3, "Влажность");
      }
      showSeries(CheckBox4, "Батарея");
      if (layout.twoProbe) {
        CheckBox2->resize(layout::kTwoProbeCheckBox2Width, CheckBox2->height());
        CheckBox2->setText(QStringLiteral("Температура зонда"));
        CheckBox3->setGeometry(layout::kTwoProbeCheckBox3Left, CheckBox3->y(),
                               layout::kTwoProbeCheckBox3Width, CheckBox3->height());
        showSeries(CheckBox3, "Температура корпуса");
        CheckBox4->move(layout::kTwoProbeCheckBox4Left, CheckBox4->y());
      }
      break;
    case kClimateLight:
      setHeight(layout::kClimateLightHeight);
      setPickersTop(layout::kPickersClimateLightTop);
      showPickers(true);
      GroupBox1->resize(GroupBox1->width(), layout::kGroupClimateLightHeight);
      GroupBox1->show();
      showSeries(CheckBox2, "Температура");
      showSeries(CheckBox3, "Влажность");
      showSeries(CheckBox4, "Батарея");
      showSeries(CheckBox5, "Освещённость");
      showSeries(CheckBox6, "Логарифмическая");
      break;
    case kPairedNumeric:
    case kPairedState:
      CheckBox7->setVisible(layout.lightOption);
      setHeight(layout::kClimateHeight);
      setPickersTop(layout::kPickersResetTop);
      showPickers(true);
      break;
    default:  // motion events keep the reset shape
      break;
  }
}

void TForm1::fillPickers() {
  const auto toDate = [](const CivilDateTime& v) { return QDate(v.year, v.month, v.day); };
  const auto toTime = [](const CivilDateTime& v) { return QTime(v.hour, v.minute, v.second); };
  const CivilDateTime first = decodeDateTime(session.OsMin1);
  const CivilDateTime last = decodeDateTime(session.OsMax1);
  DateTimePicker1->setDate(toDate(first));
  DateTimePicker2->setTime(toTime(first));
  DateTimePicker3->setDate(toDate(last));
  DateTimePicker4->setTime(toTime(last));
}

StartChoices TForm1::startChoices() const {
  const auto civil = [](const QDate& date, const QTime& time) {
    CivilDateTime value;
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
    value.hour = time.hour();
    value.minute = time.minute();
    value.second = time.second();
    return value;
  };
  StartChoices choices;
  choices.CheckBox2 = CheckBox2->isChecked();
  choices.CheckBox3 = CheckBox3->isChecked();
  choices.CheckBox4 = CheckBox4->isChecked();
  choices.CheckBox5 = CheckBox5->isChecked();
  choices.start = civil(DateTimePicker1->date(), DateTimePicker2->time());
  choices.end = civil(DateTimePicker3->date(), DateTimePicker4->time());
  return choices;
}

void TForm1::Button2Click() {
  Button2->setEnabled(false);
  if (reportBuilder_ == nullptr) {
    throw std::logic_error("Start has no report builder");
  }
  StartChoices choices = startChoices();
  try {
    runStart(session, choices, *this, *reportBuilder_);
  } catch (const StopWithMessage& stop) {
    // A refused interval or no ticked series ends the run normally; any other
    // error leaves Start disabled until the next successful Open.
    showStop(stop);
  }
  Button2->setEnabled(true);
  ProgressBar2->hide();
}

void TForm1::progressShown(int top) {
  ProgressBar2->move(ProgressBar2->x(), top);
  ProgressBar2->setRange(0, 3);
  ProgressBar2->setValue(1);
  shownProgress_ = 1;
  ProgressBar2->show();
  ProgressBar2->repaint();
}

void TForm1::progressMaximum(int maximum) {
  ProgressBar2->setMaximum(maximum);
}

void TForm1::progressPosition(int position) {
  // The bar is moved only when it moves visibly: the paired-column extraction
  // reports hundreds of thousands of steps.
  const int maximum = ProgressBar2->maximum();
  position = std::min(position, maximum);
  if (std::abs(position - shownProgress_) * 100 >= maximum || position == maximum ||
      position < shownProgress_) {
    shownProgress_ = position;
    ProgressBar2->setValue(position);
    ProgressBar2->repaint();
  }
}

void TForm1::humidityCleared() {
  CheckBox3->setChecked(false);
}

void TForm1::useSpreadsheet(xl::AutomationServer& server, Clock clock) {
  ReportHost& host = *this;
  excelReport_ =
      std::make_unique<ExcelReport>(server, host, session, automationComponents_, std::move(clock));
  reportBuilder_ = excelReport_.get();
}

ReportControls TForm1::controls() {
  ReportControls c;
  c.Edit1 = toFileSystemPath(Edit1->text());
  c.CheckBox1 = CheckBox1->isChecked();
  c.ComboBox1 = toStdString(ComboBox1->currentText());
  c.CheckBox2 = CheckBox2->isChecked();
  c.CheckBox3 = CheckBox3->isChecked();
  c.CheckBox4 = CheckBox4->isChecked();
  c.CheckBox5 = CheckBox5->isChecked();
  c.CheckBox6 = CheckBox6->isChecked();
  c.CheckBox7 = CheckBox7->isChecked();
  c.CheckBox5Caption = toStdString(CheckBox5->text());
  c.OpenDialog1FileName = toFileSystemPath(OpenDialog1.FileName);
  return c;
}

void TForm1::showMessage(const std::string& text) {
  dialogs_.showMessage(this, toQString(text));
}

void TForm1::Button3Click() {
  if (Form2 != nullptr) {
    Form2->exec();
  }
}

void TForm1::showStop(const std::exception& stop) {
  const auto* message = dynamic_cast<const StopWithMessage*>(&stop);
  if (message != nullptr && !message->caption().empty()) {
    dialogs_.messageBox(toQString(message->what()), toQString(message->caption()));
  } else if (message != nullptr) {
    dialogs_.showMessage(this, toQString(message->what()));
  } else {
    dialogs_.errorBox(this, toQString(messageOf(stop)));
  }
}

void TForm1::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    showStop(error);
  } catch (...) {
    dialogs_.errorBox(this, QStringLiteral("Неизвестная ошибка."));
  }
}

}  // namespace vexa
