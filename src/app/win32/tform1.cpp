#include "app/win32/tform1.h"

// clang-format off
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>
// clang-format on

#include "app/win32/tform2.h"
#include "app/win32/win32_util.h"

namespace vexa::win32 {

using form::ControlId;

namespace {

constexpr wchar_t kClass[] = L"TForm1";
constexpr int kFirstControl = 100;
constexpr int kPreviewId = 200;
constexpr int kPreviewMenuItem = 300;
constexpr DWORD kFixedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kResizableStyle = kFixedStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;

int idOf(ControlId id) {
  return kFirstControl + static_cast<int>(id);
}

bool isCheckBox(ControlId id) {
  return id == ControlId::CheckBox1 || form::inGroup(id) || id == ControlId::CheckBox7 ||
         id == ControlId::PreviewToggle || id == ControlId::PdfBox;
}

int pickerIndex(ControlId id) {
  switch (id) {
    case ControlId::DateTimePicker1:
      return 0;
    case ControlId::DateTimePicker2:
      return 1;
    case ControlId::DateTimePicker3:
      return 2;
    case ControlId::DateTimePicker4:
      return 3;
    default:
      return -1;
  }
}

// The outer size of a window whose client area is `width` × `height`.
SIZE outerSize(DWORD style, int width, int height) {
  RECT area{0, 0, width, height};
  ::AdjustWindowRectEx(&area, style, FALSE, WS_EX_ACCEPTFILES);
  return {area.right - area.left, area.bottom - area.top};
}

}  // namespace

TForm1::TForm1(form::FormDialogs& dialogs)
    : presenter_(
          std::make_unique<form::MainForm>(dialogs, static_cast<form::MainFormView&>(*this))) {
  static const bool registered = [] {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = &TForm1::procedure;
    kind.hInstance = ::GetModuleHandleW(nullptr);
    kind.hIcon = ::LoadIconW(kind.hInstance, MAKEINTRESOURCEW(1));
    kind.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    kind.lpszClassName = kClass;
    return ::RegisterClassExW(&kind) != 0;
  }();
  (void)registered;
  const SIZE outer =
      outerSize(kFixedStyle, scaled(layout::kClientWidth), scaled(layout::kDesignedClientHeight));
  window_ =
      ::CreateWindowExW(WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT, kClass, programTitle().c_str(),
                        kFixedStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx, outer.cy, nullptr,
                        nullptr, ::GetModuleHandleW(nullptr), this);
  createControls();
  showState(presenter_->state());
}

TForm1::~TForm1() {
  preview_.reset();
  if (window_ != nullptr) {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

void TForm1::createControls() {
  const auto make = [&](ControlId id, const wchar_t* kind, DWORD style, DWORD extended = 0,
                        HWND parent = nullptr) {
    const form::ControlState& state = presenter_->state()[id];
    HWND control = makeControl(parent ? parent : window_, kind, state.caption, style, idOf(id),
                               state.geometry, extended);
    controls_[static_cast<std::size_t>(id)] = control;
    return control;
  };
  const DWORD button = BS_PUSHBUTTON | WS_TABSTOP;
  const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
  // Created in the designed tab order: the dialog manager tabs in the order
  // of the windows.
  make(ControlId::Button1, WC_BUTTONW, button);
  make(ControlId::Edit1, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  make(ControlId::CheckBox1, WC_BUTTONW, box);
  HWND group = make(ControlId::GroupBox1, WC_BUTTONW, BS_GROUPBOX, WS_EX_CONTROLPARENT);
  // The group box holds its boxes, as the designed form has them; what they
  // say goes on to the window.
  ::SetWindowSubclass(group, &TForm1::groupProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
  make(ControlId::CheckBox2, WC_BUTTONW, box, 0, group);
  make(ControlId::CheckBox3, WC_BUTTONW, box, 0, group);
  make(ControlId::CheckBox4, WC_BUTTONW, box, 0, group);
  make(ControlId::CheckBox5, WC_BUTTONW, box | BS_MULTILINE, 0, group);
  make(ControlId::CheckBox6, WC_BUTTONW, box, 0, group);
  make(ControlId::Button2, WC_BUTTONW, button);
  const DWORD date = DTS_SHORTDATEFORMAT | WS_TABSTOP;
  const DWORD time = DTS_TIMEFORMAT | WS_TABSTOP;
  make(ControlId::DateTimePicker1, DATETIMEPICK_CLASSW, date);
  make(ControlId::DateTimePicker3, DATETIMEPICK_CLASSW, date);
  make(ControlId::ProgressBar2, PROGRESS_CLASSW, 0);
  make(ControlId::DateTimePicker2, DATETIMEPICK_CLASSW, time);
  make(ControlId::DateTimePicker4, DATETIMEPICK_CLASSW, time);
  // Whatever the user's regional settings, the pickers read as designed.
  for (const ControlId picker : {ControlId::DateTimePicker1, ControlId::DateTimePicker3}) {
    ::SendMessageW(control(picker), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"dd.MM.yyyy"));
  }
  for (const ControlId picker : {ControlId::DateTimePicker2, ControlId::DateTimePicker4}) {
    ::SendMessageW(control(picker), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
  }
  HWND combo = make(ControlId::ComboBox1, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  for (int places = 0; places < form::kDecimalItems; ++places) {
    ::SendMessageW(combo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(std::to_wstring(places).c_str()));
  }
  make(ControlId::Button3, WC_BUTTONW, button);
  make(ControlId::CheckBox7, WC_BUTTONW, box);
  make(ControlId::Label1, WC_STATICW, SS_LEFT);
  make(ControlId::PreviewToggle, WC_BUTTONW, box);
  make(ControlId::PdfBox, WC_BUTTONW, box);
  // The row of limits above the preview.
  make(ControlId::LimitLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitSeries, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  make(ControlId::LimitLowLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitLow, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  make(ControlId::LimitHighLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitHigh, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  // Under it: each limit's alarm delay and kind, the gap threshold.
  make(ControlId::AlarmLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitLowDelayLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitLowDelay, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  make(ControlId::LimitLowKind, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  make(ControlId::LimitHighDelayLabel, WC_STATICW, SS_LEFT);
  make(ControlId::LimitHighDelay, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  make(ControlId::LimitHighKind, WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
  make(ControlId::GapLabel, WC_STATICW, SS_LEFT);
  make(ControlId::Gap, WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
  make(ControlId::LimitsInForce, WC_STATICW, SS_LEFT | SS_ENDELLIPSIS);
  preview_ = std::make_unique<PreviewControl>(window_, kPreviewId, *presenter_);
}

LRESULT CALLBACK TForm1::groupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<TForm1*>(data);
  switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ::SendMessageW(self->window_, message, wParam, lParam);
    default:
      return ::DefSubclassProc(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK TForm1::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<TForm1*>(create->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TForm1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT TForm1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
      if (notice->code == DTN_DATETIMECHANGE) {
        pickerChanged(static_cast<int>(notice->idFrom));
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DROPFILES:
      dropped(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CONTEXTMENU:
      showMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_SIZE:
      if (!rendering_ && previewInView_) {
        layOutPreview();
        RECT client{};
        ::GetClientRect(window_, &client);
        presenter_->setPreviewSize(
            ::MulDiv(client.right, 96, screenDpi()),
            ::MulDiv(client.bottom, 96, screenDpi()) - designedClientHeight_);
      }
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const DWORD style = static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE));
      const SIZE least = outerSize(
          style, scaled(layout::kClientWidth),
          scaled(designedClientHeight_ + (previewInView_ ? layout::kPreviewMinimumHeight : 0)));
      limits->ptMinTrackSize = {least.cx, least.cy};
      if (!previewInView_) {
        limits->ptMaxTrackSize = {least.cx, least.cy};
      }
      return 0;
    }
    case WM_CLOSE:
      ::DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

void TForm1::command(int id, int notification) {
  if (id == kPreviewMenuItem) {
    presenter_->setPreviewShown(!presenter_->state().previewShown);
    return;
  }
  if (id < kFirstControl || id >= kFirstControl + form::kControlCount || rendering_) {
    return;
  }
  const auto control = static_cast<ControlId>(id - kFirstControl);
  switch (control) {
    case ControlId::Button1:
      if (notification == BN_CLICKED) {
        presenter_->clickOpen();
      }
      return;
    case ControlId::Button2:
      if (notification == BN_CLICKED) {
        presenter_->clickStart();
      }
      return;
    case ControlId::Button3:
      if (notification == BN_CLICKED) {
        presenter_->clickAbout();
      }
      return;
    case ControlId::Edit1:
      if (notification == EN_CHANGE) {
        presenter_->setPathText(windowText(this->control(ControlId::Edit1)));
      }
      return;
    case ControlId::ComboBox1:
      if (notification == CBN_SELCHANGE) {
        presenter_->setComboIndex(static_cast<int>(
            ::SendMessageW(this->control(ControlId::ComboBox1), CB_GETCURSEL, 0, 0)));
      }
      return;
    case ControlId::LimitSeries:
      if (notification == CBN_SELCHANGE) {
        presenter_->setLimitSeries(static_cast<int>(
            ::SendMessageW(this->control(ControlId::LimitSeries), CB_GETCURSEL, 0, 0)));
      }
      return;
    case ControlId::LimitLow:
    case ControlId::LimitHigh:
    case ControlId::LimitLowDelay:
    case ControlId::LimitHighDelay:
    case ControlId::Gap:
      if (notification == EN_CHANGE) {
        presenter_->setLimitText(control, windowText(this->control(control)));
      }
      return;
    case ControlId::LimitLowKind:
    case ControlId::LimitHighKind:
      if (notification == CBN_SELCHANGE) {
        presenter_->setAlarmKind(
            control, static_cast<int>(::SendMessageW(this->control(control), CB_GETCURSEL, 0, 0)));
      }
      return;
    default:
      if (isCheckBox(control) && notification == BN_CLICKED) {
        presenter_->setChecked(
            control, ::SendMessageW(this->control(control), BM_GETCHECK, 0, 0) == BST_CHECKED);
      }
      return;
  }
}

void TForm1::pickerChanged(int id) {
  if (rendering_ || id < kFirstControl || id >= kFirstControl + form::kControlCount) {
    return;
  }
  const auto picker = static_cast<ControlId>(id - kFirstControl);
  const int index = pickerIndex(picker);
  SYSTEMTIME time{};
  if (index >= 0 && ::SendMessageW(control(picker), DTM_GETSYSTEMTIME, 0,
                                   reinterpret_cast<LPARAM>(&time)) == GDT_VALID) {
    presenter_->setPicker(index, civilOf(time));
  }
}

void TForm1::dropped(HDROP drop) {
  // The exports among the dropped files; several are opened together.
  std::vector<std::string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    ::DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(length);
    const std::string path = utf8(name);
    if (form::MainForm::acceptsDrop(path)) {
      paths.push_back(path);
    }
  }
  ::DragFinish(drop);
  if (!paths.empty()) {
    presenter_->openFiles(paths);
  }
}

void TForm1::showMenu(int x, int y) {
  HMENU menu = ::CreatePopupMenu();
  const UINT shown = presenter_->state().previewShown ? MF_CHECKED : MF_UNCHECKED;
  ::AppendMenuW(menu, MF_STRING | shown, kPreviewMenuItem, L"Показывать график\tCtrl+G");
  if (x == -1 && y == -1) {  // from the keyboard: at the window's corner
    POINT corner{0, 0};
    ::ClientToScreen(window_, &corner);
    x = corner.x;
    y = corner.y;
  }
  ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, window_, nullptr);
  ::DestroyMenu(menu);
}

bool TForm1::translate(MSG& message) {
  if (window_ == nullptr) {
    return false;
  }
  const bool ours = message.hwnd == window_ || ::IsChild(window_, message.hwnd);
  if (ours && message.message == WM_KEYDOWN && message.wParam == 'G' &&
      ::GetKeyState(VK_CONTROL) < 0) {
    presenter_->setPreviewShown(!presenter_->state().previewShown);
    return true;
  }
  return ::IsDialogMessageW(window_, &message) != FALSE;
}

void TForm1::showState(const form::FormState& state) {
  if (window_ == nullptr) {
    return;
  }
  // Only what changed is handed to the controls: a band dragged across the
  // preview changes two pickers, not the whole window.
  rendering_ = true;
  for (int i = 0; i < form::kControlCount; ++i) {
    const auto id = static_cast<ControlId>(i);
    const form::ControlState& wanted = state[id];
    HWND control = controls_[static_cast<std::size_t>(i)];
    if (control == nullptr) {
      continue;
    }
    const form::ControlState* before = shown_ ? &(*shown_)[id] : nullptr;
    const bool items = id == ControlId::LimitSeries || id == ControlId::LimitLowKind ||
                       id == ControlId::LimitHighKind;
    const bool list = id == ControlId::ComboBox1 || items;
    if (before == nullptr || before->geometry != wanted.geometry) {
      form::Rect at = scaled(wanted.geometry);
      if (list) {
        at.height += scaled(16 * form::kDecimalItems);  // room for the list when it drops
      }
      ::SetWindowPos(control, nullptr, at.left, at.top, at.width, at.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (pickerIndex(id) < 0 && !list && id != ControlId::ProgressBar2 &&
        (before == nullptr || before->caption != wanted.caption) &&
        windowText(control) != wanted.caption) {
      ::SetWindowTextW(control, wide(wanted.caption).c_str());
    }
    if (!wanted.hint.empty() && (before == nullptr || before->hint != wanted.hint)) {
      ::SendMessageW(control, EM_SETCUEBANNER, TRUE,
                     reinterpret_cast<LPARAM>(wide(wanted.hint).c_str()));
    }
    if (items && (before == nullptr || before->items != wanted.items ||
                  before->selected != wanted.selected)) {
      if (before == nullptr || before->items != wanted.items) {
        ::SendMessageW(control, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : wanted.items) {
          ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(item).c_str()));
        }
      }
      ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(wanted.selected), 0);
    }
    if (isCheckBox(id) && (before == nullptr || before->checked != wanted.checked)) {
      ::SendMessageW(control, BM_SETCHECK, wanted.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (before == nullptr || before->enabled != wanted.enabled) {
      ::EnableWindow(control, wanted.enabled);
    }
    const bool visible = (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != wanted.visible) {
      ::ShowWindow(control, wanted.visible ? SW_SHOWNA : SW_HIDE);
    }
    const int picker = pickerIndex(id);
    const auto index = static_cast<std::size_t>(picker);
    if (picker >= 0 && (!shown_ || shown_->pickers[index] != state.pickers[index])) {
      SYSTEMTIME time = systemTimeOf(state.pickers[index]);
      ::SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
  }
  if (!shown_ || shown_->comboIndex != state.comboIndex) {
    ::SendMessageW(control(ControlId::ComboBox1), CB_SETCURSEL,
                   static_cast<WPARAM>(state.comboIndex), 0);
  }
  HWND bar = control(ControlId::ProgressBar2);
  if (!shown_ || shown_->progressMaximum != state.progressMaximum) {
    ::SendMessageW(bar, PBM_SETRANGE32, 0, state.progressMaximum);
  }
  if (!shown_ || shown_->progressPosition != state.progressPosition) {
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(state.progressPosition), 0);
  }
  if (!shown_ || shown_->outerHeight != state.outerHeight ||
      shown_->previewInView != state.previewInView ||
      shown_->previewHeight != state.previewHeight || shown_->previewWidth != state.previewWidth ||
      shown_->previewTop() != state.previewTop()) {
    applyWindowSize(state);
  }
  shown_ = state;
  rendering_ = false;
}

void TForm1::applyWindowSize(const form::FormState& state) {
  designedClientHeight_ = state.designedClientHeight();
  previewTop_ = state.previewTop();
  previewInView_ = state.previewInView;
  const DWORD style = previewInView_ ? kResizableStyle : kFixedStyle;
  const DWORD before = static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE));
  const DWORD kept = before & ~kResizableStyle;
  if ((before & kResizableStyle) != style) {
    ::SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(kept | style));
  }
  int width = scaled(layout::kClientWidth);
  int height = scaled(designedClientHeight_);
  if (previewInView_) {
    width = scaled(std::max(state.previewWidth, layout::kClientWidth));
    height += scaled(std::max(state.previewHeight, layout::kPreviewMinimumHeight));
  }
  const SIZE outer = outerSize(kept | style, width, height);
  const bool frameChanged = (before & kResizableStyle) != style;
  ::SetWindowPos(
      window_, nullptr, 0, 0, outer.cx, outer.cy,
      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (frameChanged ? SWP_FRAMECHANGED : 0));
  layOutPreview();
}

void TForm1::layOutPreview() {
  HWND preview = preview_->handle();
  if (!previewInView_) {
    ::ShowWindow(preview, SW_HIDE);
    return;
  }
  RECT client{};
  ::GetClientRect(window_, &client);
  const int margin = scaled(layout::kPreviewMargin);
  const int top = scaled(previewTop_);
  ::SetWindowPos(preview, nullptr, margin, top, std::max<LONG>(client.right - 2 * margin, 10),
                 std::max<LONG>(client.bottom - top - margin, 10),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TForm1::paintProgressNow(const form::FormState& state) {
  showState(state);
  ::UpdateWindow(control(ControlId::ProgressBar2));
}

void TForm1::previewChanged() {
  if (previewInView_) {
    preview_->refresh();
  }
}

void TForm1::showAbout() {
  if (Form2 != nullptr) {
    Form2->showModal(window_);
  }
}

}  // namespace vexa::win32
