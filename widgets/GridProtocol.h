#pragma once
// How a program in another process reads a TGrid: what it shows in each data row.
//
// 1. The reader registers the window message named kGridReadMessage (RegisterWindowMessageW)
//    and sends it to the grid with wParam = a window of its own (a message-only window will
//    do) and lParam = 0, with SendMessageTimeout so that a hung grid cannot hang the reader.
// 2. Before the send returns, the grid sends that window one WM_COPYDATA whose dwData is
//    kGridReadTag and whose data is the text below; the send then returns the number of data
//    rows plus one (0 means the window is no grid of ours, or it did not answer).
//
// The text is UTF-8, as the grid holds it: a cell shows a file name of any script, and the
// reader gets it back byte for byte. No terminating zero follows it. It holds one record per
// data row (rows 1 to the last, in order, empty rows included), each ended by kGridRecordEnd.
// A record is a list of fields, each ended by kGridFieldEnd:
//   - the checkbox of column 0: "0" none, "1" unticked, "2" ticked;
//   - where that checkbox's centre is in the grid's client area, "x,y", or "" when the row is
//     not in view (scroll it into view first, then read again);
//   - for each column in turn, five fields: the text; the cell's font name ("" for the grid's
//     own, Tahoma); its font colour as a decimal COLORREF; its font style, the decimal sum of
//     the TFontStyle bits of Fonts.h (8 is kFontStrikeOut); its alignment, "L", "C" or "R".
// The two separators are control characters that never occur in the program's texts (nor
// inside any other character's UTF-8 bytes).
#include "Fonts.h"

inline constexpr wchar_t kGridReadMessage[] = L"Quorvex.Grid.Read";
inline constexpr unsigned long kGridReadTag = 0x51475244;  // "QGRD"
inline constexpr char kGridFieldEnd = '\x1F';
inline constexpr char kGridRecordEnd = '\x1E';
inline constexpr int kGridCellFields = 5;
// The class name of the grid's window, by which a reader finds it among a window's children.
inline constexpr char kGridClassName[] = "TQuorvexGrid";
