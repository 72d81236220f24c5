// The results grid in-process: rows from both workers, the threat list behind them, the look
// of a removed row, the removal button with its boxes, and the grid's own handling of the
// mouse, the keyboard, scrolling and repainting.
#include <algorithm>
#include <optional>

#include "app_test_support.h"
#include "qrx_menaces_liste.h"
#include "removal_test_support.h"

namespace {

const char kRemoved[] = "Les éléments nuisibles ont été supprimés";
const char kSomeFailed[] = "Certains éléments n'ont pas pu être supprimés. Ils restent cochés dans la liste.";
const char kNoSelection[] =
    "Aucun élément à supprimer n'est sélectionné.\r\rSélectionnez les éléments à supprimer dans la liste.";
constexpr int kCheck = 0, kObject = 1, kType = 2, kAction = 3;

// "f1", "f2"... (built by appending: gcc 12 warns wrongly on a literal plus a temporary string)
std::string Numbered(int n) {
  std::string name = "f";
  name += std::to_string(n);
  return name;
}

TMenace FileThreat(const std::string& path) {
  TMenace threat;
  threat.ThreatKind = InfectedFileThreat;
  threat.Path = path;
  return threat;
}

TMenace SpywareRegistration(const std::string& clsid) {
  TMenace threat;
  threat.ThreatKind = SpywareThreat;
  threat.BhoEntry.Kind = SpywareKind;
  threat.BhoEntry.Clsid.Assign(clsid);
  return threat;
}

// A worker that hands `count` threats over to the grid, named "<prefix> n", as a scan would.
class TThreatWorker : public TWorkerThread {
 public:
  TThreatWorker(TScanRequest request, std::string prefix, int count)
      : Request_(std::move(request)), Prefix_(std::move(prefix)), Count_(count) {}
  std::vector<int> Rows;

 protected:
  void Execute() override {
    for (int n = 0; n < Count_; ++n) {
      const std::string name = Prefix_ + " " + std::to_string(n);
      Synchronize([&] { Rows.push_back(Request_.Targets.AddThreatRow(FileThreat(name), name, "Virus X", "supprimer")); });
      Sleep(0);
    }
  }

 private:
  TScanRequest Request_;
  std::string Prefix_;
  int Count_;
};

class TThreatFactory : public TScanWorkerFactory {
 public:
  std::unique_ptr<TWorkerThread> CreateScanVirus(TScanRequest request) override {
    auto worker = std::make_unique<TThreatWorker>(std::move(request), "virus", 40);
    Virus = worker.get();
    return worker;
  }
  std::unique_ptr<TWorkerThread> CreateScanSpyware(TScanRequest request) override {
    auto worker = std::make_unique<TThreatWorker>(std::move(request), "spyware", 40);
    Spyware = worker.get();
    return worker;
  }
  TThreatWorker* Virus = nullptr;
  TThreatWorker* Spyware = nullptr;
};

class ResultsGridTest : public MainWindowTest {
 protected:
  TGrid& Grid() { return *Form->Grid; }
  const TGridCell& Cell(int col, int row) { return Grid().Cell(col, row); }
  int AddFile(const std::string& path, const std::string& action = "supprimer") {
    return Form->AddThreatRow(FileThreat(path), path, "Virus Test.A", action);
  }
  void Tick(int row) { Grid().SetTicked(kCheck, row, true); }
  void PressRemoval() { SendMessageW(Form->buttonSupprimer->Handle(), BM_CLICK, 0, 0); }
  // The left button at a point of the grid's client area, as the mouse would press or release
  // it there (a release anywhere comes to the grid while the grid holds the mouse).
  void PressAt(POINT at) { SendMessageW(Grid().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y)); }
  void ReleaseAt(POINT at) { SendMessageW(Grid().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y)); }
  void ClickAt(POINT at) {
    PressAt(at);
    ReleaseAt(at);
  }
  POINT CentreOf(int col, int row) {
    const RECT r = Grid().CellRect(col, row);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Key(WPARAM key) { SendMessageW(Grid().Handle(), WM_KEYDOWN, key, 0); }

  TScratchFolder Scratch{"qrx-grid"};
};

