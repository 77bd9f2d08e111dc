#include "race/DiagramEditor.h"

#include "race/MarginModel.h"
#include "race/diagram/DiagramFixtures.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// The right-handed 4th corner: centre (-350, -350), EndAngle 64, Rows 20, 20,
// 22 and Lanes 0, 1, 0.
class DiagramEditorTest : public testing::Test {
protected:
  DiagramEditorTest()
      : Line(ThreeHorseLine(RightHanded, 2)),
        Diagram(ShownDiagram(Line, 2)),
        Editor(Diagram, Line, [this] { ++Refills; }) {}

  std::array<QByteArray, 3> Section2() const {
    return {EntryOf(Line, 1, 2), EntryOf(Line, 2, 2), EntryOf(Line, 3, 2)};
  }

  // Answers the dialog with `value`, remembering what it was shown.
  std::function<std::optional<int>(int)> Answer(std::optional<int> value) {
    return [this, value](int shown) {
      Shown.push_back(shown);
      return value;
    };
  }

  QByteArray Line;
  TTrackDiagram Diagram;
  TDiagramEditor Editor;
  int Refills = 0;
  std::vector<int> Shown;
};

using TSection = std::array<QByteArray, 3>;

TEST_F(DiagramEditorTest, StartsFromTheFourthCornerExample) {
  ASSERT_EQ(Diagram.EndAngle, 64);
  ASSERT_EQ(Diagram.Rows[0], 20);
  ASSERT_EQ(Diagram.Rows[2], 22);
}

TEST_F(DiagramEditorTest, DropOnTheTrackMovesTheHorse) {
  EXPECT_TRUE(Editor.AcceptsDrop(300, 300));
  Editor.MoveMarker(3, 300, 300);
  EXPECT_EQ(Diagram.Rows[2], 19);
  EXPECT_EQ(Diagram.Lanes[2], 7);
  EXPECT_TRUE(Editor.EndDrag(3));
  EXPECT_EQ(Diagram.Markers[2].TopLeft, (TDiagramPoint{295, 295}));
  EXPECT_EQ(Section2(), (TSection{"0201", "0202", "0108"}));
  EXPECT_EQ(Refills, 1);
}

TEST_F(DiagramEditorTest, RefusedDropsChangeNothing) {
  const QByteArray before = Line;
  struct TCase {
    const char* Name;
    int Horse;
    int X;
    int Y;
    TMoveRefusal Refusal;
  };
  // (237, 217) is row 20, lane 0: horse 1's spot.
  const TCase cases[] = {{"over the infield", 3, 200, 200, TMoveRefusal::Infield},
                         {"onto horse 1", 2, 237, 217, TMoveRefusal::Taken},
                         {"no such horse", 4, 300, 300, TMoveRefusal::NoHorse}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto rows = Diagram.Rows;
    const auto lanes = Diagram.Lanes;
    EXPECT_EQ(Editor.MoveMarker(c.Horse, c.X, c.Y), c.Refusal);
    EXPECT_FALSE(Editor.EndDrag(c.Horse));
    EXPECT_EQ(Diagram.Rows, rows);
    EXPECT_EQ(Diagram.Lanes, lanes);
  }
  EXPECT_FALSE(Editor.AcceptsDrop(200, 200));
  EXPECT_TRUE(Editor.AcceptsDrop(300, 300));
  EXPECT_EQ(Line, before);
  EXPECT_EQ(Refills, 0);
}

TEST_F(DiagramEditorTest, DragBeginsOnlyFromALeftPressOnAShownMarker) {
  EXPECT_TRUE(Editor.MarkerPressed(1, true));
  EXPECT_FALSE(Editor.MarkerPressed(1, false));
  EXPECT_FALSE(Editor.MarkerPressed(4, true));  // hidden: the race has three horses
  struct TCase {
    TDiagramPoint Now;
    bool Starts;
  };
  const TCase moves[] = {{{104, 100}, false}, {{104, 104}, false}, {{105, 100}, true},
                         {{100, 95}, true},   {{96, 100}, false},  {{95, 103}, true}};
  for (const TCase& m : moves)
    EXPECT_EQ(TDiagramEditor::DragStarts({100, 100}, m.Now), m.Starts) << m.Now.X << "," << m.Now.Y;
}

