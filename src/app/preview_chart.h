// The preview under the form: the export's series over the file's whole
// span, on the axes the report gives them, and the chosen time window as a
// band. Dragging across the plot chooses a window (rounded to the nearest
// line's time stamp), a double-click the whole span; the time and the values
// under the mouse show in its corner.
//
// A small painter widget of its own: each series is thinned once to the
// plot's width (the first, lowest, highest and last point of every pixel
// column, so that every peak stays), the series and axes are painted into a
// cached picture, and the band and the readout are painted over it, so that
// a ticked box or a moved band costs a few milliseconds whatever the length
// of the export.
#pragma once

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <utility>
#include <vector>

#include "input/preview.h"

namespace vexa {

class PreviewChart final : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewChart(QWidget* parent = nullptr);

  // The series of a newly opened export; clear() leaves nothing of it.
  void setData(PreviewData data);
  void clear();
  bool hasData() const { return !data_.stamps.empty(); }
  const PreviewData& data() const { return data_; }

  // Which series show, and on which axes (the window's boxes changed).
  void setPlaces(std::vector<SeriesPlace> places);
  const std::vector<SeriesPlace>& places() const { return places_; }

  // The chosen window, from the pickers.
  void setBand(double start, double end);
  std::pair<double, double> band() const { return band_; }

  // Where a time stands in the widget, and the time at a point of it (the
  // span of the file across the plot's width).
  qreal xOf(double time) const;
  double timeAt(qreal x) const;
  QRectF plotRect() const { return plot_; }
  QRectF bandRect() const;  // empty without data
  QString readout() const;  // the time and the values under the mouse
  int drawnSeries() const;  // series in view
  int drawnPoints() const;  // their points after thinning to the width

 signals:
  // A window dragged out or double-clicked, in time stamps of the file.
  void windowChosen(double start, double end);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct ValueAxis {
    bool used = false;
    bool logarithmic = false;
    double low = 0;  // the range (powers of ten on a logarithmic axis)
    double high = 1;
  };

  void thin();        // every series to the plot's width
  void arrange();     // axes and their ranges for the places
  void layOut();      // the plot's rectangle for the labels
  void invalidate();  // the cached picture goes
  void paintPicture(QPainter& painter);
  qreal yOf(double value, const ValueAxis& axis) const;
  std::pair<double, double> axisSpan() const;  // the time axis: the span, or an hour
  void showReadout(qreal x);

  PreviewData data_;
  std::vector<SeriesPlace> places_;
  std::vector<std::vector<QPointF>> thinned_;  // (time, value) per series
  ValueAxis axes_[2];
  std::pair<double, double> band_{0, 0};
  QRectF plot_;
  QPixmap picture_;  // series, axes and legend; the band goes over it
  QString readout_;
  bool readoutShown_ = false;
  bool dragging_ = false;
  qreal dragStart_ = 0;
  qreal dragNow_ = 0;
};

}  // namespace vexa