TEST_F(ResultsGridTest, OpensWithTheHeaderAndNineEmptyRows) {
  Open();
  ASSERT_EQ(10, Grid().RowCount());
  EXPECT_EQ(4, Grid().ColCount());
  const char* headers[] = {"", "Objet", "Type", "Action conseillée"};
  for (int col = 0; col < 4; ++col) {
    EXPECT_EQ(headers[col], Cell(col, 0).Text);
    EXPECT_EQ(col == 0 ? TAlignment::Left : TAlignment::Centre, Cell(col, 0).Alignment);
  }
  for (int row = 1; row < 10; ++row)
    for (int col = 0; col < 4; ++col) EXPECT_TRUE(Cell(col, row).Text.empty() && !Cell(col, row).HasCheckBox);
  const RECT bounds = Grid().BoundsInParent();
  EXPECT_EQ(49, bounds.left);
  EXPECT_EQ(288, bounds.top);
  EXPECT_EQ(502, bounds.right - bounds.left);
  EXPECT_EQ(121, bounds.bottom - bounds.top);
  // Columns 19 and 257 wide, rows 21 high, one-pixel grid lines between them.
  const RECT object = Grid().CellRect(kObject, 1);
  EXPECT_EQ(20, object.left);
  EXPECT_EQ(257, object.right - object.left);
  EXPECT_EQ(22, object.top);
  EXPECT_EQ(21, object.bottom - object.top);
  EXPECT_EQ(20 + 258 + 93, Grid().CellRect(kAction, 2).left);
}

TEST_F(ResultsGridTest, RowsOfBothWorkersAreNumberedInTheOrderTheyCame) {
  TThreatFactory threats;
  Open(threats);
  Form->buttonGo->Click();
  ASSERT_TRUE(WaitForBoxes(1));
  ASSERT_EQ(80, Form->ThreatCount);
  std::vector<int> all = threats.Virus->Rows;
  all.insert(all.end(), threats.Spyware->Rows.begin(), threats.Spyware->Rows.end());
  std::sort(all.begin(), all.end());
  for (int row = 1; row <= 80; ++row) EXPECT_EQ(row, all[row - 1]);
  // Each worker got increasing numbers; every row shows its own threat, kept as entry row - 1.
  EXPECT_TRUE(std::is_sorted(threats.Virus->Rows.begin(), threats.Virus->Rows.end()));
  for (int row = 1; row <= 80; ++row) {
    EXPECT_EQ(Menaces[row - 1].Path, Cell(kObject, row).Text);
    EXPECT_TRUE(Cell(kCheck, row).HasCheckBox && !Cell(kCheck, row).Ticked);
    EXPECT_EQ(TAlignment::Centre, Cell(kType, row).Alignment);
    EXPECT_EQ(TAlignment::Centre, Cell(kAction, row).Alignment);
  }
  EXPECT_EQ(81, Grid().RowCount());
}

TEST_F(ResultsGridTest, GrowsPastNineRowsAndPastAThousandThreats) {
  Open();
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(n, AddFile(Numbered(n)));
  EXPECT_EQ(10, Grid().RowCount());
  EXPECT_EQ(10, AddFile("f10"));
  EXPECT_EQ(11, Grid().RowCount());
  for (int n = 11; n <= 1000; ++n) AddFile(Numbered(n));
  const std::string last = Scratch.File("mille-et-un.exe");
  EXPECT_EQ(1001, AddFile(last));
  EXPECT_EQ(1002, Grid().RowCount());
  EXPECT_GE(Menaces.Size(), 1001u);
  EXPECT_EQ(last, Menaces[1000].Path);
  // The last row can be reached with the keyboard, ticked with the space bar and removed.
  Key(VK_END);
  EXPECT_EQ(1001, Grid().FocusRow());
  EXPECT_LE(Grid().TopRow(), 1001);
  EXPECT_GT(Grid().CellRect(kCheck, 1001).bottom, 0);
  Key(VK_SPACE);
  EXPECT_TRUE(Cell(kCheck, 1001).Ticked);
  PressRemoval();
  EXPECT_FALSE(FileExists(last));
  EXPECT_EQ("SUPPRIME", Cell(kAction, 1001).Text);
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kRemoved, Services.Boxes[0].Text);
}

