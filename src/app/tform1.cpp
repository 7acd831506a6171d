#include "app/tform1.h"

#include <QAction>
#include <QApplication>
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
#include "app/open_dialog.h"
#include "app/preview_chart.h"
#include "app/qt_text.h"
#include "app/tform2.h"
#include "input/messages.h"

namespace vexa {

using form::ControlId;

// The presenter's dialogs through the window's UserDialogs, owned by it.
class TForm1::Dialogs final : public form::FormDialogs {
 public:
  Dialogs(UserDialogs& dialogs, QWidget* owner) : dialogs_(dialogs), owner_(owner) {}
  std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                        const std::string& folder) override {
    const auto chosen =
        dialogs_.chooseFile(owner_, toQString(title), qtFilter(filter), toQString(folder));
    if (!chosen) {
      return std::nullopt;
    }
    return toStdString(*chosen);
  }
  std::vector<std::string> chooseFiles(const std::string& title, const std::string& filter,
                                       const std::string& folder) override {
    std::vector<std::string> chosen;
    for (const QString& file :
         dialogs_.chooseFiles(owner_, toQString(title), qtFilter(filter), toQString(folder))) {
      chosen.push_back(toStdString(file));
    }
    return chosen;
  }
  std::optional<Several> askSeveral(const std::string& question) override {
    switch (dialogs_.askSeveral(owner_, toQString(question))) {
      case 0:
        return Several::OneTag;
      case 1:
        return Several::CompareTags;
      default:
        return std::nullopt;
    }
  }
  void showMessage(const std::string& text) override {
    dialogs_.showMessage(owner_, toQString(text));
  }
  void messageBox(const std::string& text, const std::string& caption) override {
    dialogs_.messageBox(toQString(text), toQString(caption));
  }
  void errorBox(const std::string& text) override { dialogs_.errorBox(owner_, toQString(text)); }
  void informationBox(const std::string& text) override {
    dialogs_.informationBox(owner_, toQString(text));
  }
  bool openUrl(const std::string& url) override { return dialogs_.openUrl(toQString(url)); }

 private:
  UserDialogs& dialogs_;
  QWidget* owner_;
};

// The presenter's settings in a QSettings.
class TForm1::Settings final : public form::SettingsStore {
 public:
  explicit Settings(QSettings& settings) : settings_(settings) {}
  std::optional<std::string> value(const std::string& key) const override {
    const QVariant value = settings_.value(toQString(key));
    if (!value.isValid()) {
      return std::nullopt;
    }
    return toStdString(value.toString());
  }
  void setValue(const std::string& key, const std::string& value) override {
    settings_.setValue(toQString(key), toQString(value));
  }

 private:
  QSettings& settings_;
};

namespace {

template <class Widget>
Widget* make(QWidget* parent, const char* name) {
  auto* widget = new Widget(parent);
  widget->setObjectName(QLatin1String(name));
  return widget;
}

QDateEdit* makeDatePicker(QWidget* parent, const char* name) {
  auto* picker = make<QDateEdit>(parent, name);
  picker->setCalendarPopup(true);
  picker->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  picker->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
  return picker;
}

QTimeEdit* makeTimePicker(QWidget* parent, const char* name) {
  auto* picker = make<QTimeEdit>(parent, name);
  picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  return picker;
}

CivilDateTime civilOf(const QDate& date, const QTime& time) {
  CivilDateTime value;
  value.year = date.year();
  value.month = date.month();
  value.day = date.day();
  value.hour = time.hour();
  value.minute = time.minute();
  value.second = time.second();
  return value;
}

}  // namespace

TForm1::TForm1(UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      dialogs_(std::make_unique<Dialogs>(dialogs, this)),
      presenter_(std::make_unique<form::MainForm>(*dialogs_, static_cast<MainFormView&>(*this))),
      OpenDialog1(presenter_->OpenDialog1),
      session(presenter_->session) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(toQString(kProgramTitle));
  setFont(formFont());
  createControls();
  setTabOrder();
  setAcceptDrops(true);
  showState(presenter_->state());
  connectControls();
}

