#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rules/color.h"

TEST(Color, NamesAreCodePage932) {
  EXPECT_EQ(std::string(ColorName(Black())), "\x8D\x95");
  EXPECT_EQ(std::string(ColorName(White())), "\x94\x92");
  EXPECT_EQ(std::string(ColorName(nullptr)), "\x81\x51");  // full-width low line
}

TEST(Color, IdentityOppositeAndTurn) {
  EXPECT_NE(Black(), White());
  EXPECT_EQ(Black(), Black());
  EXPECT_EQ(Opposite(Black()), White());
  EXPECT_EQ(Opposite(White()), Black());
  EXPECT_EQ(Opposite(nullptr), nullptr);
  EXPECT_EQ(ColorForCount(0), Black());
  EXPECT_EQ(ColorForCount(1), White());
  EXPECT_EQ(ColorForCount(60), Black());
  EXPECT_EQ(ColorForCount(61), White());
}

TEST(HexGrid, InBoardEdges) {
  EXPECT_TRUE(InBoard(0, 0));
  EXPECT_TRUE(InBoard(7, 7));
  EXPECT_FALSE(InBoard(-1, 0));
  EXPECT_FALSE(InBoard(0, -1));
  EXPECT_FALSE(InBoard(8, 3));
  EXPECT_FALSE(InBoard(3, 8));
}

namespace {
std::vector<CellPos> Neighbours(int x, int y) {
  std::vector<CellPos> result;
  for (int d = 0; d < kDirectionCount; ++d) {
    int nx = x, ny = y;
    StepForward(nx, ny, d);
    result.push_back({nx, ny});
  }
  return result;
}
}  // namespace

TEST(HexGrid, NeighboursDependOnRowParity) {
  EXPECT_EQ(Neighbours(3, 3), (std::vector<CellPos>{{2, 3}, {4, 3}, {3, 2}, {3, 4}, {4, 2}, {4, 4}}));
  EXPECT_EQ(Neighbours(3, 4), (std::vector<CellPos>{{2, 4}, {4, 4}, {2, 3}, {2, 5}, {3, 3}, {3, 5}}));
  EXPECT_EQ(Neighbours(0, 0)[kUpLeft], (CellPos{-1, -1}));
  EXPECT_EQ(Neighbours(0, 0)[kUpRight], (CellPos{0, -1}));
  EXPECT_EQ(Neighbours(7, 1)[kUpRight], (CellPos{8, 0}));
  EXPECT_EQ(Neighbours(7, 1)[kUpLeft], (CellPos{7, 0}));
}

TEST(HexGrid, StepBackUndoesStepForward) {
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      for (int d = 0; d < kDirectionCount; ++d) {
        int cx = x, cy = y;
        StepForward(cx, cy, d);
        StepBack(cx, cy, d);
        EXPECT_EQ((CellPos{cx, cy}), (CellPos{x, y})) << "direction " << d;
      }
}

TEST(HexGrid, NeighbourRelationIsSymmetric) {
  // Each direction has an opposite on the hex grid.
  const Direction opposite[kDirectionCount] = {kRight, kLeft, kDownRight, kUpRight, kDownLeft, kUpLeft};
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      for (int d = 0; d < kDirectionCount; ++d) {
        int cx = x, cy = y;
        StepForward(cx, cy, d);
        StepForward(cx, cy, opposite[d]);
        EXPECT_EQ((CellPos{cx, cy}), (CellPos{x, y})) << "direction " << d;
      }
}
