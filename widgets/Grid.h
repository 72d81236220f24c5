#pragma once
// A grid drawn by us, since Win32 has none that does this: row 0 is a fixed header that does
// not scroll, every row has the same height and every column a fixed width, with grid lines
// and scroll bars where the rows or columns outgrow the window. Each cell has its text and
// its own look: a checkbox, a font name, colour and style, a horizontal alignment.
//
// Rows are selected whole; the selection (the focused row) is drawn with no highlight, only
// a focus outline while the grid has the keyboard; a press of the left button selects its
// row. Nothing can be edited: a click on a checkbox (pressed and released over that same
// checkbox, as a button is), or the space bar on the focused row, ticks or unticks it. The
// wheel, the arrows, Page Up/Down and Home/End scroll. Only what changes is repainted, and a
// paint draws only the rows in view, so a grid of 10,000 rows costs no more to grow or draw
// than one of ten.
//
// Another process reads the grid through the message of GridProtocol.h.
#include <optional>
#include <string>
#include <vector>

#include "Fonts.h"
#include "Window.h"

enum class TAlignment { Left, Centre, Right };

struct TGridCell {
  std::string Text;
  bool HasCheckBox = false;
  bool Ticked = false;
  std::string FontName;  // empty: Tahoma
  COLORREF FontColour = RGB(0, 0, 0);
  unsigned FontStyle = kFontRegular;  // TFontStyle bits; the header row is bold besides
  TAlignment Alignment = TAlignment::Left;
};

class TGrid : public TPaintedWindow {
 public:
  TGrid(HWND parent, int x, int y, int width, int height, std::vector<int> columnWidths, int rowHeight,
        COLORREF headerColour);

  int ColCount() const { return static_cast<int>(ColumnWidths_.size()); }
  // Rows in all, the header row included.
  int RowCount() const { return static_cast<int>(Rows_.size()); }
  // Sets the number of rows (at least the header row); new rows are empty.
  void SetRowCount(int rows);
  // Empties every cell and drops every cell's look, header included; the rows stay.
  void ClearCells();

  const TGridCell& Cell(int col, int row) const { return Rows_[row][col]; }
  void SetCellText(int col, int row, const std::string& text);
  void AddCheckBox(int col, int row);  // unticked
  void RemoveCheckBox(int col, int row);
  void SetTicked(int col, int row, bool ticked);
  void SetCellFontName(int col, int row, const std::string& name);
  void SetCellFontColour(int col, int row, COLORREF colour);
  void SetCellFontStyle(int col, int row, unsigned style);
  void SetCellAlignment(int col, int row, TAlignment alignment);

  // The data row shown first under the header, and the selected (focused) row.
  int TopRow() const { return TopRow_; }
  int FocusRow() const { return FocusRow_; }
  // Scrolls so that `row` is in view; the header stays.
  void ScrollToRow(int row);
  // Where a cell lies in the client area now (it may lie outside the client area).
  RECT CellRect(int col, int row) const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) override;

 private:
  // Where a cell is among the rows, whatever the scrolling.
  struct TCellPlace {
    int Col;
    int Row;
    bool operator==(const TCellPlace&) const = default;
  };

  TGridCell& MutableCell(int col, int row);
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateInView(const RECT& area);
  void PaintCell(HDC dc, const TGridCell& cell, const RECT& area, bool header) const;
  void PaintLines(HDC dc, int lastRow) const;

  int RowPitch() const { return RowHeight_ + 1; }
  int ColumnLeft(int col) const;
  int ContentWidth() const;
  // Data rows that fit whole below the header.
  int RowsInView() const;
  int LastTopRow() const;
  void UpdateScrollBars();
  void SetScrollBar(int bar, SCROLLINFO& info);
  void SetTopRow(int row);
  void SetLeft(int left);
  void OnVerticalScroll(int request);
  void OnHorizontalScroll(int request);
  void OnWheel(int delta);
  void OnKey(WPARAM key);
  // The data row at height y of the client area, if any.
  std::optional<int> DataRowAt(int y) const;
  std::optional<TCellPlace> CheckBoxAt(POINT at) const;
  void OnPress(POINT at);
  // A press on the grid released over it, at `at`.
  void OnClick(POINT at);
  void SetFocusRow(int row);
  // The first checkbox of the row.
  void ToggleCheckBox(int row);
  void Toggle(TCellPlace box);
  // Answers a reader of GridProtocol.h.
  LRESULT AnswerReader(HWND reader);

  std::vector<int> ColumnWidths_;
  int RowHeight_;
  COLORREF HeaderColour_;
  std::vector<std::vector<TGridCell>> Rows_;
  int TopRow_ = 1;
  int Left_ = 0;  // pixels scrolled to the right
  int FocusRow_ = 1;
  int WheelRest_ = 0;
  TClickTracker Click_;
  // The checkbox the left button was pressed on: the click toggles it if released over it.
  std::optional<TCellPlace> PressedCheckBox_;
};
