#include "race/TrackDiagram.h"

#include "race/diagram/DiagramFixtures.h"
#include "records/RaceRecord.h"
#include "support/RecordLines.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct TPlacementCase {
  const char* Venue;
  int Section;
  TDiagramPoint Centre;
  int Direction;
  int EndAngle;
  int Shift;
  std::array<int, 3> Angles;
  TDiagramPoint Corners[3];
};

class PlacementTest : public testing::TestWithParam<TPlacementCase> {};

TEST_P(PlacementTest, PlacesTheThreeHorses) {
  const TPlacementCase& c = GetParam();
  const QByteArray line = ThreeHorseLine(c.Venue, c.Section);
  const TTrackDiagram diagram = ShownDiagram(line, c.Section);

  EXPECT_EQ(diagram.ArcCentre, c.Centre);
  EXPECT_EQ(diagram.Direction, c.Direction);
  EXPECT_EQ(diagram.EndAngle, c.EndAngle);
  const std::array<int, 3> loaded{0, 0, 2};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(diagram.Rows[i], loaded[i] + c.Shift);
    EXPECT_EQ(diagram.EndAngle - diagram.Direction * diagram.Rows[i], c.Angles[i]);
    EXPECT_EQ(diagram.Markers[i].TopLeft, c.Corners[i]);
    EXPECT_TRUE(diagram.Markers[i].Visible);
  }
  EXPECT_EQ(diagram.Lanes[0], 0);
  EXPECT_EQ(diagram.Lanes[1], 1);
  EXPECT_EQ(diagram.Lanes[2], 0);
  for (int i = 3; i < TTrackDiagram::MaxHorses; ++i) EXPECT_FALSE(diagram.Markers[i].Visible) << i + 1;
}

// Venue, section, arc centre, direction, end angle, row shift, angles, marker corners.
const TPlacementCase PlacementCases[] = {
    {RightHanded, 2, {-350, -350}, 1, 64, 20, {44, 44, 42}, {{231, 211}, {242, 221}, {250, 190}}},
    {LeftHanded, 2, {913, -350}, -1, 116, 20, {136, 136, 138}, {{320, 211}, {309, 221}, {301, 190}}},
    {RightHanded, 3, {-350, 826}, 1, -26, 16, {-42, -42, -44}, {{250, 274}, {262, 264}, {231, 253}}},
    {RightHanded, 6, {913, -350}, 1, 154, 16, {138, 138, 136}, {{301, 190}, {289, 200}, {320, 211}}},
};

INSTANTIATE_TEST_SUITE_P(Corners, PlacementTest, testing::ValuesIn(PlacementCases),
                         [](const testing::TestParamInfo<TPlacementCase>& info) {
                           const bool right = std::string(info.param.Venue) == RightHanded;
                           return (right ? "RightSection" : "LeftSection") +
                                  std::to_string(info.param.Section);
                         });

TEST(TrackDiagramTest, ArcCentresOfEveryCornerSection) {
  const TTrackDiagram diagram(ImageWidth, ImageHeight);
  struct TCase {
    int Section;
    TDiagramPoint Right;
    TDiagramPoint Left;
  };
  const TCase cases[] = {
      {2, {-350, -350}, {913, -350}}, {8, {-350, -350}, {913, -350}},  {3, {-350, 826}, {913, 826}},
      {9, {-350, 826}, {913, 826}},   {5, {913, 826}, {-350, 826}},    {11, {913, 826}, {-350, 826}},
      {6, {913, -350}, {-350, -350}}, {12, {913, -350}, {-350, -350}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Section);
    TDiagramPoint centre;
    ASSERT_TRUE(diagram.SectionCentre(c.Section, true, centre));
    EXPECT_EQ(centre, c.Right);
    ASSERT_TRUE(diagram.SectionCentre(c.Section, false, centre));
    EXPECT_EQ(centre, c.Left);
  }
  for (int straight : {1, 4, 7, 10, 13}) {
    TDiagramPoint centre;
    EXPECT_FALSE(diagram.SectionCentre(straight, true, centre)) << straight;
  }
}

