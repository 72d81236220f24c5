#include "Grid.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "Gdi.h"
#include "GridProtocol.h"

namespace {

constexpr COLORREF kCellColour = RGB(255, 255, 255);
constexpr COLORREF kLineColour = RGB(192, 192, 192);
constexpr int kCheckBoxSize = 13;
constexpr int kTextInset = 2;
constexpr int kWheelRows = 3;     // rows per notch of the wheel
constexpr int kArrowPixels = 16;  // horizontal step of the arrows and of the scroll bar's arrows

UINT ReadMessage() {
  static const UINT message = RegisterWindowMessageW(kGridReadMessage);
  return message;
}

UINT AlignmentFormat(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::Centre:
      return DT_CENTER;
    case TAlignment::Right:
      return DT_RIGHT;
    default:
      return DT_LEFT;
  }
}

char AlignmentCode(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::Centre:
      return 'C';
    case TAlignment::Right:
      return 'R';
    default:
      return 'L';
  }
}

POINT PointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

RECT CheckBoxIn(const RECT& cell) {
  const int x = (cell.left + cell.right - kCheckBoxSize) / 2, y = (cell.top + cell.bottom - kCheckBoxSize) / 2;
  return {x, y, x + kCheckBoxSize, y + kCheckBoxSize};
}

// A bitmap the size of the client area that a paint draws into before showing it whole.
class TPaintBuffer {
 public:
  TPaintBuffer(HDC target, SIZE size)
      : Target_(target), Size_(size), Dc_(CreateCompatibleDC(target)),
        Bitmap_(CreateCompatibleBitmap(target, size.cx, size.cy)), Selection_(Dc_, Bitmap_.get()) {}
  ~TPaintBuffer() {
    BitBlt(Target_, 0, 0, Size_.cx, Size_.cy, Dc_, 0, 0, SRCCOPY);
    DeleteDC(Dc_);
  }
  TPaintBuffer(const TPaintBuffer&) = delete;
  TPaintBuffer& operator=(const TPaintBuffer&) = delete;
  HDC Dc() const { return Dc_; }

 private:
  HDC Target_;
  SIZE Size_;
  HDC Dc_;
  TBitmap Bitmap_;
  TSelection Selection_;
};

}  // namespace

TGrid::TGrid(HWND parent, int x, int y, int width, int height, std::vector<int> columnWidths, int rowHeight,
             COLORREF headerColour)
    : ColumnWidths_(std::move(columnWidths)), RowHeight_(rowHeight), HeaderColour_(headerColour) {
  Rows_.assign(1, std::vector<TGridCell>(ColumnWidths_.size()));
  RegisterWindowClass(kGridClassName);
  CreateHandle(kGridClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE,
               x, y, width, height, parent);
  UpdateScrollBars();
}

void TGrid::SetRowCount(int rows) {
  rows = std::max(rows, 1);
  const int previous = RowCount();
  if (rows == previous) return;
  Rows_.resize(rows, std::vector<TGridCell>(ColumnWidths_.size()));
  FocusRow_ = std::clamp(FocusRow_, 1, std::max(1, rows - 1));
  UpdateScrollBars();
  if (TopRow_ > LastTopRow()) {
    SetTopRow(LastTopRow());
  } else {
    // Only the rows that came or went, and only where they are in view.
    for (int row = std::min(rows, previous); row < std::max(rows, previous); ++row) {
      if (row >= TopRow_ + RowsInView() + 1) break;
      InvalidateRow(row);
    }
  }
}

void TGrid::ClearCells() {
  for (auto& row : Rows_) std::fill(row.begin(), row.end(), TGridCell{});
  Invalidate();
}

TGridCell& TGrid::MutableCell(int col, int row) {
  InvalidateCell(col, row);
  return Rows_.at(row).at(col);
}

void TGrid::SetCellText(int col, int row, const std::string& text) { MutableCell(col, row).Text = text; }

void TGrid::AddCheckBox(int col, int row) {
  TGridCell& cell = MutableCell(col, row);
  cell.HasCheckBox = true;
  cell.Ticked = false;
}

void TGrid::RemoveCheckBox(int col, int row) {
  TGridCell& cell = MutableCell(col, row);
  cell.HasCheckBox = false;
  cell.Ticked = false;
}

void TGrid::SetTicked(int col, int row, bool ticked) {
  TGridCell& cell = MutableCell(col, row);
  cell.Ticked = cell.HasCheckBox && ticked;
}

void TGrid::SetCellFontName(int col, int row, const std::string& name) { MutableCell(col, row).FontName = name; }

void TGrid::SetCellFontColour(int col, int row, COLORREF colour) { MutableCell(col, row).FontColour = colour; }