TForm1::~TForm1() = default;

void TForm1::createControls() {
  Edit1 = make<QLineEdit>(this, "Edit1");
  Button1 = make<QPushButton>(this, "Button1");
  Button2 = make<QPushButton>(this, "Button2");
  Label1 = make<QLabel>(this, "Label1");
  ComboBox1 = make<QComboBox>(this, "ComboBox1");
  for (int places = 0; places < form::kDecimalItems; ++places) {
    ComboBox1->addItem(QString::number(places));
  }
  CheckBox1 = make<QCheckBox>(this, "CheckBox1");
  Button3 = make<QPushButton>(this, "Button3");
  GroupBox1 = make<QGroupBox>(this, "GroupBox1");
  CheckBox2 = make<QCheckBox>(GroupBox1, "CheckBox2");
  CheckBox3 = make<QCheckBox>(GroupBox1, "CheckBox3");
  CheckBox4 = make<QCheckBox>(GroupBox1, "CheckBox4");
  CheckBox5 = make<QCheckBox>(GroupBox1, "CheckBox5");
  CheckBox6 = make<QCheckBox>(GroupBox1, "CheckBox6");
  DateTimePicker1 = makeDatePicker(this, "DateTimePicker1");
  DateTimePicker2 = makeTimePicker(this, "DateTimePicker2");
  DateTimePicker3 = makeDatePicker(this, "DateTimePicker3");
  DateTimePicker4 = makeTimePicker(this, "DateTimePicker4");
  CheckBox7 = make<QCheckBox>(this, "CheckBox7");
  ProgressBar2 = make<QProgressBar>(this, "ProgressBar2");
  ProgressBar2->setTextVisible(false);

  Preview = new PreviewChart(presenter_->preview(), this);
  Preview->setPresenter(presenter_.get());
  Preview->hide();
  PreviewToggle = make<QCheckBox>(this, "PreviewToggle");
  PreviewToggle->setToolTip(QStringLiteral("Показать или скрыть график под формой (Ctrl+G)"));
  PdfBox = make<QCheckBox>(this, "PdfBox");
  PdfBox->setToolTip(QStringLiteral("«Пуск» сохранит рядом с книгой и отчёт в PDF"));
  LimitLabel = make<QLabel>(this, "LimitLabel");
  LimitSeries = make<QComboBox>(this, "LimitSeries");
  LimitLowLabel = make<QLabel>(this, "LimitLowLabel");
  LimitLow = make<QLineEdit>(this, "LimitLow");
  LimitHighLabel = make<QLabel>(this, "LimitHighLabel");
  LimitHigh = make<QLineEdit>(this, "LimitHigh");
  AlarmLabel = make<QLabel>(this, "AlarmLabel");
  LimitLowDelayLabel = make<QLabel>(this, "LimitLowDelayLabel");
  LimitLowDelay = make<QLineEdit>(this, "LimitLowDelay");
  LimitLowKind = make<QComboBox>(this, "LimitLowKind");
  LimitHighDelayLabel = make<QLabel>(this, "LimitHighDelayLabel");
  LimitHighDelay = make<QLineEdit>(this, "LimitHighDelay");
  LimitHighKind = make<QComboBox>(this, "LimitHighKind");
  GapLabel = make<QLabel>(this, "GapLabel");
  Gap = make<QLineEdit>(this, "Gap");
  LimitsInForce = make<QLabel>(this, "LimitsInForce");
  LimitLowDelay->setToolTip(
      QStringLiteral("Задержка тревоги нижнего предела, мин: пусто — тревога при любом выходе"));
  LimitHighDelay->setToolTip(
      QStringLiteral("Задержка тревоги верхнего предела, мин: пусто — тревога при любом выходе"));
  LimitLowKind->setToolTip(QStringLiteral(
      "Однократная: тревога, когда один выход дольше задержки; накопительная: когда все выходы "
      "вместе дольше неё"));
  LimitHighKind->setToolTip(LimitLowKind->toolTip());
  Gap->setToolTip(QStringLiteral(
      "Порог пропуска, мин: показание стоит не дольше него; пусто — втрое больше обычного "
      "интервала выгрузки, не меньше минуты"));
  LimitSeries->setToolTip(QStringLiteral("Ряд, пределы которого задаются"));
  LimitLow->setToolTip(QStringLiteral("Нижний предел: число, пусто — без предела"));
  LimitHigh->setToolTip(QStringLiteral("Верхний предел: число, пусто — без предела"));
  previewAction_ = new QAction(QStringLiteral("Показывать график"), this);
  previewAction_->setCheckable(true);
  previewAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  addAction(previewAction_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TForm1::connectControls() {
  form::MainForm& form = *presenter_;
  const auto unlessRendering = [this](auto action) {
    return [this, action](auto... values) {
      if (!rendering_) {
        action(values...);
      }
    };
  };
  connect(Button1, &QPushButton::clicked, this, [&form] { form.clickOpen(); });
  connect(Button2, &QPushButton::clicked, this, [&form] { form.clickStart(); });
  connect(Button3, &QPushButton::clicked, this, [&form] { form.clickAbout(); });
  connect(Edit1, &QLineEdit::textChanged, this,
          unlessRendering([&form](const QString& text) { form.setPathText(toStdString(text)); }));
  connect(ComboBox1, &QComboBox::currentIndexChanged, this,
          unlessRendering([&form](int index) { form.setComboIndex(index); }));
  connect(LimitSeries, &QComboBox::currentIndexChanged, this,
          unlessRendering([&form](int index) { form.setLimitSeries(index); }));
  connect(LimitLow, &QLineEdit::textChanged, this, unlessRendering([&form](const QString& text) {
            form.setLimitText(ControlId::LimitLow, toStdString(text));
          }));
  const std::pair<QLineEdit*, ControlId> edits[] = {{LimitHigh, ControlId::LimitHigh},
                                                    {LimitLowDelay, ControlId::LimitLowDelay},
                                                    {LimitHighDelay, ControlId::LimitHighDelay},
                                                    {Gap, ControlId::Gap}};
  for (const auto& [edit, id] : edits) {
    const ControlId control = id;
    connect(edit, &QLineEdit::textChanged, this,
            unlessRendering([&form, control](const QString& text) {
              form.setLimitText(control, toStdString(text));
            }));
  }
  for (const auto& [list, id] : {std::pair{LimitLowKind, ControlId::LimitLowKind},
                                 std::pair{LimitHighKind, ControlId::LimitHighKind}}) {
    const ControlId control = id;
    connect(list, &QComboBox::currentIndexChanged, this,
            unlessRendering([&form, control](int index) { form.setAlarmKind(control, index); }));
  }
  const std::pair<QCheckBox*, ControlId> boxes[] = {
      {CheckBox1, ControlId::CheckBox1}, {CheckBox2, ControlId::CheckBox2},
      {CheckBox3, ControlId::CheckBox3}, {CheckBox4, ControlId::CheckBox4},
      {CheckBox5, ControlId::CheckBox5}, {CheckBox6, ControlId::CheckBox6},
      {CheckBox7, ControlId::CheckBox7}, {PreviewToggle, ControlId::PreviewToggle},
      {PdfBox, ControlId::PdfBox}};
  for (const auto& [box, id] : boxes) {
    const ControlId control = id;
    connect(box, &QCheckBox::toggled, this,
            unlessRendering([&form, control](bool checked) { form.setChecked(control, checked); }));
  }
  connect(previewAction_, &QAction::toggled, this,
          unlessRendering([&form](bool shown) { form.setPreviewShown(shown); }));
  const auto pickDate = [&form](int picker, QDateEdit* edit) {
    form.setPicker(picker, civilOf(edit->date(), QTime(0, 0)));
  };
  const auto pickTime = [&form](int picker, QTimeEdit* edit) {
    form.setPicker(picker, civilOf(QDate(1899, 12, 30), edit->time()));
  };
  connect(DateTimePicker1, &QDateEdit::dateChanged, this,
          unlessRendering([=, this](const QDate&) { pickDate(0, DateTimePicker1); }));
  connect(DateTimePicker2, &QTimeEdit::timeChanged, this,
          unlessRendering([=, this](const QTime&) { pickTime(1, DateTimePicker2); }));
  connect(DateTimePicker3, &QDateEdit::dateChanged, this,
          unlessRendering([=, this](const QDate&) { pickDate(2, DateTimePicker3); }));
  connect(DateTimePicker4, &QTimeEdit::timeChanged, this,
          unlessRendering([=, this](const QTime&) { pickTime(3, DateTimePicker4); }));
}

void TForm1::setTabOrder() {
  for (std::size_t i = 0; i + 1 < form::kTabOrder.size(); ++i) {
    QWidget::setTabOrder(widgetOf(form::kTabOrder[i]), widgetOf(form::kTabOrder[i + 1]));
  }
  ProgressBar2->setFocusPolicy(Qt::NoFocus);
}

QWidget* TForm1::widgetOf(ControlId id) const {
  QWidget* const widgets[form::kControlCount] = {Edit1,
                                                 Button1,
                                                 Button2,
                                                 Label1,
                                                 ComboBox1,
                                                 CheckBox1,
                                                 Button3,
                                                 GroupBox1,
                                                 CheckBox2,
                                                 CheckBox3,
                                                 CheckBox4,
                                                 CheckBox5,
                                                 CheckBox6,
                                                 DateTimePicker1,
                                                 DateTimePicker2,
                                                 DateTimePicker3,
                                                 DateTimePicker4,
                                                 CheckBox7,
                                                 ProgressBar2,
                                                 PreviewToggle,
                                                 LimitLabel,
                                                 LimitSeries,
                                                 LimitLowLabel,
                                                 LimitLow,
                                                 LimitHighLabel,
                                                 LimitHigh,
                                                 AlarmLabel,
                                                 LimitLowDelayLabel,
                                                 LimitLowDelay,
                                                 LimitLowKind,
                                                 LimitHighDelayLabel,
                                                 LimitHighDelay,
                                                 LimitHighKind,
                                                 GapLabel,
                                                 Gap,
                                                 LimitsInForce,
                                                 PdfBox};
  return widgets[static_cast<std::size_t>(id)];
}

void TForm1::showState(const form::FormState& state) {
  rendering_ = true;
  for (int i = 0; i < form::kControlCount; ++i) {
    const auto id = static_cast<ControlId>(i);
    const form::ControlState& control = state[id];
    QWidget* widget = widgetOf(id);
    const QRect geometry = toQRect(control.geometry);
    if (widget->geometry() != geometry) {
      widget->setGeometry(geometry);
    }
    const QString caption = toQString(control.caption);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      box->setText(caption);
      box->setChecked(control.checked);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      button->setText(caption);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      group->setTitle(caption);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      if (edit->text() != caption) {
        edit->setText(caption);
      }
      edit->setPlaceholderText(toQString(control.hint));
    }
    if (auto* list = qobject_cast<QComboBox*>(widget); list != nullptr && list != ComboBox1) {
      QStringList items;
      for (const std::string& item : control.items) {
        items << toQString(item);
      }
      QStringList shown;
      for (int k = 0; k < list->count(); ++k) {
        shown << list->itemText(k);
      }
      if (shown != items) {
        list->clear();
        list->addItems(items);
      }
      list->setCurrentIndex(control.selected);
    }
    widget->setEnabled(control.enabled);
    if (widget->isVisibleTo(this) != control.visible) {
      widget->setVisible(control.visible);
    }
  }
  ComboBox1->setCurrentIndex(state.comboIndex);
  const auto& p = state.pickers;
  DateTimePicker1->setDate(QDate(p[0].year, p[0].month, p[0].day));
  DateTimePicker2->setTime(QTime(p[1].hour, p[1].minute, p[1].second));
  DateTimePicker3->setDate(QDate(p[2].year, p[2].month, p[2].day));
  DateTimePicker4->setTime(QTime(p[3].hour, p[3].minute, p[3].second));
  ProgressBar2->setRange(0, state.progressMaximum);
  ProgressBar2->setValue(state.progressPosition);
  previewAction_->setChecked(state.previewShown);
  applyWindowSize(state);
  rendering_ = false;
}

void TForm1::paintProgressNow(const form::FormState& state) {
  showState(state);
  ProgressBar2->repaint();
}

void TForm1::applyWindowSize(const form::FormState& state) {
  const int designed = state.designedClientHeight();
  if (!state.previewInView) {
    Preview->hide();
    setFixedSize(layout::kClientWidth, designed);  // the designed window
    return;
  }
  // The preview below the form; the window can be made larger.
  const int wanted = designed + std::max(state.previewHeight, layout::kPreviewMinimumHeight);
  setMinimumSize(layout::kClientWidth, designed + layout::kPreviewMinimumHeight);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const int wantedWidth = std::max(state.previewWidth, layout::kClientWidth);
  if (height() != wanted || width() != wantedWidth) {
    resize(wantedWidth, wanted);
  }
  const int top = state.previewTop();
  Preview->setGeometry(layout::kPreviewMargin, top, width() - 2 * layout::kPreviewMargin,
                       height() - top - layout::kPreviewMargin);
  Preview->show();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const form::FormState& state = presenter_->state();
  if (!state.previewInView || rendering_) {
    return;
  }
  const int designed = state.designedClientHeight();
  const int top = state.previewTop();
  Preview->setGeometry(layout::kPreviewMargin, top, width() - 2 * layout::kPreviewMargin,
                       height() - top - layout::kPreviewMargin);
  presenter_->setPreviewSize(width(), height() - designed);
}

void TForm1::previewChanged() {
  Preview->update();
}

void TForm1::showAbout() {
  if (Form2 != nullptr) {
    Form2->exec();
  }
}

void TForm1::useSpreadsheet(xl::AutomationServer& server, Clock clock) {
  presenter_->useSpreadsheet(server, std::move(clock));
}

void TForm1::setReportBuilder(ReportBuilder* builder) {
  presenter_->setReportBuilder(builder);
}

const std::vector<AutomationComponents>& TForm1::automationComponents() const {
  return presenter_->automationComponents();
}

int TForm1::Height() const {
  return presenter_->state().outerHeight;
}

void TForm1::useSettings(QSettings& settings) {
  settings_ = std::make_unique<Settings>(settings);
  presenter_->useSettings(*settings_);
}

void TForm1::openFile(const QString& path) {
  presenter_->openFile(toStdString(path));
}

void TForm1::setPreviewShown(bool shown) {
  presenter_->setPreviewShown(shown);
}

bool TForm1::previewShown() const {
  return presenter_->state().previewShown;
}

bool TForm1::previewInView() const {
  return presenter_->state().previewInView;
}

void TForm1::Button1Click() {
  presenter_->Button1Click();
}

void TForm1::Button2Click() {
  presenter_->Button2Click();
}

void TForm1::Button3Click() {
  presenter_->Button3Click();
}

StartChoices TForm1::startChoices() const {
  return presenter_->startChoices();
}

namespace {

// The exports among dropped files: the local .csv files.
std::vector<std::string> droppedExports(const QList<QUrl>& urls) {
  std::vector<std::string> paths;
  for (const QUrl& url : urls) {
    const std::string path = toStdString(url.toLocalFile());
    if (url.isLocalFile() && form::MainForm::acceptsDrop(path)) {
      paths.push_back(path);
    }
  }
  return paths;
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedExports(event->mimeData()->urls()).empty()) {
    event->acceptProposedAction();
  }
}

void TForm1::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = droppedExports(event->mimeData()->urls());
  if (!paths.empty()) {
    event->acceptProposedAction();
    presenter_->openFiles(paths);
  }
}

}  // namespace vexa
