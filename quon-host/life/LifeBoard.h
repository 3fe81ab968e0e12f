// Boards for `quon-host life`: rows of cells, 0 dead and 1 alive, made from a named pattern or
// at random (board files are read by BoardFile.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/Value.h"

namespace quon_host {

using LifeBoard = std::vector<std::vector<std::int64_t>>;

constexpr int kMaxBoardSide = 1000;  // rows and columns of any board the tool makes or reads

// The library's rule in neighbour terms. It sums a cell's 3x3 block, the cell itself included: a
// dead cell with a sum of 3 is born (3 neighbours), a live one with 2 or 3 stays (1 or 2).
constexpr const char* kLibraryRule = "B3/S12";

// The named patterns, found for the library's rule (a cell's block counts the cell itself) by
// tools/life-search.cpp: oscillators of periods 2, 3, 4 and 14, a band that moves (2 columns and 1
// row every 4 steps), and the classic glider, which settles under this rule.
std::vector<std::string> PatternNames();
// The pattern in the middle of an empty width x height board; "wave" is its tile repeated across
// the whole width, which must then be a multiple of 4. Throws std::runtime_error when the board
// is too small for it.
LifeBoard PatternBoard(const std::string& name, int width, int height);
// Each cell alive with probability `density`, drawn from a generator seeded with `seed`.
LifeBoard SoupBoard(int width, int height, std::uint64_t seed, double density);

// The board as the library takes it: Array[Array[Int]].
Value BoardValue(const LifeBoard& board);

}  // namespace quon_host