void TGrid::SetCellFontStyle(int col, int row, unsigned style) { MutableCell(col, row).FontStyle = style; }

void TGrid::SetCellAlignment(int col, int row, TAlignment alignment) { MutableCell(col, row).Alignment = alignment; }

int TGrid::ColumnLeft(int col) const {
  return std::accumulate(ColumnWidths_.begin(), ColumnWidths_.begin() + col, 0) + col;
}

int TGrid::ContentWidth() const { return ColumnLeft(ColCount()); }

RECT TGrid::CellRect(int col, int row) const {
  const int left = ColumnLeft(col) - Left_;
  const int top = row == 0 ? 0 : RowPitch() * (1 + row - TopRow_);
  return {left, top, left + ColumnWidths_[col], top + RowHeight_};
}

int TGrid::RowsInView() const { return std::max(1, static_cast<int>(ClientSize().cy - RowPitch()) / RowPitch()); }

int TGrid::LastTopRow() const { return std::max(1, RowCount() - RowsInView()); }

void TGrid::InvalidateCell(int col, int row) {
  RECT area = CellRect(col, row);
  InflateRect(&area, 1, 1);  // the focus outline reaches the lines
  InvalidateInView(area);
}

void TGrid::InvalidateRow(int row) {
  if (row <= 0 || row >= RowCount()) return;
  RECT area = CellRect(0, row);
  area.right = ContentWidth() - Left_;
  InflateRect(&area, 1, 1);
  InvalidateInView(area);
}

void TGrid::InvalidateInView(const RECT& area) {
  // Invalidating costs a call to the system even off screen (a round trip under Wine): cells
  // out of view, the common case while a long list grows, are left alone.
  const RECT client{0, 0, ClientSize().cx, ClientSize().cy};
  RECT visible;
  if (IntersectRect(&visible, &area, &client)) InvalidateRect(Handle(), &visible, FALSE);
}

void TGrid::UpdateScrollBars() {
  // Showing or hiding one bar changes the client area and so the other bar: the nested
  // WM_SIZE sets both again from the new size.
  SCROLLINFO vertical{sizeof vertical, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, RowCount() - 2),
                      static_cast<UINT>(RowsInView()), TopRow_ - 1, 0};
  SetScrollBar(SB_VERT, vertical);
  SCROLLINFO horizontal{sizeof horizontal, SIF_RANGE | SIF_PAGE | SIF_POS, 0, ContentWidth() - 1,
                        static_cast<UINT>(ClientSize().cx), Left_, 0};
  SetScrollBar(SB_HORZ, horizontal);
}

void TGrid::SetScrollBar(int bar, SCROLLINFO& info) {
  // Drawing a scroll bar is slow (tens of milliseconds under Wine), and a growing list changes
  // the range at every row while the thumb soon stops moving on screen: the bar is drawn again
  // only when its thumb moved or resized, or when it appeared or went.
  const LONG object = bar == SB_VERT ? OBJID_VSCROLL : OBJID_HSCROLL;
  SCROLLBARINFO before{sizeof before, {}, 0, 0, 0, 0, {}};
  GetScrollBarInfo(Handle(), object, &before);
  SetScrollInfo(Handle(), bar, &info, FALSE);
  SCROLLBARINFO after{sizeof after, {}, 0, 0, 0, 0, {}};
  GetScrollBarInfo(Handle(), object, &after);
  if (!EqualRect(&before.rcScrollBar, &after.rcScrollBar) || before.xyThumbTop != after.xyThumbTop ||
      before.xyThumbBottom != after.xyThumbBottom || before.rgstate[0] != after.rgstate[0])
    SetScrollInfo(Handle(), bar, &info, TRUE);
}

void TGrid::SetTopRow(int row) {
  row = std::clamp(row, 1, LastTopRow());
  if (row == TopRow_) return;
  TopRow_ = row;
  SCROLLINFO position{sizeof position, SIF_POS, 0, 0, 0, TopRow_ - 1, 0};
  SetScrollBar(SB_VERT, position);
  Invalidate();
}

void TGrid::SetLeft(int left) {
  left = std::clamp(left, 0, std::max(0, ContentWidth() - static_cast<int>(ClientSize().cx)));
  if (left == Left_) return;
  Left_ = left;
  SCROLLINFO position{sizeof position, SIF_POS, 0, 0, 0, Left_, 0};
  SetScrollBar(SB_HORZ, position);
  Invalidate();
}

void TGrid::ScrollToRow(int row) {
  if (row < TopRow_) {
    SetTopRow(row);
  } else if (row >= TopRow_ + RowsInView()) {
    SetTopRow(row - RowsInView() + 1);
  }
}

