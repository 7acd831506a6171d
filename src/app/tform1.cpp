#include "app/tform1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimeEdit>
#include <QUrl>

#include "app/dialogs.h"
#include "app/fonts.h"
#include "app/form_layout.h"
#include "app/preview_chart.h"
#include "app/qt_text.h"
#include "app/tform2.h"
#include "input/datetime.h"
#include "input/formats.h"
#include "input/messages.h"
#include "input/preview.h"

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
  createPreview();
  setTabOrder();
  setHeight(layout::kResetHeight);
  setAcceptDrops(true);

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

void TForm1::createPreview() {
  Preview = new PreviewChart(this);
  Preview->hide();
  PreviewToggle = makeCheckBox(this, "PreviewToggle", layout::PreviewToggle,
                               QStringLiteral("График"), previewShown_);
  PreviewToggle->setToolTip(QStringLiteral("Показать или скрыть график под формой (Ctrl+G)"));
  PreviewToggle->hide();
  previewAction_ = new QAction(QStringLiteral("Показывать график"), this);
  previewAction_->setCheckable(true);
  previewAction_->setChecked(previewShown_);
  previewAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  addAction(previewAction_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(PreviewToggle, &QCheckBox::toggled, this, &TForm1::setPreviewShown);
  connect(previewAction_, &QAction::toggled, this, &TForm1::setPreviewShown);

  // The preview follows the boxes and the pickers; a window dragged out on
  // it goes into the pickers.
  for (QCheckBox* box : {CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7}) {
    connect(box, &QCheckBox::toggled, this, &TForm1::updatePreviewPlaces);
  }
  for (QDateEdit* picker : {DateTimePicker1, DateTimePicker3}) {
    connect(picker, &QDateEdit::dateChanged, this, &TForm1::updatePreviewBand);
  }
  for (QTimeEdit* picker : {DateTimePicker2, DateTimePicker4}) {
    connect(picker, &QTimeEdit::timeChanged, this, &TForm1::updatePreviewBand);
  }
  connect(Preview, &PreviewChart::windowChosen, this, &TForm1::setPickers);
}

void TForm1::setHeight(int outerHeight) {
  outerHeight_ = outerHeight;
  applyWindowSize();
}

bool TForm1::previewInView() const {
  return previewShown_ && Preview->hasData();
}

void TForm1::applyWindowSize() {
  const int designed = outerHeight_ - layout::kFrameHeight;
  PreviewToggle->setVisible(Preview->hasData() && toggleTop_ >= 0);
  if (toggleTop_ >= 0) {
    PreviewToggle->move(PreviewToggle->x(), toggleTop_);
  }
  if (!previewInView()) {
    Preview->hide();
    setFixedSize(layout::kClientWidth, designed);  // the designed window
    return;
  }
  // The preview below the form; the window can be made larger.
  const int wanted = designed + std::max(previewHeight_, layout::kPreviewMinimumHeight);
  setMinimumSize(layout::kClientWidth, designed + layout::kPreviewMinimumHeight);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(std::max(width(), layout::kClientWidth), wanted);
  Preview->setGeometry(layout::kPreviewMargin, designed, width() - 2 * layout::kPreviewMargin,
                       height() - designed - layout::kPreviewMargin);
  Preview->show();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!previewInView()) {
    return;
  }
  const int designed = outerHeight_ - layout::kFrameHeight;
  previewHeight_ = height() - designed;
  Preview->setGeometry(layout::kPreviewMargin, designed, width() - 2 * layout::kPreviewMargin,
                       height() - designed - layout::kPreviewMargin);
  if (settings_ != nullptr) {
    settings_->setValue(QStringLiteral("preview/height"), previewHeight_);
  }
}

void TForm1::setPreviewShown(bool shown) {
  previewShown_ = shown;
  for (QObject* control :
       {static_cast<QObject*>(PreviewToggle), static_cast<QObject*>(previewAction_)}) {
    const QSignalBlocker quiet(control);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
      box->setChecked(shown);
    } else {
      static_cast<QAction*>(control)->setChecked(shown);
    }
  }
  if (settings_ != nullptr) {
    settings_->setValue(QStringLiteral("preview/shown"), shown);
  }
  applyWindowSize();
}

void TForm1::useSettings(QSettings& settings) {
  settings_ = &settings;
  previewHeight_ = settings.value(QStringLiteral("preview/height"), previewHeight_).toInt();
  OpenDialog1.InitialDir = settings.value(QStringLiteral("open/folder")).toString();
  setPreviewShown(settings.value(QStringLiteral("preview/shown"), true).toBool());
}

void TForm1::showPreviewOfSession() {
  Preview->setData(previewOf(session));
  updatePreviewPlaces();
  updatePreviewBand();
  applyWindowSize();
}

void TForm1::updatePreviewPlaces() {
  if (!Preview->hasData()) {
    return;
  }
  const ReportControls c = controls();
  const PreviewBoxes boxes{c.CheckBox2, c.CheckBox3, c.CheckBox4,
                           c.CheckBox5, c.CheckBox6, c.CheckBox7};
  Preview->setPlaces(placesOf(Preview->data(), boxes));
}

void TForm1::updatePreviewBand() {
  if (!Preview->hasData()) {
    return;
  }
  const StartChoices chosen = startChoices();
  if (isValidCivil(chosen.start) && isValidCivil(chosen.end)) {
    Preview->setBand(encodeDateTime(chosen.start), encodeDateTime(chosen.end));
  }
}

void TForm1::setPickers(double start, double end) {
  const CivilDateTime from = decodeDateTime(start);
  const CivilDateTime to = decodeDateTime(end);
  DateTimePicker1->setDate(QDate(from.year, from.month, from.day));
  DateTimePicker2->setTime(QTime(from.hour, from.minute, from.second));
  DateTimePicker3->setDate(QDate(to.year, to.month, to.day));
  DateTimePicker4->setTime(QTime(to.hour, to.minute, to.second));
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
  // Nothing of the previous export stays in view.
  Preview->clear();
  toggleTop_ = -1;
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
  openNamed();
}

void TForm1::openFile(const QString& path) {
  guarded([&] {
    resetForOpen();
    OpenDialog1.FileName = path;
    Edit1->setText(path);
    openNamed();
  });
}

void TForm1::openNamed() {
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
  if (settings_ != nullptr) {
    settings_->setValue(QStringLiteral("open/folder"),
                        QFileInfo(OpenDialog1.FileName).absolutePath());
  }
  showPreviewOfSession();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.front().isLocalFile() &&
      urls.front().toLocalFile().endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    event->acceptProposedAction();
  }
}

void TForm1::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.front().isLocalFile()) {
    event->acceptProposedAction();
    openFile(urls.front().toLocalFile());
  }
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
      toggleTop_ = layout::kProgressTop;
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
      toggleTop_ = layout::kProgressClimateLightTop;
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
      toggleTop_ = layout::kProgressTop;
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
  applyWindowSize();
}

void TForm1::progressShown(int top) {
  PreviewToggle->hide();  // the bar takes its row while Start runs
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
