// The preview under the form in Qt: the presenter's preview plot
// (app/form/preview_plot.h) drawn with Qt's painter, and the mouse handed to
// the presenter. The plot's picture is kept as a pixmap; the band and the
// readout are painted over it.
#pragma once

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <utility>
#include <vector>

#include "app/form/preview_plot.h"

namespace vexa {

namespace form {
class MainForm;
}

class PreviewChart final : public QWidget, private form::TextMeasure {
  Q_OBJECT

 public:
  explicit PreviewChart(form::PreviewPlot& plot, QWidget* parent = nullptr);

  // The presenter that takes the mouse (none: the plot alone).
  void setPresenter(form::MainForm* presenter) { presenter_ = presenter; }

  bool hasData() const { return plot_.hasData(); }
  const PreviewData& data() const { return plot_.data(); }
  const std::vector<SeriesPlace>& places() const { return plot_.places(); }
  std::pair<double, double> band() const { return plot_.band(); }
  void setBand(double start, double end);
  const std::vector<Limits>& limits() const { return plot_.limits(); }
  const std::vector<std::string>& statistics() const { return plot_.statistics(); }

  // Where a time stands in the widget, and the time at a point of it.
  qreal xOf(double time) const { return plot_.xOf(time); }
  double timeAt(qreal x) const { return plot_.timeAt(x); }
  QRectF plotRect() const;
  QRectF bandRect() const;  // empty without data
  QString readout() const;  // the time and the values under the mouse
  int drawnSeries() const { return plot_.drawnSeries(); }
  int drawnPoints() const { return plot_.drawnPoints(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // form::TextMeasure: the widget's font.
  double textWidth(std::string_view text) const override;
  double lineHeight() const override;
  double ascent() const override;

  form::Palette palette() const;

  form::PreviewPlot& plot_;
  form::MainForm* presenter_ = nullptr;
  QPixmap picture_;
  unsigned pictureVersion_ = ~0u;
};

}  // namespace vexa