void TGrid::SetFocusRow(int row) {
  row = std::clamp(row, 1, std::max(1, RowCount() - 1));
  InvalidateRow(FocusRow_);
  FocusRow_ = row;
  InvalidateRow(FocusRow_);
  ScrollToRow(FocusRow_);
}

void TGrid::ToggleCheckBox(int row) {
  if (row <= 0 || row >= RowCount()) return;
  for (int col = 0; col < ColCount(); ++col) {
    if (Cell(col, row).HasCheckBox) return Toggle({col, row});
  }
}

void TGrid::Toggle(TCellPlace box) { SetTicked(box.Col, box.Row, !Cell(box.Col, box.Row).Ticked); }

std::optional<int> TGrid::DataRowAt(int y) const {
  if (y < RowPitch()) return std::nullopt;  // the header
  const int row = TopRow_ + (y - RowPitch()) / RowPitch();
  if (row >= RowCount()) return std::nullopt;
  return row;
}

std::optional<TGrid::TCellPlace> TGrid::CheckBoxAt(POINT at) const {
  const std::optional<int> row = DataRowAt(at.y);
  if (!row) return std::nullopt;
  for (int col = 0; col < ColCount(); ++col) {
    const RECT cell = CellRect(col, *row);
    if (PtInRect(&cell, at) && Cell(col, *row).HasCheckBox) return TCellPlace{col, *row};
  }
  return std::nullopt;
}

void TGrid::OnVerticalScroll(int request) {
  switch (request) {
    case SB_LINEUP:
      return SetTopRow(TopRow_ - 1);
    case SB_LINEDOWN:
      return SetTopRow(TopRow_ + 1);
    case SB_PAGEUP:
      return SetTopRow(TopRow_ - RowsInView());
    case SB_PAGEDOWN:
      return SetTopRow(TopRow_ + RowsInView());
    case SB_TOP:
      return SetTopRow(1);
    case SB_BOTTOM:
      return SetTopRow(LastTopRow());
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(Handle(), SB_VERT, &info);
      return SetTopRow(info.nTrackPos + 1);
    }
    default:
      return;
  }
}

void TGrid::OnHorizontalScroll(int request) {
  const int page = ClientSize().cx;
  switch (request) {
    case SB_LINELEFT:
      return SetLeft(Left_ - kArrowPixels);
    case SB_LINERIGHT:
      return SetLeft(Left_ + kArrowPixels);
    case SB_PAGELEFT:
      return SetLeft(Left_ - page);
    case SB_PAGERIGHT:
      return SetLeft(Left_ + page);
    case SB_LEFT:
      return SetLeft(0);
    case SB_RIGHT:
      return SetLeft(ContentWidth());
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(Handle(), SB_HORZ, &info);
      return SetLeft(info.nTrackPos);
    }
    default:
      return;
  }
}

void TGrid::OnWheel(int delta) {
  WheelRest_ += delta;
  const int notches = WheelRest_ / WHEEL_DELTA;
  WheelRest_ -= notches * WHEEL_DELTA;
  SetTopRow(TopRow_ - notches * kWheelRows);
}

void TGrid::OnKey(WPARAM key) {
  switch (key) {
    case VK_UP:
      return SetFocusRow(FocusRow_ - 1);
    case VK_DOWN:
      return SetFocusRow(FocusRow_ + 1);
    case VK_PRIOR:
      return SetFocusRow(FocusRow_ - RowsInView());
    case VK_NEXT:
      return SetFocusRow(FocusRow_ + RowsInView());
    case VK_HOME:
      return SetFocusRow(1);
    case VK_END:
      return SetFocusRow(RowCount() - 1);
    case VK_LEFT:
      return SetLeft(Left_ - kArrowPixels);
    case VK_RIGHT:
      return SetLeft(Left_ + kArrowPixels);
    case VK_SPACE:
      return ToggleCheckBox(FocusRow_);
    default:
      return;
  }
}

void TGrid::OnPress(POINT at) {
  // Taken before the row is selected: selecting a row shown in part scrolls it whole into
  // view, and another row's checkbox under the pointer.
  PressedCheckBox_ = CheckBoxAt(at);
  if (const std::optional<int> row = DataRowAt(at.y)) SetFocusRow(*row);
}

void TGrid::OnClick(POINT at) {
  if (PressedCheckBox_ && CheckBoxAt(at) == PressedCheckBox_) Toggle(*PressedCheckBox_);
}

