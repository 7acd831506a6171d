#include "app/preview_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "app/qt_text.h"
#include "input/datetime.h"
#include "input/formats.h"
#include "spreadsheet/chart_writer.h"

namespace vexa {

namespace {

const QColor kBand(0, 120, 215, 45);
const QColor kBandEdge(0, 120, 215, 170);
const QColor kGrid(226, 226, 226);
const QColor kFrame(160, 160, 160);

// The points of a series thinned to `columns` columns across [first, last]:
// in each column its first, lowest, highest and last point, so that every
// peak stays in view whatever the number of lines. States are drawn as steps;
// a logarithmic axis takes positive values only.
std::vector<QPointF> thinned(const PreviewSeries& series, double first, double last, int columns,
                             bool logarithmic) {
  std::vector<QPointF> points;
  points.reserve(series.time.size() * (series.states ? 2 : 1));
  for (std::size_t i = 0; i < series.time.size(); ++i) {
    if (logarithmic && series.value[i] <= 0) {
      continue;
    }
    if (series.states && !points.empty()) {
      points.emplace_back(series.time[i], points.back().y());
    }
    points.emplace_back(series.time[i], series.value[i]);
  }
  const double span = std::max(last - first, 1e-9);
  const auto column = [&](const QPointF& point) {
    return static_cast<int>((point.x() - first) / span * columns);
  };
  std::vector<QPointF> out;
  out.reserve(std::min<std::size_t>(points.size(), 4 * static_cast<std::size_t>(columns)));
  std::size_t start = 0;
  while (start < points.size()) {
    const int here = column(points[start]);
    std::size_t end = start;
    std::size_t low = start;
    std::size_t high = start;
    while (end < points.size() && column(points[end]) == here) {
      low = points[end].y() < points[low].y() ? end : low;
      high = points[end].y() > points[high].y() ? end : high;
      ++end;
    }
    for (const std::size_t i : {start, std::min(low, high), std::max(low, high), end - 1}) {
      if (out.empty() || out.back() != points[i]) {
        out.push_back(points[i]);
      }
    }
    start = end;
  }
  return out;
}

QString number(double value) {
  QString text = QString::number(value, 'g', 6);
  text.replace('.', ',');
  return text;
}

// Steps of a value axis: 1, 2 or 5 times a power of ten, about `ticks` of
// them across the range.
double niceStep(double range, int ticks) {
  const double raw = range / std::max(ticks, 1);
  const double power = std::pow(10, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * power) {
      return factor * power;
    }
  }
  return 10 * power;
}

// Steps of the time axis, in days.
constexpr double kTimeSteps[] = {1.0 / 86400, 5.0 / 86400, 10.0 / 86400, 30.0 / 86400,
                                 1.0 / 1440,  2.0 / 1440,  5.0 / 1440,   10.0 / 1440,
                                 15.0 / 1440, 30.0 / 1440, 1.0 / 24,     2.0 / 24,
                                 3.0 / 24,    6.0 / 24,    12.0 / 24,    1,
                                 2,           7,           14,           30,
                                 61,          91,          182,          365};

QString timeLabel(double serial, double step) {
  const CivilDateTime at = decodeDateTime(serial);
  const auto two = [](int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
  };
  const QString day = two(at.day) + '.' + two(at.month);
  if (step >= 1) {
    return day + '.' + two(at.year % 100);
  }
  const QString clock = two(at.hour) + ':' + two(at.minute);
  if (step < 1.0 / 1440) {
    return clock + ':' + two(at.second);
  }
  return day + ' ' + clock;
}

}  // namespace

PreviewChart::PreviewChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Preview"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewChart::setData(PreviewData data) {
  data_ = std::move(data);
  // Every series in time order, for the values under the mouse.
  for (PreviewSeries& series : data_.series) {
    if (!std::is_sorted(series.time.begin(), series.time.end())) {
      std::vector<std::size_t> order(series.time.size());
      std::iota(order.begin(), order.end(), std::size_t{0});
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return series.time[a] < series.time[b];
      });
      PreviewSeries sorted = series;
      for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.time[i] = series.time[order[i]];
        sorted.value[i] = series.value[order[i]];
      }
      series = std::move(sorted);
    }
  }
  places_.assign(data_.series.size(), SeriesPlace{true, 1, false});
  band_ = {data_.first, data_.last};
  readoutShown_ = false;
  arrange();
  layOut();
  thin();
  invalidate();
}

void PreviewChart::clear() {
  setData(PreviewData());
}

void PreviewChart::setPlaces(std::vector<SeriesPlace> places) {
  if (places.size() != data_.series.size() || places == places_) {
    return;
  }
  // A logarithmic scale drops the values below zero from a series' points.
  bool samePoints = true;
  for (std::size_t i = 0; i < places.size(); ++i) {
    samePoints = samePoints && places[i].logarithmic == places_[i].logarithmic;
  }
  places_ = std::move(places);
  arrange();
  layOut();
  if (!samePoints) {
    thin();
  }
  invalidate();
}