TEST(TrackDiagramTest, BackgroundByTrackCodeAndDirectionByVenue) {
  struct TCase {
    const char* Track;
    TRgb Colour;
  };
  const TCase colours[] = {{"17", TTrackDiagram::TurfColour}, {"22", TTrackDiagram::TurfColour},
                           {"23", TTrackDiagram::DirtColour}, {"24", TTrackDiagram::DirtColour},
                           {"49", TTrackDiagram::DirtColour}, {"50", TTrackDiagram::TurfColour},
                           {"52", TTrackDiagram::TurfColour}};
  for (const TCase& c : colours) {
    const QByteArray line = DiagramLine(RightHanded, 1600, c.Track, 1, {{1, 3, "0101"}});
    EXPECT_EQ(ShownDiagram(line, 3).Background, c.Colour) << c.Track;
  }
  EXPECT_EQ(TTrackDiagram::DirtColour, (TRgb{205, 187, 144}));
  EXPECT_EQ(TTrackDiagram::TurfColour, (TRgb{118, 178, 118}));

  struct TVenue {
    const char* Code;
    bool Right;
  };
  const TVenue venues[] = {{"01", true}, {"03", true},  {"04", false}, {"05", false},
                           {"06", true}, {"07", false}, {"08", true},  {"10", true}};
  for (const TVenue& v : venues) {
    const QByteArray line = DiagramLine(v.Code, 1600, "11", 1, {{1, 3, "0101"}});
    EXPECT_EQ(TTrackDiagram::IsRightHanded(line), v.Right) << v.Code;
    EXPECT_EQ(ShownDiagram(line, 3).Direction, v.Right ? 1 : -1) << v.Code;
  }
}