void TGrid::Paint(HDC dc) {
  TPaintBuffer buffer(dc, ClientSize());
  HDC out = buffer.Dc();
  RECT client{0, 0, ClientSize().cx, ClientSize().cy};
  FillSolid(out, client, kCellColour);
  SetBkMode(out, TRANSPARENT);
  // The row partly shown at the foot is drawn too.
  const int lastRow = std::min(RowCount() - 1, TopRow_ + RowsInView());
  for (int row = TopRow_; row <= lastRow; ++row)
    for (int col = 0; col < ColCount(); ++col) PaintCell(out, Cell(col, row), CellRect(col, row), false);
  for (int col = 0; col < ColCount(); ++col) PaintCell(out, Cell(col, 0), CellRect(col, 0), true);
  PaintLines(out, lastRow);
  if (GetFocus() == Handle() && FocusRow_ >= TopRow_ && FocusRow_ <= lastRow) {
    RECT focus = CellRect(0, FocusRow_);
    focus.right = ContentWidth() - Left_ - 1;
    DrawFocusRect(out, &focus);
  }
}

void TGrid::PaintCell(HDC dc, const TGridCell& cell, const RECT& area, bool header) const {
  FillSolid(dc, area, header ? HeaderColour_ : kCellColour);
  if (cell.HasCheckBox) {
    RECT box = CheckBoxIn(area);
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (cell.Ticked ? DFCS_CHECKED : 0));
  }
  if (cell.Text.empty()) return;
  const unsigned style = cell.FontStyle | (header ? unsigned{kFontBold} : 0u);
  TSelection font(dc, GetFont(cell.FontName.empty() ? "Tahoma" : cell.FontName, 8, style));
  SetTextColor(dc, cell.FontColour);
  RECT text = area;
  InflateRect(&text, -kTextInset, 0);
  PaintText(dc, cell.Text, text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentFormat(cell.Alignment));
}

void TGrid::PaintLines(HDC dc, int lastRow) const {
  TPen pen(CreatePen(PS_SOLID, 1, kLineColour));
  TSelection selection(dc, pen.get());
  const int right = ContentWidth() - Left_;
  const int bottom = RowPitch() * (2 + lastRow - TopRow_);
  for (int y = RowPitch() - 1; y < bottom; y += RowPitch()) {
    MoveToEx(dc, -Left_, y, nullptr);
    LineTo(dc, right, y);
  }
  for (int col = 1; col <= ColCount(); ++col) {
    const int x = ColumnLeft(col) - 1 - Left_;
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, bottom);
  }
}

LRESULT TGrid::AnswerReader(HWND reader) {
  if (!IsWindow(reader)) return 0;
  std::string text;
  const auto field = [&text](const std::string& value) {
    text += value;
    text += kGridFieldEnd;
  };
  for (int row = 1; row < RowCount(); ++row) {
    const TGridCell& box = Cell(0, row);
    field(!box.HasCheckBox ? "0" : box.Ticked ? "2" : "1");
    const bool inView = row >= TopRow_ && row < TopRow_ + RowsInView();
    const RECT check = CheckBoxIn(CellRect(0, row));
    field(inView ? std::to_string((check.left + check.right) / 2) + "," + std::to_string((check.top + check.bottom) / 2)
                 : "");
    for (const TGridCell& cell : Rows_[row]) {
      field(cell.Text);
      field(cell.FontName);
      field(std::to_string(cell.FontColour));
      field(std::to_string(cell.FontStyle));
      field(std::string(1, AlignmentCode(cell.Alignment)));
    }
    text += kGridRecordEnd;
  }
  COPYDATASTRUCT data{kGridReadTag, static_cast<DWORD>(text.size()), text.data()};
  DWORD_PTR ignored = 0;
  // Not SMTO_ABORTIFHUNG: the reader waits inside its own send, so it answers, yet the system
  // may count it as hung when it had not looked at its queue for a few seconds before.
  if (!SendMessageTimeoutW(reader, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()), reinterpret_cast<LPARAM>(&data),
                           SMTO_NORMAL, 5000, &ignored))
    return 0;
  return RowCount();
}

LRESULT TGrid::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ReadMessage()) return AnswerReader(reinterpret_cast<HWND>(wParam));
  switch (message) {
    case WM_SIZE:
      UpdateScrollBars();
      SetTopRow(TopRow_);
      SetLeft(Left_);
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnHorizontalScroll(LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(Handle());
      Click_.Follow(Handle(), message, lParam);
      OnPress(PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (Click_.Follow(Handle(), message, lParam)) OnClick(PointOf(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      Click_.Follow(Handle(), message, lParam);
      return 0;
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRow(FocusRow_);
      return 0;
    default:
      return TPaintedWindow::HandleMessage(message, wParam, lParam);
  }
}
