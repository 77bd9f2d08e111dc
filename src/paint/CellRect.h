#pragma once

// A rectangle of a grid's pixels, for the race sheet and the results list
// alike. Left and Top are inside it, Right and Bottom are not: a cell covers
// Left <= x < Right and Top <= y < Bottom, so its width is Right - Left.
// Every rectangle the core hands a window follows this.
struct TCellRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return Left <= x && x < Right && Top <= y && y < Bottom; }
  TCellRect Shrunk(int by) const { return {Left + by, Top + by, Right - by, Bottom - by}; }
  bool operator==(const TCellRect&) const = default;
};
