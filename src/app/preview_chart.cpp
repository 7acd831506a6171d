#include "app/preview_chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include "app/form/main_form.h"
#include "app/qt_text.h"

namespace vexa {

namespace {

QColor qColour(form::Colour colour) {
  return QColor(colour.red, colour.green, colour.blue, colour.alpha);
}

QRectF qRect(const form::Box& box) {
  return QRectF(box.left, box.top, box.width, box.height);
}

// The plot's primitives on Qt's painter.
class QtCanvas final : public form::Canvas {
 public:
  QtCanvas(QPainter& painter, const QFontMetricsF& metrics)
      : painter_(painter), metrics_(metrics) {}
  double textWidth(std::string_view text) const override {
    return metrics_.horizontalAdvance(toQString(text));
  }
  double lineHeight() const override { return metrics_.height(); }
  double ascent() const override { return metrics_.ascent(); }
  void fill(const form::Box& box, form::Colour colour) override {
    painter_.fillRect(qRect(box), qColour(colour));
  }
  void frame(const form::Box& box, form::Colour colour) override {
    painter_.setPen(qColour(colour));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(qRect(box));
  }
  void line(form::Point from, form::Point to, form::Colour colour, double width) override {
    painter_.setPen(QPen(qColour(colour), width));
    painter_.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
  }
  void polyline(const std::vector<form::Point>& points, form::Colour colour,
                double width) override {
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(points.size()));
    for (const form::Point& point : points) {
      line.append(QPointF(point.x, point.y));
    }
    QPen pen(qColour(colour), width);
    pen.setCosmetic(true);
    painter_.setPen(pen);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.drawPolyline(line);
    painter_.setRenderHint(QPainter::Antialiasing, false);
  }
  void dots(const std::vector<form::Point>& centres, double radius, form::Colour colour) override {
    painter_.setPen(qColour(colour));
    painter_.setBrush(qColour(colour));
    painter_.setRenderHint(QPainter::Antialiasing, true);
    for (const form::Point& centre : centres) {
      painter_.drawEllipse(QPointF(centre.x, centre.y), radius, radius);
    }
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBrush(Qt::NoBrush);
  }
  void text(form::Point at, std::string_view text, form::Colour colour) override {
    painter_.setPen(qColour(colour));
    painter_.drawText(QPointF(at.x, at.y), toQString(text));
  }
  void verticalText(form::Point at, std::string_view text, form::Colour colour) override {
    painter_.save();
    painter_.setPen(qColour(colour));
    painter_.translate(at.x, at.y);
    painter_.rotate(-90);
    painter_.drawText(QPointF(0, 0), toQString(text));
    painter_.restore();
  }
  void clip(const form::Box& box) override { painter_.setClipRect(qRect(box)); }
  void endClip() override { painter_.setClipping(false); }

 private:
  QPainter& painter_;
  const QFontMetricsF& metrics_;
};

}  // namespace

PreviewChart::PreviewChart(form::PreviewPlot& plot, QWidget* parent)
    : QWidget(parent), plot_(plot) {
  setObjectName(QStringLiteral("Preview"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  plot_.setMeasure(this);
}

double PreviewChart::textWidth(std::string_view text) const {
  return QFontMetricsF(font()).horizontalAdvance(toQString(text));
}

double PreviewChart::lineHeight() const {
  return QFontMetricsF(font()).height();
}

double PreviewChart::ascent() const {
  return QFontMetricsF(font()).ascent();
}

form::Palette PreviewChart::palette() const {
  const QColor window = QWidget::palette().window().color();
  const QColor text = QWidget::palette().windowText().color();
  return {{static_cast<std::uint8_t>(window.red()), static_cast<std::uint8_t>(window.green()),
           static_cast<std::uint8_t>(window.blue())},
          {static_cast<std::uint8_t>(text.red()), static_cast<std::uint8_t>(text.green()),
           static_cast<std::uint8_t>(text.blue())}};
}

void PreviewChart::setBand(double start, double end) {
  plot_.setBand(start, end);
  update();
}

QRectF PreviewChart::plotRect() const {
  return qRect(plot_.plotBox());
}

QRectF PreviewChart::bandRect() const {
  return plot_.hasData() ? qRect(plot_.bandBox()) : QRectF();
}

QString PreviewChart::readout() const {
  return toQString(plot_.readout());
}

void PreviewChart::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  plot_.setSize(width(), height());
}

void PreviewChart::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    plot_.setMeasure(this);
  }
}

void PreviewChart::paintEvent(QPaintEvent*) {
  const QFontMetricsF metrics(font());
  const form::Palette colours = palette();
  if (picture_.isNull() || pictureVersion_ != plot_.pictureVersion() ||
      picture_.size() != size() * devicePixelRatioF()) {
    picture_ = QPixmap(size() * devicePixelRatioF());
    picture_.setDevicePixelRatio(devicePixelRatioF());
    QPainter painter(&picture_);
    painter.setFont(font());
    QtCanvas canvas(painter, metrics);
    plot_.paintPicture(canvas, colours);
    pictureVersion_ = plot_.pictureVersion();
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, picture_);
  QtCanvas canvas(painter, metrics);
  plot_.paintOverlay(canvas, colours);
}

void PreviewChart::mousePressEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (event->button() == Qt::LeftButton && plot_.hasData() &&
      plot_.plotBox().contains({at.x(), at.y()})) {
    if (presenter_ != nullptr) {
      presenter_->previewPress(at.x(), at.y());
    } else {
      plot_.press(at.x(), at.y());
    }
    event->accept();
    update();
    return;
  }
  QWidget::mousePressEvent(event);
}

void PreviewChart::mouseMoveEvent(QMouseEvent* event) {
  if (presenter_ != nullptr) {
    presenter_->previewMove(event->position().x());
  } else {
    plot_.move(event->position().x());
  }
  update();
}

void PreviewChart::mouseReleaseEvent(QMouseEvent* event) {
  if (!plot_.dragging() || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  if (presenter_ != nullptr) {
    presenter_->previewRelease(event->position().x());
  } else {
    plot_.release(event->position().x());
  }
  update();
}

void PreviewChart::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!plot_.hasData()) {
    QWidget::mouseDoubleClickEvent(event);
    return;
  }
  if (presenter_ != nullptr) {
    presenter_->previewDoubleClick();
  }
  update();
}

void PreviewChart::leaveEvent(QEvent* event) {
  if (presenter_ != nullptr) {
    presenter_->previewLeave();
  } else {
    plot_.leave();
  }
  update();
  QWidget::leaveEvent(event);
}

}  // namespace vexa