TEST_F(DiagramEditorTest, DoubleClickMovesOneLaneOutWhenFree) {
  EXPECT_TRUE(Editor.MoveOut(3));
  EXPECT_EQ(Diagram.Lanes[2], 1);
  EXPECT_EQ(Section2()[2], "0302");
  EXPECT_EQ(Refills, 1);

  // Horse 2 holds (20, 1).
  EXPECT_FALSE(Editor.MoveOut(1));
  EXPECT_EQ(Diagram.Lanes[0], 0);
  EXPECT_EQ(Refills, 1);
}

TEST_F(DiagramEditorTest, RailClickSetsTheMargin) {
  EXPECT_TRUE(Editor.PressImage(true, 230, 201, true, Answer(5)));
  EXPECT_EQ(Shown, std::vector<int>{2});
  EXPECT_EQ(Diagram.Rows[0], 19);
  EXPECT_EQ(Diagram.Rows[1], 19);
  EXPECT_EQ(Diagram.Rows[2], 24);
  EXPECT_EQ(Diagram.EndAngle - Diagram.Rows[0], 45);
  EXPECT_EQ(Diagram.EndAngle - Diagram.Rows[2], 40);
  EXPECT_EQ(Section2(), (TSection{"0101", "0102", "0601"}));
  EXPECT_EQ(Refills, 1);
}

TEST_F(DiagramEditorTest, MarginGapLookup) {
  EXPECT_EQ(Editor.FindMarginGap(230, 201, true), (TMarginGap{20, 22, 2}));
  EXPECT_EQ(Editor.FindMarginGap(230, 201, false), std::nullopt);
  // On the angle of row 18 (in front of the field) and of row 24 (behind it).
  EXPECT_EQ(Editor.FindMarginGap(-350 + 800, -350 + 288, true), std::nullopt);
  EXPECT_EQ(Editor.FindMarginGap(-350 + 700, -350 + 413, true), std::nullopt);

  // A click exactly on row r looks at r and r + 1.
  Diagram.EndAngle = 20;
  Diagram.Rows = {};
  Diagram.Rows.fill(-1);
  Diagram.Rows[0] = 19;
  Diagram.Rows[1] = 20;
  Diagram.Rows[2] = 21;
  EXPECT_EQ(Editor.FindMarginGap(100, -350, true), (TMarginGap{20, 21, 1}));
}

TEST_F(DiagramEditorTest, CancelledOrMissedClicksChangeNothing) {
  const auto rows = Diagram.Rows;
  const QByteArray before = Line;
  EXPECT_FALSE(Editor.PressImage(true, 230, 201, true, Answer(std::nullopt)));
  EXPECT_EQ(Shown, std::vector<int>{2});
  EXPECT_FALSE(Editor.PressImage(true, 230, 201, false, Answer(9)));
  EXPECT_EQ(Shown.size(), 1u);
  EXPECT_EQ(Diagram.Rows, rows);
  EXPECT_EQ(Line, before);
  EXPECT_EQ(Refills, 0);
}

TEST_F(DiagramEditorTest, OnlyTheLeftButtonWritesBack) {
  // Rows changed behind the editor's back are written by the next left click anywhere.
  Diagram.Rows[2] += 1;
  EXPECT_FALSE(Editor.PressImage(false, 230, 201, true, Answer(5)));
  EXPECT_TRUE(Shown.empty());
  EXPECT_EQ(Section2()[2], "0301");
  EXPECT_TRUE(Editor.PressImage(true, 10, 10, false, Answer(5)));
  EXPECT_EQ(Section2()[2], "0401");
  EXPECT_EQ(Refills, 1);
}

TEST_F(DiagramEditorTest, WideGapShowsAsThirtyAndClosesToIt) {
  Diagram.Rows[2] = 20 + 35;
  const std::optional<TMarginGap> gap = Editor.FindMarginGap(230, 201, true);
  ASSERT_TRUE(gap);
  EXPECT_EQ(gap->Gap, 35);
  Editor.PressImage(true, 230, 201, true, [](int shown) { return std::optional<int>(shown); });
  EXPECT_EQ(Section2()[2], "3101");
}