TEST_F(ResultsGridTest, RemovedLookStrikesTheObjectAndWritesARedSupprime) {
  Open();
  AddFile("C:\\a.exe");
  AddFile("C:\\b.exe", "suppression échouée");
  Form->MarkThreatRemoved(1);
  EXPECT_EQ(unsigned{kFontStrikeOut}, Cell(kObject, 1).FontStyle);
  EXPECT_EQ("C:\\a.exe", Cell(kObject, 1).Text);
  EXPECT_EQ("Virus Test.A", Cell(kType, 1).Text);
  EXPECT_EQ(unsigned{kFontRegular}, Cell(kType, 1).FontStyle);
  EXPECT_EQ("SUPPRIME", Cell(kAction, 1).Text);
  EXPECT_EQ("Arial", Cell(kAction, 1).FontName);
  EXPECT_EQ(RGB(255, 0, 0), Cell(kAction, 1).FontColour);
  EXPECT_EQ(TAlignment::Centre, Cell(kAction, 1).Alignment);
  EXPECT_FALSE(Cell(kCheck, 1).HasCheckBox);
  // The next row is untouched, and a click where the checkbox was ticks nothing.
  EXPECT_EQ("suppression échouée", Cell(kAction, 2).Text);
  EXPECT_TRUE(Cell(kCheck, 2).HasCheckBox);
  ClickAt(CentreOf(kCheck, 1));
  EXPECT_FALSE(Cell(kCheck, 1).HasCheckBox || Cell(kCheck, 1).Ticked);
}

TEST_F(ResultsGridTest, RemovesTickedRowsOnly) {
  Open();
  const std::string a = Scratch.File("a.exe"), b = Scratch.File("b.exe"), c = Scratch.File("c.exe");
  const std::string clsid = TestClsid(2);
  TClassKeyCleanup cleanup(clsid);
  const std::string server = Scratch.File("espion.dll");
  SeedKey(clsid, "InProcServer32", &server);
  AddFile(a);
  AddFile(b);
  Form->AddThreatRow(SpywareRegistration(clsid), "Barre Espion", "Barre d'outils", "supprimer");
  AddFile(c);
  Tick(1);
  Tick(3);
  Tick(4);
  PressRemoval();
  EXPECT_FALSE(FileExists(a));
  EXPECT_TRUE(FileExists(b));
  EXPECT_FALSE(FileExists(c));
  EXPECT_FALSE(FileExists(server));
  EXPECT_FALSE(ClassKeyExists(clsid));
  for (int row : {1, 3, 4}) EXPECT_EQ("SUPPRIME", Cell(kAction, row).Text) << row;
  EXPECT_EQ("supprimer", Cell(kAction, 2).Text);
  EXPECT_TRUE(Cell(kCheck, 2).HasCheckBox && !Cell(kCheck, 2).Ticked);
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kRemoved, Services.Boxes[0].Text);
  EXPECT_EQ("Informations", Services.Boxes[0].Caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), Services.Boxes[0].Flags);
}