void PreviewChart::setBand(double start, double end) {
  band_ = {std::min(start, end), std::max(start, end)};
  update();
}

std::pair<double, double> PreviewChart::axisSpan() const {
  // A file of one moment still gets an hour of axis around it.
  const double pad = data_.last > data_.first ? 0 : 1.0 / 48;
  return {data_.first - pad, data_.last + pad};
}

void PreviewChart::thin() {
  const auto [first, last] = axisSpan();
  const int columns = std::max(static_cast<int>(plot_.width()), 200);
  thinned_.clear();
  for (std::size_t i = 0; i < data_.series.size(); ++i) {
    thinned_.push_back(thinned(data_.series[i], first, last, columns, places_[i].logarithmic));
  }
}

void PreviewChart::arrange() {
  const bool levels = data_.count == kPairedState || data_.count == kMotionEvents;
  for (int a = 0; a < 2; ++a) {
    ValueAxis& axis = axes_[a];
    axis = ValueAxis();
    double low = INFINITY;
    double high = -INFINITY;
    for (std::size_t i = 0; i < places_.size(); ++i) {
      if (!places_[i].shown || places_[i].axis != a + 1) {
        continue;
      }
      axis.used = true;
      axis.logarithmic = places_[i].logarithmic && !levels;
      for (const double value : data_.series[i].value) {
        if (!axis.logarithmic || value > 0) {
          low = std::min(low, value);
          high = std::max(high, value);
        }
      }
    }
    if (!axis.used) {
      continue;
    }
    if (levels) {
      axis.low = -0.5;
      axis.high = std::max<double>(static_cast<double>(data_.levels.size()), 1) - 0.5;
    } else if (axis.logarithmic) {
      if (!(low > 0)) {
        low = 1;
        high = 10;
      }
      axis.low = std::pow(10, std::floor(std::log10(low)));
      axis.high = std::pow(10, std::ceil(std::log10(std::max(high, low * 10))));
    } else {
      if (!(low <= high)) {
        low = 0;
        high = 1;
      }
      const double pad = high > low ? (high - low) * 0.05 : 1;
      const double step = niceStep(high - low + 2 * pad, 5);
      axis.low = std::floor((low - pad) / step) * step;
      axis.high = std::ceil((high + pad) / step) * step;
    }
  }
}

qreal PreviewChart::yOf(double value, const ValueAxis& axis) const {
  double share = 0;
  if (axis.logarithmic) {
    share =
        (std::log10(value) - std::log10(axis.low)) / (std::log10(axis.high) - std::log10(axis.low));
  } else {
    share = (value - axis.low) / (axis.high - axis.low);
  }
  return plot_.bottom() - share * plot_.height();
}

qreal PreviewChart::xOf(double time) const {
  const auto [first, last] = axisSpan();
  return plot_.left() + (time - first) / (last - first) * plot_.width();
}

double PreviewChart::timeAt(qreal x) const {
  const auto [first, last] = axisSpan();
  const double share = plot_.width() > 0 ? (x - plot_.left()) / plot_.width() : 0;
  return std::clamp(first + share * (last - first), data_.first, data_.last);
}

void PreviewChart::layOut() {
  const QFontMetrics metrics = fontMetrics();
  const auto labelsWidth = [&](const ValueAxis& axis) {
    if (!axis.used) {
      return 0;
    }
    int widest = 0;
    if (data_.count == kPairedState || data_.count == kMotionEvents) {
      for (const std::string& level : data_.levels) {
        widest = std::max(widest, metrics.horizontalAdvance(toQString(level)));
      }
    } else {
      for (const double value : {axis.low, axis.high, (axis.low + axis.high) / 2}) {
        widest = std::max(widest, metrics.horizontalAdvance(number(value)) + 6);
      }
    }
    return widest + 8;
  };
  const int legend = metrics.height() + 6;
  const int left = std::max(labelsWidth(axes_[0]), 24);
  const int right = std::max(labelsWidth(axes_[1]), 30);
  const int bottom = metrics.height() + 8;
  plot_ = QRectF(left, legend, std::max(width() - left - right, 10),
                 std::max(height() - legend - bottom, 10));
}

void PreviewChart::invalidate() {
  picture_ = QPixmap();
  update();
}

void PreviewChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const qreal before = plot_.width();
  layOut();
  // Thinned to the new width when it changed much.
  if (std::abs(plot_.width() - before) * 10 > std::max<qreal>(before, 1)) {
    thin();
  }
  invalidate();
}