TEST_F(DiagramEditorTest, PointerOverTheImage) {
  struct TCase {
    int X;
    int Y;
    bool White;
    TDiagramPointer Pointer;
  };
  const TCase cases[] = {
      {300, 300, false, TDiagramPointer::Arrow},  // on the track
      {200, 200, true, TDiagramPointer::Arrow},   // on the rail
      {200, 200, false, TDiagramPointer::NotAllowed},
      {-350 + 800, -350, false, TDiagramPointer::NotAllowed},  // on the circle itself
      {-350 + 801, -350, false, TDiagramPointer::Arrow},
  };
  for (const TCase& c : cases) EXPECT_EQ(Editor.PointerAt(c.X, c.Y, c.White), c.Pointer) << c.X << "," << c.Y;
}

TEST_F(DiagramEditorTest, LanesStopAtTwoDigits) {
  Diagram.Lanes[2] = TTrackDiagram::MaxIndex - 1;
  EXPECT_TRUE(Editor.MoveOut(3));
  EXPECT_EQ(Section2()[2], "0399");
  EXPECT_EQ(Editor.CheckMove(3, Diagram.Rows[2], TTrackDiagram::MaxIndex + 1), TMoveRefusal::PastTheLanes);
  EXPECT_FALSE(Editor.MoveOut(3));
  EXPECT_EQ(Diagram.Lanes[2], TTrackDiagram::MaxIndex);
  EXPECT_EQ(Section2()[2], "0399");
}

TEST_F(DiagramEditorTest, MarginsStopAtTwoDigits) {
  // Horse 2 two lengths behind the front, horse 3 ninety: widening the first
  // gap to 30 would take horse 3 to row 119, so the gap only grows to 10.
  Diagram.Rows[1] = 22;
  Diagram.Lanes[1] = 0;
  Diagram.Rows[2] = 20 + 90;
  EXPECT_TRUE(Editor.PressImage(true, 230, 201, true, Answer(30)));
  EXPECT_EQ(Shown, std::vector<int>{2});
  EXPECT_EQ(Section2(), (TSection{"0101", "1101", "9901"}));
  EXPECT_FALSE(Editor.PressImage(true, 230, 201, true, Answer(30)));
  EXPECT_EQ(Section2(), (TSection{"0101", "1101", "9901"}));
}

TEST_F(DiagramEditorTest, DropsThatWouldSpreadTheFieldTooFarAreRefused) {
  Diagram.Rows[1] = 20 + 95;  // horse 2 far behind
  Diagram.Lanes[1] = 5;
  // Horse 1 dropped at row 14 would put horse 2 101 rows behind it.
  EXPECT_EQ(Editor.MoveMarker(1, 229, 339), TMoveRefusal::FieldTooLong);
  EXPECT_EQ(Diagram.Rows[0], 20);
  // Horse 3 dropped to row 19 keeps the spread at 96.
  Editor.MoveMarker(3, 300, 300);
  EXPECT_EQ(Diagram.Rows[2], 19);
}

TEST(MarginModelTest, ValueStaysWithinOneToThirty) {
  struct TCase {
    const char* Name;
    int Start;
    int Delta;  // wheel delta; 0 for no turn
    bool Arrow;
    bool Up;
    int Expected;
  };
  const TCase cases[] = {
      {"wheel away", 2, 120, false, false, 3},     {"wheel towards", 2, -120, false, false, 1},
      {"wheel at top", 30, 120, false, false, 30}, {"wheel at bottom", 1, -120, false, false, 1},
      {"right arrow", 29, 0, true, true, 30},      {"right arrow at top", 30, 0, true, true, 30},
      {"left arrow", 2, 0, true, false, 1},        {"left arrow at bottom", 1, 0, true, false, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMarginModel model;
    model.SetValue(c.Start);
    if (c.Arrow)
      model.Step(c.Up);
    else
      model.Wheel(c.Delta);
    EXPECT_EQ(model.Value(), c.Expected);
  }
  TMarginModel model;
  model.SetValue(31);
  EXPECT_EQ(model.Value(), 30);
  model.SetValue(0);
  EXPECT_EQ(model.Value(), 1);
  model.SetValue(2);
  EXPECT_EQ(model.PanelText(), QStringLiteral("2馬身差 "));
}

}  // namespace