TEST_F(ResultsGridTest, FailedRemovalLeavesTheRowTickedAndSaysSo) {
  Open();
  const std::string gone = Scratch.PathOf("absent.exe"), there = Scratch.File("present.exe");
  AddFile(gone, "suppression échouée");
  AddFile(there);
  Tick(1);
  Tick(2);
  PressRemoval();
  EXPECT_TRUE(Cell(kCheck, 1).HasCheckBox && Cell(kCheck, 1).Ticked);
  EXPECT_EQ("suppression échouée", Cell(kAction, 1).Text);
  EXPECT_EQ(gone, Cell(kObject, 1).Text);
  EXPECT_EQ(unsigned{kFontRegular}, Cell(kObject, 1).FontStyle);
  EXPECT_EQ("", Cell(kAction, 1).FontName);
  EXPECT_EQ("SUPPRIME", Cell(kAction, 2).Text);
  ASSERT_EQ(1u, Services.Boxes.size());
  EXPECT_EQ(kSomeFailed, Services.Boxes[0].Text);
  EXPECT_EQ("Informations", Services.Boxes[0].Caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONWARNING), Services.Boxes[0].Flags);

  // The file turns up again: the next press removes it, the removed row is not tried twice.
  Scratch.File("absent.exe");
  PressRemoval();
  EXPECT_FALSE(FileExists(gone));
  EXPECT_EQ("SUPPRIME", Cell(kAction, 1).Text);
  ASSERT_EQ(2u, Services.Boxes.size());
  EXPECT_EQ(kRemoved, Services.Boxes[1].Text);
}

TEST_F(ResultsGridTest, NothingTickedShowsTheEmptySelectionBox) {
  Open();
  PressRemoval();  // before any scan
  const std::string kept = Scratch.File("garde.exe");
  AddFile(kept);
  PressRemoval();  // a row, not ticked
  AddFile(Scratch.File("auto.exe"));
  Tick(2);
  Form->MarkThreatRemoved(2);  // removed by a worker: no checkbox, never processed again
  PressRemoval();
  EXPECT_TRUE(FileExists(kept));
  EXPECT_TRUE(FileExists(Scratch.PathOf("auto.exe")));
  ASSERT_EQ(3u, Services.Boxes.size());
  for (const TRecordedBox& box : Services.Boxes) {
    EXPECT_EQ(kNoSelection, box.Text);
    EXPECT_EQ("Sélection vide", box.Caption);
    EXPECT_EQ(UINT(MB_OK | MB_ICONERROR), box.Flags);
  }
}

TEST_F(ResultsGridTest, NewScanClearsRowsLooksAndCheckboxes) {
  Steered.VirusHandOvers = 0;
  Steered.SpywareHandOvers = 0;
  Open();
  for (int n = 1; n <= 12; ++n) AddFile(Numbered(n));
  Tick(3);
  Form->MarkThreatRemoved(1);
  Grid().SetCellFontColour(kType, 0, RGB(1, 2, 3));
  Key(VK_END);
  Form->buttonGo->Click();
  EXPECT_EQ(0, Form->ThreatCount);
  ASSERT_EQ(10, Grid().RowCount());
  EXPECT_EQ(1, Grid().TopRow());
  const TGridCell empty;
  for (int row = 1; row < 10; ++row) {
    for (int col = 0; col < 4; ++col) {
      const TGridCell& cell = Cell(col, row);
      EXPECT_TRUE(cell.Text.empty() && !cell.HasCheckBox && !cell.Ticked && cell.FontName.empty() &&
                  cell.FontColour == empty.FontColour && cell.FontStyle == empty.FontStyle &&
                  cell.Alignment == empty.Alignment)
          << col << "," << row;
    }
  }
  EXPECT_EQ(empty.FontColour, Cell(kType, 0).FontColour);
  EXPECT_EQ("Type", Cell(kType, 0).Text);
  // The next scan's first threat is row 1 again, and entry 0 of the list.
  EXPECT_EQ(1, AddFile("nouveau"));
  EXPECT_EQ("nouveau", Menaces[0].Path);
  PumpUntil([&] { return !Form->VirusRunning && !Form->SpywareRunning; });
}