void PreviewChart::paintPicture(QPainter& painter) {
  painter.fillRect(rect(), palette().window());
  if (!hasData()) {
    return;
  }
  layOut();
  const QFontMetrics metrics = fontMetrics();
  painter.fillRect(plot_, Qt::white);

  // The time axis: about one label per hundred pixels, on round times.
  const auto [first, last] = axisSpan();
  const double span = last - first;
  double step = kTimeSteps[std::size(kTimeSteps) - 1];
  for (const double candidate : kTimeSteps) {
    if (span / candidate <= plot_.width() / 100) {
      step = candidate;
      break;
    }
  }
  painter.setPen(kGrid);
  for (double tick = std::ceil(first / step) * step; tick <= last; tick += step) {
    const qreal x = xOf(tick);
    painter.setPen(kGrid);
    painter.drawLine(QPointF(x, plot_.top()), QPointF(x, plot_.bottom()));
    const QString label = timeLabel(tick, step);
    painter.setPen(palette().windowText().color());
    const qreal half = metrics.horizontalAdvance(label) / 2.0;
    painter.drawText(QPointF(std::clamp<qreal>(x - half, 0, width() - 2 * half),
                             plot_.bottom() + metrics.ascent() + 4),
                     label);
  }

  // The value axes: their ticks, the left one's grid.
  const bool levels = data_.count == kPairedState || data_.count == kMotionEvents;
  for (int a = 0; a < 2; ++a) {
    const ValueAxis& axis = axes_[a];
    if (!axis.used) {
      continue;
    }
    std::vector<std::pair<double, QString>> ticks;
    if (levels) {
      for (std::size_t level = 0; level < data_.levels.size(); ++level) {
        ticks.emplace_back(static_cast<double>(level), toQString(data_.levels[level]));
      }
    } else if (axis.logarithmic) {
      for (double tick = axis.low; tick <= axis.high * 1.0001; tick *= 10) {
        ticks.emplace_back(tick, number(tick));
      }
    } else {
      const double valueStep =
          niceStep(axis.high - axis.low, std::max(2, static_cast<int>(plot_.height() / 28)));
      for (double tick = std::ceil(axis.low / valueStep) * valueStep;
           tick <= axis.high + valueStep * 1e-9; tick += valueStep) {
        ticks.emplace_back(std::abs(tick) < valueStep * 1e-9 ? 0.0 : tick,
                           number(std::abs(tick) < valueStep * 1e-9 ? 0.0 : tick));
      }
    }
    for (const auto& [value, label] : ticks) {
      const qreal y = yOf(value, axis);
      if (a == 0) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(plot_.left(), y), QPointF(plot_.right(), y));
      }
      painter.setPen(palette().windowText().color());
      const qreal baseline = y + metrics.ascent() / 2.0 - 1;
      if (a == 0) {
        painter.drawText(QPointF(plot_.left() - 4 - metrics.horizontalAdvance(label), baseline),
                         label);
      } else {
        painter.drawText(QPointF(plot_.right() + 4, baseline), label);
      }
    }
  }
  painter.setPen(kFrame);
  painter.drawRect(plot_);

  // The series, coloured by their place among those shown, as the report
  // colours them; the legend above.
  painter.setClipRect(plot_.adjusted(0, 0, 1, 1));
  painter.setRenderHint(QPainter::Antialiasing, true);
  int position = 0;
  qreal legendX = plot_.left();
  std::vector<std::pair<QString, QColor>> legend;
  QPolygonF line;
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    if (!places_[i].shown) {
      continue;
    }
    const QColor colour(QLatin1Char('#') + QLatin1String(sheet::seriesColour(position++)));
    const ValueAxis& axis = axes_[places_[i].axis - 1];
    line.clear();
    line.reserve(static_cast<qsizetype>(thinned_[i].size()));
    for (const QPointF& point : thinned_[i]) {
      line.append(QPointF(xOf(point.x()), yOf(point.y(), axis)));
    }
    QPen pen(colour, 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    if (data_.count == kMotionEvents) {
      painter.setBrush(colour);
      for (const QPointF& point : line) {
        painter.drawEllipse(point, 3, 3);
      }
      painter.setBrush(Qt::NoBrush);
    } else {
      painter.drawPolyline(line);
    }
    legend.emplace_back(toQString(data_.series[i].name).trimmed(), colour);
  }
  painter.setClipping(false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (const auto& [name, colour] : legend) {
    const qreal y = plot_.top() - metrics.height() / 2.0 - 3;
    if (legendX + 20 + metrics.horizontalAdvance(name) > width()) {
      break;
    }
    painter.setPen(QPen(colour, 2));
    painter.drawLine(QPointF(legendX, y), QPointF(legendX + 14, y));
    painter.setPen(palette().windowText().color());
    painter.drawText(QPointF(legendX + 18, y + metrics.ascent() / 2.0 - 1), name);
    legendX += 18 + metrics.horizontalAdvance(name) + 14;
  }
}

