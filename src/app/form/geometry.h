// Geometry of the main window and the About window, in pixels, as designed
// for Tahoma 8 pt at 96 pixels per inch; the same for every view of them.
#pragma once

namespace vexa::form {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

}  // namespace vexa::form

namespace vexa::layout {

using form::Rect;

// The main window's heights are outer heights, frame included. The designed
// window has a client area 58 pixels high inside an outer height of 99, so
// the frame takes 41 pixels; client heights are derived with that allowance,
// which keeps every control where it was designed whatever frame the desktop
// draws.
inline constexpr int kClientWidth = 487;
inline constexpr int kDesignedClientHeight = 58;
inline constexpr int kFrameHeight = 41;
inline constexpr int kResetHeight = 99;          // reset, motion events
inline constexpr int kClimateHeight = 195;       // climate, temperature, paired columns
inline constexpr int kClimateLightHeight = 220;  // climate and light

inline constexpr Rect Edit1{8, 8, 350, 21};
inline constexpr Rect Button1{364, 8, 61, 25};
inline constexpr Rect Button2{431, 8, 47, 25};
inline constexpr Rect Label1{8, 35, 133, 13};
inline constexpr Rect ComboBox1{147, 32, 44, 21};
inline constexpr Rect CheckBox1{208, 35, 183, 17};
inline constexpr Rect Button3{402, 35, 77, 19};
inline constexpr Rect GroupBox1{8, 54, 470, 60};
inline constexpr Rect CheckBox2{16, 18, 91, 17};  // positions inside GroupBox1
inline constexpr Rect CheckBox3{113, 18, 97, 17};
inline constexpr Rect CheckBox4{200, 18, 89, 17};
inline constexpr Rect CheckBox5{272, 18, 97, 17};
inline constexpr Rect CheckBox6{272, 41, 113, 17};
inline constexpr Rect DateTimePicker1{8, 62, 97, 21};
inline constexpr Rect DateTimePicker2{111, 62, 72, 21};
inline constexpr Rect DateTimePicker3{294, 62, 102, 21};
inline constexpr Rect DateTimePicker4{402, 62, 77, 21};
inline constexpr Rect CheckBox7{8, 89, 161, 17};
inline constexpr Rect ProgressBar2{8, 155, 471, 17};

// Changes made by Open.
inline constexpr int kGroupResetHeight = 43;
inline constexpr int kGroupClimateLightHeight = 66;
inline constexpr int kPickersResetTop = 62;
inline constexpr int kPickersClimateTop = 105;
inline constexpr int kPickersClimateLightTop = 126;
inline constexpr int kTwoProbeCheckBox2Width = 120;
inline constexpr int kTwoProbeCheckBox3Left = 150;
inline constexpr int kTwoProbeCheckBox3Width = 140;
inline constexpr int kTwoProbeCheckBox4Left = 300;

// Where Start shows its progress bar.
inline constexpr int kProgressTop = 132;
inline constexpr int kProgressClimateLightTop = 155;

// The preview under the designed form, and its switch, which stands in the
// progress bar's row where the layout has one (the bar takes it while Start
// runs).
inline constexpr Rect PreviewToggle{8, 132, 80, 17};
inline constexpr Rect PdfBox{96, 132, 50, 17};
inline constexpr int kPreviewMargin = 8;
// The rows of limits at the top of the preview's area, in it: the series,
// its low and its high limit; under them each limit's alarm delay and kind,
// and the gap threshold.
inline constexpr int kLimitsRowHeight = 54;
inline constexpr Rect LimitLabel{8, 5, 52, 13};  // tops from the preview's area
inline constexpr Rect LimitSeries{62, 2, 170, 21};
inline constexpr Rect LimitLowLabel{240, 5, 16, 13};
inline constexpr Rect LimitLow{258, 2, 68, 21};
inline constexpr Rect LimitHighLabel{334, 5, 16, 13};
inline constexpr Rect LimitHigh{352, 2, 68, 21};
inline constexpr Rect AlarmLabel{8, 32, 52, 13};
inline constexpr Rect LimitLowDelayLabel{62, 32, 28, 13};
inline constexpr Rect LimitLowDelay{90, 29, 32, 21};
inline constexpr Rect LimitLowKind{124, 29, 104, 21};
inline constexpr Rect LimitHighDelayLabel{232, 32, 28, 13};
inline constexpr Rect LimitHighDelay{260, 29, 32, 21};
inline constexpr Rect LimitHighKind{294, 29, 104, 21};
inline constexpr Rect GapLabel{402, 32, 46, 13};
inline constexpr Rect Gap{448, 29, 31, 21};
// The limits in force, beside the preview's switch when the preview is hidden.
inline constexpr Rect LimitsInForce{96, 132, 383, 17};
inline constexpr int kPreviewMinimumHeight = 140;
inline constexpr int kPreviewDefaultHeight = 260;

// The About window.
inline constexpr int kAboutClientWidth = 447;
inline constexpr int kAboutClientHeight = 208;
inline constexpr Rect AboutLabel1{72, 8, 281, 19};
inline constexpr Rect AboutLabel2{23, 33, 394, 64};
inline constexpr Rect AboutLabel4{23, 110, 75, 15};
inline constexpr Rect AboutLabel3{326, 110, 104, 15};
inline constexpr Rect AboutLabel5{23, 131, 80, 15};
inline constexpr Rect AboutLabel6{323, 131, 94, 15};
inline constexpr Rect AboutButton1{171, 169, 75, 25};

}  // namespace vexa::layout