TEST_F(ResultsGridTest, ClicksOnCheckboxesToggleThemAndNothingElse) {
  Open();
  AddFile("a");
  AddFile("b");
  ClickAt(CentreOf(kCheck, 2));
  EXPECT_TRUE(Cell(kCheck, 2).Ticked);
  EXPECT_FALSE(Cell(kCheck, 1).Ticked);
  EXPECT_EQ(2, Grid().FocusRow());
  ClickAt(CentreOf(kCheck, 2));
  EXPECT_FALSE(Cell(kCheck, 2).Ticked);
  ClickAt(CentreOf(kObject, 1));  // selects the row only
  ClickAt(CentreOf(kCheck, 0));   // the header
  ClickAt(CentreOf(kCheck, 5));   // an empty row has no checkbox
  EXPECT_FALSE(Cell(kCheck, 1).Ticked || Cell(kCheck, 5).HasCheckBox);
  EXPECT_EQ(5, Grid().FocusRow());
  EXPECT_EQ("a", Cell(kObject, 1).Text);
}

// A checkbox is clicked as a button is: the press selects the row and takes the mouse, and
// only a release over the checkbox pressed ticks it.
TEST_F(ResultsGridTest, ACheckboxTicksOnAPressAndAReleaseOverItOnly) {
  Open();
  AddFile("a");
  AddFile("b");
  const POINT box1 = CentreOf(kCheck, 1), object1 = CentreOf(kObject, 1), box2 = CentreOf(kCheck, 2);
  const POINT besideTheGrid{-20, box1.y};  // over the main window, left of the grid
  struct TCase {
    const char* What;
    std::optional<POINT> Press;  // none: on a label of the main window, outside the grid
    bool MouseTakenAway;         // by another window before the release, as a box or a menu does
    POINT Release;
    bool Ticked1, Ticked2;
  };
  const TCase cases[] = {
      {"pressed and released on the same checkbox", box1, false, box1, true, false},
      {"released on another cell of the row", box1, false, object1, false, false},
      {"released on another row's checkbox", box1, false, box2, false, false},
      {"released outside the grid", box1, false, besideTheGrid, false, false},
      {"pressed on another cell of the row, released on its checkbox", object1, false, box1, false, false},
      {"pressed outside the grid, released on a checkbox", std::nullopt, false, box1, false, false},
      {"the mouse taken away before the release", box1, true, box1, false, false},
  };
  const auto untickBoth = [&] {
    Grid().SetTicked(kCheck, 1, false);
    Grid().SetTicked(kCheck, 2, false);
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    untickBoth();
    Key(VK_HOME);
    Key(VK_DOWN);  // row 2 selected: the press on row 1 selects row 1
    if (c.Press) {
      PressAt(*c.Press);
      EXPECT_EQ(Grid().Handle(), GetCapture());
      EXPECT_EQ(1, Grid().FocusRow());
    } else {
      SendMessageW(Form->Label1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    }
    EXPECT_FALSE(Cell(kCheck, 1).Ticked) << "nothing ticks on the press";
    if (c.MouseTakenAway) SetCapture(Form->Handle());
    ReleaseAt(c.Release);
    EXPECT_EQ(c.Ticked1, Cell(kCheck, 1).Ticked);
    EXPECT_EQ(c.Ticked2, Cell(kCheck, 2).Ticked);
    EXPECT_NE(Grid().Handle(), GetCapture()) << "the release gives the mouse back";
    ReleaseCapture();
  }
  // The space bar ticks the selected row at once.
  untickBoth();
  Key(VK_HOME);
  Key(VK_SPACE);
  EXPECT_TRUE(Cell(kCheck, 1).Ticked);
  EXPECT_FALSE(Cell(kCheck, 2).Ticked);
}

// The row shown in part at the foot: a press selects it and scrolls it whole into view, and the
// next row in part under the pointer. The click is the checkbox's that was pressed, wherever
// it went.
TEST_F(ResultsGridTest, APressOnARowShownInPartScrollsItIntoViewAndClicksItsOwnCheckbox) {
  Open();
  for (int n = 1; n <= 12; ++n) AddFile(Numbered(n));
  const int height = Grid().ClientSize().cy;
  int partial = 1;
  while (Grid().CellRect(kCheck, partial).bottom <= height) ++partial;
  const RECT cell = Grid().CellRect(kCheck, partial);
  ASSERT_LT(cell.top, height);
  const POINT footBox{(cell.left + cell.right) / 2, (cell.top + height) / 2};

  ClickAt(footBox);
  EXPECT_EQ(partial, Grid().FocusRow());
  EXPECT_EQ(2, Grid().TopRow());
  EXPECT_LE(Grid().CellRect(kCheck, partial).bottom, height);
  for (int row = 1; row <= 12; ++row) EXPECT_FALSE(Cell(kCheck, row).Ticked) << row;

  PressAt(footBox);
  EXPECT_EQ(partial + 1, Grid().FocusRow());
  ReleaseAt(CentreOf(kCheck, partial + 1));
  for (int row = 1; row <= 12; ++row) EXPECT_EQ(row == partial + 1, Cell(kCheck, row).Ticked) << row;
}

TEST_F(ResultsGridTest, KeyboardAndWheelScrollAndTheSpaceBarTicks) {
  Open();
  for (int n = 1; n <= 30; ++n) AddFile(Numbered(n));
  EXPECT_EQ(1, Grid().TopRow());
  SendMessageW(Grid().Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(4, Grid().TopRow());
  SendMessageW(Grid().Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(1, Grid().TopRow());
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(3, Grid().FocusRow());
  Key(VK_SPACE);
  EXPECT_TRUE(Cell(kCheck, 3).Ticked);
  Key(VK_SPACE);
  EXPECT_FALSE(Cell(kCheck, 3).Ticked);
  Key(VK_NEXT);
  EXPECT_GT(Grid().FocusRow(), 3);
  EXPECT_GE(Grid().FocusRow(), Grid().TopRow());
  Key(VK_END);
  EXPECT_EQ(30, Grid().FocusRow());
  SendMessageW(Grid().Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(1, Grid().TopRow());
  SendMessageW(Grid().Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  const int bottom = Grid().TopRow();
  SendMessageW(Grid().Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(bottom, Grid().TopRow());  // no scrolling past the last row
  EXPECT_LE(Grid().CellRect(kCheck, 30).bottom, Grid().ClientSize().cy);
  // The columns are a little wider than the window: the arrows scroll them sideways.
  const int left = Grid().CellRect(kObject, 1).left;
  Key(VK_RIGHT);
  EXPECT_LT(Grid().CellRect(kObject, 1).left, left);
  Key(VK_LEFT);
  EXPECT_EQ(left, Grid().CellRect(kObject, 1).left);
}

TEST_F(ResultsGridTest, AddingARowRepaintsThatRowOnly) {
  Open();
  for (int n = 1; n <= 20; ++n) AddFile(Numbered(n));
  UpdateWindow(Grid().Handle());
  // Added out of view: nothing to paint.
  Grid().SetRowCount(Grid().RowCount() + 1);
  Grid().SetCellText(kObject, Grid().RowCount() - 1, "loin");
  RECT dirty;
  EXPECT_FALSE(GetUpdateRect(Grid().Handle(), &dirty, FALSE));
  // Changed in view: that cell alone.
  Grid().SetCellText(kType, 2, "Virus Y");
  ASSERT_TRUE(GetUpdateRect(Grid().Handle(), &dirty, FALSE));
  RECT cell = Grid().CellRect(kType, 2);
  EXPECT_LE(dirty.bottom - dirty.top, cell.bottom - cell.top + 2);
  EXPECT_LE(dirty.right - dirty.left, cell.right - cell.left + 2);
}

}  // namespace