void PreviewChart::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) {
    picture_ = QPixmap(size() * devicePixelRatioF());
    picture_.setDevicePixelRatio(devicePixelRatioF());
    QPainter painter(&picture_);
    painter.setFont(font());
    paintPicture(painter);
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
  if (!hasData()) {
    return;
  }
  const QRectF band = bandRect();
  if (!band.isEmpty()) {
    painter.fillRect(band, kBand);
    painter.setPen(kBandEdge);
    painter.drawRect(band);
  }
  if (readoutShown_) {
    const QFontMetrics metrics = fontMetrics();
    const QRectF box(plot_.left() + 4, plot_.top() + 4, metrics.horizontalAdvance(readout_) + 8,
                     metrics.height() + 4);
    painter.fillRect(box, QColor(255, 255, 255, 230));
    painter.setPen(kFrame);
    painter.drawRect(box);
    painter.setPen(palette().windowText().color());
    painter.drawText(box.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignVCenter, readout_);
  }
}

QRectF PreviewChart::bandRect() const {
  if (!hasData()) {
    return {};
  }
  qreal left = xOf(band_.first);
  qreal right = xOf(band_.second);
  if (dragging_) {
    // The band follows the mouse; the pickers take the window when it is let go.
    left = std::min(dragStart_, dragNow_);
    right = std::max(dragStart_, dragNow_);
  }
  left = std::clamp(left, plot_.left(), plot_.right());
  right = std::clamp(right, plot_.left(), plot_.right());
  return QRectF(left, plot_.top(), std::max<qreal>(right - left, 1), plot_.height());
}

QString PreviewChart::readout() const {
  return readoutShown_ ? readout_ : QString();
}

int PreviewChart::drawnSeries() const {
  return static_cast<int>(std::count_if(places_.begin(), places_.end(),
                                        [](const SeriesPlace& place) { return place.shown; }));
}

int PreviewChart::drawnPoints() const {
  int points = 0;
  for (std::size_t i = 0; i < thinned_.size(); ++i) {
    points += places_[i].shown ? static_cast<int>(thinned_[i].size()) : 0;
  }
  return points;
}

void PreviewChart::showReadout(qreal x) {
  readoutShown_ = hasData() && x >= plot_.left() && x <= plot_.right();
  if (!readoutShown_) {
    update();
    return;
  }
  const double time = nearestStamp(data_, timeAt(x));
  const CivilDateTime at = decodeDateTime(time);
  const auto two = [](int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
  };
  readout_ = two(at.day) + '.' + two(at.month) + '.' + QString::number(at.year) + ' ' +
             two(at.hour) + ':' + two(at.minute) + ':' + two(at.second);
  for (std::size_t i = 0; i < data_.series.size(); ++i) {
    const PreviewSeries& series = data_.series[i];
    if (!places_[i].shown || series.time.empty()) {
      continue;
    }
    // The series' own point nearest to that time.
    auto after = std::lower_bound(series.time.begin(), series.time.end(), time);
    if (after == series.time.end() ||
        (after != series.time.begin() && time - *(after - 1) < *after - time)) {
      --after;
    }
    const double value = series.value[static_cast<std::size_t>(after - series.time.begin())];
    const bool level =
        series.states && value >= 0 && value < static_cast<double>(data_.levels.size());
    const QString shown =
        level ? toQString(data_.levels[static_cast<std::size_t>(value)]) : number(value);
    readout_ += QStringLiteral("   %1: %2").arg(toQString(series.name).trimmed(), shown);
  }
  update();
}

void PreviewChart::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (event->button() == Qt::LeftButton && hasData() && plot_.contains(at)) {
    dragging_ = true;
    dragStart_ = dragNow_ = at.x();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void PreviewChart::mouseMoveEvent(QMouseEvent* event) {
  const qreal x = event->position().x();
  if (dragging_) {
    dragNow_ = std::clamp(x, plot_.left(), plot_.right());
  }
  showReadout(x);
}

void PreviewChart::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  const qreal x = std::clamp(event->position().x(), plot_.left(), plot_.right());
  if (std::abs(x - dragStart_) >= 3) {
    emit windowChosen(nearestStamp(data_, timeAt(std::min(x, dragStart_))),
                      nearestStamp(data_, timeAt(std::max(x, dragStart_))));
  }
  update();
}

void PreviewChart::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!hasData()) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  dragging_ = false;
  emit windowChosen(data_.first, data_.last);
}

void PreviewChart::leaveEvent(QEvent* event) {
  readoutShown_ = false;
  update();
  QWidget::leaveEvent(event);
}

}  // namespace vexa