TEST(TrackDiagramTest, ChoosesTheSectionWithRows) {
  struct TCase {
    const char* Name;
    std::initializer_list<TEntry> Entries;
    int Asked;
    int Chosen;
  };
  const TCase cases[] = {
      {"own rows", {{1, 3, "0101"}, {1, 2, "0101"}}, 3, 3},
      {"falls back on the 4th corner", {{1, 2, "0201"}}, 3, 2},
      {"prefers the section before", {{1, 4, "0101"}, {1, 2, "0101"}}, 3, 4},
      {"lanes alone are no rows", {{1, 3, "0003"}, {2, 2, "0101"}}, 3, 2},
      {"goal is the last resort", {{1, 1, "0101"}}, 3, 1},
      {"nothing from the goal up", {{1, 5, "0101"}}, 3, 0},
      {"no rows at all", {}, 3, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QByteArray line = DiagramLine(RightHanded, 1600, "11", 2, c.Entries);
    TTrackDiagram diagram(ImageWidth, ImageHeight);
    diagram.CreateMarkers(line);
    EXPECT_EQ(diagram.ChooseSection(line, c.Asked), c.Chosen);
  }
}

TEST(TrackDiagramTest, FallbackRowsAreDrawnAroundTheAskedCorner) {
  const QByteArray line =
      DiagramLine(RightHanded, 1600, "11", 3, {{1, 2, "0101"}, {2, 2, "0102"}, {3, 2, "0301"}});
  const TTrackDiagram diagram = ShownDiagram(line, 3);
  EXPECT_EQ(diagram.LoadedSection, 2);
  EXPECT_EQ(diagram.ArcCentre, (TDiagramPoint{-350, 826}));
  // The rows of the 4th corner, placed as the 3rd corner example places them.
  EXPECT_EQ(diagram.Markers[0].TopLeft, (TDiagramPoint{250, 274}));
  EXPECT_EQ(diagram.Markers[2].TopLeft, (TDiagramPoint{231, 253}));
}

TEST(TrackDiagramTest, EmptyRaceShowsAnEmptyInfieldAndWritesNothing) {
  QByteArray line = DiagramLine(RightHanded, 1600, "11", 3, {{1, 5, "0101"}, {2, 3, "0002"}});
  const QByteArray before = line;
  const TTrackDiagram diagram = ShownDiagram(line, 3);
  EXPECT_TRUE(diagram.HasInfield);
  EXPECT_EQ(diagram.LoadedSection, 0);
  for (const TDiagramMarker& marker : diagram.Markers) EXPECT_FALSE(marker.Visible);
  EXPECT_FALSE(diagram.SyncSection(line));
  EXPECT_EQ(line, before);
}

TEST(TrackDiagramTest, MarkersOfHorsesWithoutAPlaceAreHidden) {
  // Horse 2 has no entry, horse 3 a row without a lane, horse 4 a lane without a row.
  const QByteArray line = DiagramLine(RightHanded, 1600, "11", 10,
                                      {{1, 3, "0201"},
                                       {3, 3, "0200"},
                                       {4, 3, "0003"},
                                       {5, 3, "0402"},
                                       {6, 3, "0101"},
                                       {7, 3, "0101"},
                                       {8, 3, "0101"},
                                       {9, 3, "0101"},
                                       {10, 3, "0101"}});
  const TTrackDiagram diagram = ShownDiagram(line, 3);
  const bool shown[] = {true, false, false, false, true, true, true, true, true, true};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(diagram.Markers[i].Visible, shown[i]) << i + 1;
  for (int i = 10; i < 18; ++i) EXPECT_FALSE(diagram.Markers[i].Visible) << i + 1;
  EXPECT_EQ(diagram.Rows[1], -1);
  EXPECT_EQ(diagram.Lanes[1], -1);
  EXPECT_EQ(diagram.Rows[3], -1);
  EXPECT_EQ(diagram.Lanes[3], 2);
}

TEST(TrackDiagramTest, MarkerCaptionsAndFrameColours) {
  EXPECT_EQ(TTrackDiagram::MarkerCaption(1), QChar(u'①'));
  EXPECT_EQ(TTrackDiagram::MarkerCaption(10), QChar(u'⑩'));
  EXPECT_EQ(TTrackDiagram::MarkerCaption(18), QChar(u'⑱'));
  EXPECT_TRUE(TTrackDiagram::MarkerCaption(19).isNull());
  EXPECT_EQ(TTrackDiagram::HighlightCode(5), "05");
  EXPECT_EQ(TTrackDiagram::HighlightCode(18), "18");
  EXPECT_EQ(TTrackDiagram::HighlightCode(0), "00");
  const QByteArray line = DiagramLine(RightHanded, 1200, "11", 5, {});
  TTrackDiagram diagram(ImageWidth, ImageHeight);
  diagram.CreateMarkers(line);
  EXPECT_EQ(diagram.N, 5);
  EXPECT_EQ(diagram.Markers[0].Colour, (TRgb{255, 255, 255}));
  EXPECT_EQ(diagram.Markers[2].Colour, (TRgb{198, 0, 0}));
  EXPECT_EQ(diagram.Markers[5].Colour, (TRgb{0, 255, 255}));  // no such horse
}

TEST(TrackDiagramTest, SectionBeyondTheRaceDrawsNothing) {
  const QByteArray line = DiagramLine(RightHanded, 1200, "11", 3, {{1, 3, "0101"}});
  TTrackDiagram diagram(ImageWidth, ImageHeight);
  diagram.CreateMarkers(line);
  diagram.DrawSection(line, 5);
  EXPECT_FALSE(diagram.Drawn);
  EXPECT_EQ(diagram.Rows[0], -1);
  diagram.DrawSection(line, 3);
  EXPECT_TRUE(diagram.Drawn);
  EXPECT_TRUE(diagram.Markers[0].Visible);
}

struct TSyncCase {
  const char* Name;
  std::array<const char*, 3> Loaded;
  std::array<const char*, 3> Written;
  bool Changed;
};

class SyncSectionTest : public testing::TestWithParam<TSyncCase> {};

TEST_P(SyncSectionTest, WritesRowsFromTheFront) {
  const TSyncCase& c = GetParam();
  QByteArray line =
      DiagramLine(RightHanded, 1600, "11", 3,
                  {{1, 2, c.Loaded[0]}, {2, 2, c.Loaded[1]}, {3, 2, c.Loaded[2]}, {1, 3, "0505"}});
  const TTrackDiagram diagram = ShownDiagram(line, 2);
  const QByteArray before = line;
  EXPECT_EQ(diagram.SyncSection(line), c.Changed);
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(EntryOf(line, n, 2), QByteArray(c.Written[n - 1])) << n;
  // Nothing but the shown section's entries moves.
  QByteArray others = line;
  for (int n = 1; n <= 3; ++n) others.replace(26 + (n - 1) * 30 + 4 * 5, 4, EntryOf(before, n, 2));
  EXPECT_EQ(others, before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SyncSectionTest,
    testing::Values(TSyncCase{"FrontRowOne", {{"0101", "0102", "0301"}}, {{"0101", "0102", "0301"}}, false},
                    TSyncCase{"Renumbered", {{"0201", "0202", "0401"}}, {{"0101", "0102", "0301"}}, true},
                    TSyncCase{"NoPositionKept", {{"0201", "0000", "0401"}}, {{"0101", "0000", "0301"}}, true},
                    TSyncCase{
                        "LaneWithoutRowKept", {{"0301", "0002", "0301"}}, {{"0101", "0002", "0101"}}, true},
                    TSyncCase{"WideField", {{"0112", "0912", "9901"}}, {{"0112", "0912", "9901"}}, false}),
    [](const testing::TestParamInfo<TSyncCase>& info) { return std::string(info.param.Name); });

TEST(TrackDiagramTest, ValuesBeyondTwoDigitsAreWrittenWhole) {
  QByteArray line = ThreeHorseLine(RightHanded, 2);
  TTrackDiagram diagram = ShownDiagram(line, 2);
  diagram.Lanes[1] = 150;
  diagram.Rows[2] = diagram.Rows[0] + 120;
  EXPECT_TRUE(diagram.SyncSection(line));
  EXPECT_EQ(EntryOf(line, 2, 2), "0199");
  EXPECT_EQ(EntryOf(line, 3, 2), "9901");
  EXPECT_EQ(line.size(), ThreeHorseLine(RightHanded, 2).size());
}

TEST(TrackDiagramTest, NoSelectedSectionWritesNothing) {
  QByteArray line = DiagramLine(RightHanded, 1600, "11", 2, {{1, 3, "0201"}, {2, 3, "0301"}});
  TTrackDiagram diagram = ShownDiagram(line, 3);
  diagram.SelectedSection = 0;
  const QByteArray before = line;
  EXPECT_FALSE(diagram.SyncSection(line));
  EXPECT_EQ(line, before);
}

TEST(TrackDiagramTest, ShortLineLosesNothing) {
  // The last horse's block is cut off: its entry is neither read nor written.
  QByteArray line = ThreeHorseLine(RightHanded, 2);
  line.chop(10);
  line.replace(26 + 4 * 5, 4, "0201");
  line.replace(26 + 30 + 4 * 5, 4, "0202");
  const QByteArray before = line;
  TTrackDiagram diagram = ShownDiagram(line, 2);
  EXPECT_EQ(diagram.Rows[2], -1);
  EXPECT_TRUE(diagram.SyncSection(line));
  EXPECT_EQ(line.size(), before.size());
  EXPECT_EQ(EntryOf(line, 1, 2), "0101");
  EXPECT_EQ(EntryOf(line, 2, 2), "0102");
  EXPECT_EQ(line.mid(26 + 60), before.mid(26 + 60));
}

TEST(TrackDiagramTest, NonDigitEntriesAreAConversionError) {
  const QByteArray line = DiagramLine(RightHanded, 1600, "11", 2, {{1, 3, "0x01"}});
  TTrackDiagram diagram(ImageWidth, ImageHeight);
  diagram.CreateMarkers(line);
  EXPECT_THROW(diagram.DrawSection(line, 3), TConvertError);
}

TEST(TrackDiagramTest, InitialTabIsTheThirdCornerOrTheSectionDrawn) {
  struct TCase {
    const char* Name;
    std::initializer_list<TEntry> Entries;
    QStringList Tabs;
    int Tab;
    int Section;
  };
  const QString first = QStringLiteral("１コーナー");
  const QString third = QStringLiteral("３コーナー");
  const QString fourth = QStringLiteral("４コーナー");
  const TCase cases[] = {
      {"third corner", {{1, 3, "0101"}, {1, 2, "0101"}}, {third, fourth}, 0, 3},
      {"third corner later in the list", {{1, 6, "0101"}, {1, 3, "0101"}}, {first, third}, 1, 3},
      {"fourth corner only", {{1, 2, "0101"}}, {fourth}, 0, 2},
      {"first corner only", {{1, 6, "0101"}}, {first}, 0, 6},
      {"no tabs", {}, {}, -1, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const QByteArray line = DiagramLine(RightHanded, 1600, "11", 2, c.Entries);
    TTrackDiagram diagram(ImageWidth, ImageHeight);
    diagram.CreateMarkers(line);
    EXPECT_EQ(diagram.SelectInitialTab(line, c.Tabs), c.Tab);
    EXPECT_EQ(diagram.SelectedSection, c.Section);
    if (c.Section > 0) {
      // The picture, the tab and the write-back agree on one section.
      EXPECT_EQ(diagram.LoadedSection, c.Section);
      TDiagramPoint centre;
      diagram.SectionCentre(c.Section, true, centre);
      EXPECT_EQ(diagram.ArcCentre, centre);
      EXPECT_TRUE(diagram.Markers[0].Visible);
    }
  }
}

TEST(TrackDiagramTest, StraightCourseSelectsAndDrawsNothing) {
  const QByteArray line = DiagramLine(RightHanded, 1000, "10", 2, {{1, 3, "0101"}});
  TTrackDiagram diagram(ImageWidth, ImageHeight);
  diagram.CreateMarkers(line);
  EXPECT_EQ(diagram.SelectInitialTab(line, {QStringLiteral("３コーナー")}), -1);
  EXPECT_FALSE(diagram.Drawn);
  EXPECT_EQ(diagram.SelectedSection, 0);
}

TEST(TrackDiagramTest, TabChangeDrawsTheCaptionsCorner) {
  struct TCase {
    const char* Caption;
    TSectionCaption Expected;
    TDiagramPoint Centre;
  };
  const TCase cases[] = {
      {"４コーナー", {2, 4}, {-350, -350}},
      {"３コーナー", {3, 3}, {-350, 826}},
      {"２コーナー", {5, 2}, {913, 826}},
      {"１コーナー", {6, 1}, {913, -350}},
  };
  const QByteArray line = DiagramLine(RightHanded, 1600, "11", 1,
                                      {{1, 6, "0101"}, {1, 5, "0101"}, {1, 3, "0101"}, {1, 2, "0101"}});
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Caption);
    TTrackDiagram diagram = ShownDiagram(line, 3);
    EXPECT_EQ(diagram.ShowCaption(line, QString::fromUtf8(c.Caption)), c.Expected);
    EXPECT_EQ(diagram.SelectedSection, c.Expected.Section);
    EXPECT_EQ(diagram.LoadedSection, c.Expected.Section);
    EXPECT_EQ(diagram.ArcCentre, c.Centre);
  }
  TTrackDiagram diagram = ShownDiagram(line, 2);
  EXPECT_EQ(diagram.ShowCaption(line, QStringLiteral("Ｇ前")), TSectionCaption{});
  EXPECT_EQ(diagram.SelectedSection, 2);
  EXPECT_EQ(diagram.ArcCentre, (TDiagramPoint{-350, -350}));
}

TEST(TrackDiagramTest, InfoPanelShowsTheTabsCorner) {
  const QByteArray raceLine = RaceBuilder()
                                  .SetCorner(0, 1, "1,2,3")
                                  .SetCorner(1, 3, "(*1,3)-2   =5,4")
                                  .SetCorner(2, 4, "1-2-3")
                                  .Line();
  const QByteArray line = DiagramLine(RightHanded, 1600, "11", 1, {{1, 2, "0101"}, {1, 3, "0101"}});
  TTrackDiagram diagram = ShownDiagram(line, 3);
  TRaceRecord race;
  const TSectionCaption shown = diagram.ShowCaption(line, QStringLiteral("４コーナー"));
  EXPECT_EQ(TTrackDiagram::InfoPanelText(race, raceLine, shown.Corner), QStringLiteral("   1-2-3"));
  EXPECT_EQ(TTrackDiagram::InfoPanelText(race, raceLine, 3), QStringLiteral("   (*1,3)-2"));
}

TEST(TrackDiagramTest, CaptionTableKnowsEveryLabel) {
  const char* labels[] = {"Ｇ前",          "４コーナー",    "３コーナー",    "向正面",        "２コーナー",
                          "１コーナー",    "Ｓ前",          "４コーナー(1)", "３コーナー(1)", "向正面(1)",
                          "２コーナー(1)", "１コーナー(1)", "Ｓ前(1)"};
  for (int g = 1; g <= 13; ++g)
    EXPECT_EQ(TTrackDiagram::CaptionSection(QString::fromUtf8(labels[g - 1])).Section, g);
  EXPECT_EQ(TTrackDiagram::CaptionSection(QStringLiteral("３コーナ")).Section, 0);
}

}  // namespace
