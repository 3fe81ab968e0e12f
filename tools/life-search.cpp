// quon_life_search: looks for oscillators and moving patterns under the library's Life rule, in
// which a cell's 3x3 block counts the cell itself (testlib/LifeRule.h; B3/S12 in neighbour terms),
// and prints them as board files for `quon-host life --board`: lines of '.' (dead) and 'X' (alive).
//
// In order, with progress on standard error and the report on standard output:
//   1. Every start pattern that fits in an N x N box (one per rotation and reflection), then random
//      soups, each run until it repeats; oscillators and whatever moves are kept. A start that does
//      not settle is split into its objects, each run on its own, to catch movers leaving debris.
//   2. Direct searches for spaceships, one row at a time, for the common speeds, each widened until
//      a work limit; the report says how wide each got, so "none" means "none up to that width".
//   3. The same searches for waves: bands that repeat every few columns across the board and move,
//      for ever on a torus whose width is a multiple of the repeat.
// With the defaults (every 5x5 start, 200,000 soups) it takes one to two minutes on one core.
//
// Every board here is a torus of 64 x 64 cells, one 64-bit word per row, bit x holding column x.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "testlib/LifeRule.h"

namespace {

using Word = std::uint64_t;
constexpr int kSize = 64;  // the board's rows and columns

// ---- Stepping: the library's rule on every column of a row at once

// Which block sums (0 to 9) the rule makes alive, for a dead cell and for a live one.
constexpr std::array<bool, 10> LiveAfter(bool alive) {
    std::array<bool, 10> live{};
    for (int sum = 0; sum < 10; ++sum) live[sum] = QUON_TestLib::LifeRule(alive, sum) != 0;
    return live;
}
constexpr std::array<bool, 10> kBorn = LiveAfter(false);
constexpr std::array<bool, 10> kStays = LiveAfter(true);

// Each column's block sum as four bit planes: sum = plane 0 + 2 plane 1 + 4 plane 2 + 8 plane 3.
using SumPlanes = std::array<Word, 4>;

// The columns whose block sum is Sum and which the rule makes alive; `alive` holds the cells now.
template <int Sum>
Word LiveWithSum(const SumPlanes& s, Word alive) {
    if constexpr (!kBorn[Sum] && !kStays[Sum]) {
        return 0;
    } else {
        const Word hasSum = (Sum & 1 ? s[0] : ~s[0]) & (Sum & 2 ? s[1] : ~s[1]) & (Sum & 4 ? s[2] : ~s[2]) &
                            (Sum & 8 ? s[3] : ~s[3]);
        return hasSum & ((kBorn[Sum] ? ~alive : 0) | (kStays[Sum] ? alive : 0));
    }
}

template <int... Sums>
Word ApplyRule(std::integer_sequence<int, Sums...>, const SumPlanes& sums, Word alive) {
    return (LiveWithSum<Sums>(sums, alive) | ...);
}

Word Majority(Word a, Word b, Word c) {
    return (a & b) | (c & (a ^ b));
}

// The next state of a row from the row above it, itself and the row below.
Word StepRow(Word above, Word row, Word below) {
    // Each row's live cells among a column and its two neighbours, as a two-bit count.
    const Word rows[3] = {above, row, below};
    Word ones[3], twos[3];
    for (int i = 0; i < 3; ++i) {
        const Word left = std::rotl(rows[i], 1), right = std::rotr(rows[i], 1);
        ones[i] = left ^ rows[i] ^ right;
        twos[i] = Majority(left, rows[i], right);
    }
    // The three counts added: the ones give plane 0 and a carry of weight 2, which joins the twos.
    const Word carry = Majority(ones[0], ones[1], ones[2]);
    const Word oddTwos = twos[0] ^ twos[1] ^ twos[2], fours = Majority(twos[0], twos[1], twos[2]);
    const Word moreFours = oddTwos & carry;
    const SumPlanes sums = {ones[0] ^ ones[1] ^ ones[2], oddTwos ^ carry, fours ^ moreFours,
                            fours & moreFours};
    return ApplyRule(std::make_integer_sequence<int, 10>(), sums, row);
}

// ---- Patterns as lists of cells, for shapes, symmetry and the report

struct Cell {
    int x, y;
    auto operator<=>(const Cell&) const = default;
};
using Cells = std::vector<Cell>;

// The cells moved so that their bounding box starts at (0, 0), sorted.
Cells Normalized(Cells cells) {
    if (cells.empty()) return cells;
    int minX = cells[0].x, minY = cells[0].y;
    for (Cell c : cells) minX = std::min(minX, c.x), minY = std::min(minY, c.y);
    for (Cell& c : cells) c = {c.x - minX, c.y - minY};
    std::sort(cells.begin(), cells.end());
    return cells;
}

// One of the eight rotations and reflections (0 leaves the cells as they are), normalized.
Cells Oriented(Cells cells, int symmetry) {
    for (Cell& c : cells) {
        if (symmetry & 1) c.x = -c.x;
        if (symmetry & 2) c.y = -c.y;
        if (symmetry & 4) std::swap(c.x, c.y);
    }
    return Normalized(std::move(cells));
}

// The smallest of the eight, so that equal shapes compare equal.
Cells SymmetryCanonical(const Cells& cells) {
    Cells best = Oriented(cells, 0);
    for (int symmetry = 1; symmetry < 8; ++symmetry) best = std::min(best, Oriented(cells, symmetry));
    return best;
}

std::pair<int, int> BoxSize(const Cells& normalized) {  // width, height
    int width = 0, height = 0;
    for (Cell c : normalized) width = std::max(width, c.x + 1), height = std::max(height, c.y + 1);
    return {width, height};
}

// ---- The board, and running a pattern until it repeats

constexpr int kMaxExtent = 40;  // a pattern wider or taller than this grows
constexpr int kEdge = 12;       // a pattern nearer than this to an edge is moved back to the middle

// The torus, recentred on its pattern after every step so that the pattern never meets itself
// round the back; shiftX and shiftY keep track of where the pattern really is.
struct Board {
    std::array<Word, kSize> rows{};
    int shiftX = 0, shiftY = 0;                    // board column c is world column c - shiftX
    int minX = 0, maxX = -1, minY = 0, maxY = -1;  // the bounding box, in board coordinates

    bool Empty() const { return maxY < minY; }
    int Width() const { return maxX - minX + 1; }
    int Height() const { return maxY - minY + 1; }
    int WorldX() const { return minX - shiftX; }
    int WorldY() const { return minY - shiftY; }

    // Cells within kMaxExtent x kMaxExtent of (0, 0).
    static Board From(const Cells& cells) {
        Board board;
        for (Cell c : cells) board.rows[c.y + kEdge] |= Word{1} << (c.x + kEdge);
        board.shiftX = board.shiftY = kEdge;
        board.Settle();
        return board;
    }

    // A band across the whole board: cells of the columns 0 to tile - 1, repeated every tile
    // columns (tile divides 64), in rows within kMaxExtent of 0.
    static Board Band(const Cells& cells, int tile) {
        Board board;
        for (Cell c : cells)
            for (int x = c.x; x < kSize; x += tile) board.rows[c.y + kEdge] |= Word{1} << x;
        board.shiftY = kEdge;
        board.Settle();
        return board;
    }

    void Step() {
        std::array<Word, kSize> next{};
        for (int y = std::max(0, minY - 1); y <= std::min(kSize - 1, maxY + 1); ++y)
            next[y] = StepRow(rows[(y + kSize - 1) % kSize], rows[y], rows[(y + 1) % kSize]);
        rows = next;
        Settle();
    }

    // A hash of the shape alone, wherever it is.
    Word ShapeHash() const {
        Word hash = 1469598103934665603ull ^ static_cast<Word>(Height());
        for (int y = minY; y <= maxY; ++y) {
            hash ^= rows[y] >> minX;
            hash *= 1099511628211ull;
            hash ^= hash >> 29;
        }
        return hash;
    }

    Cells LiveCells() const {  // in world coordinates
        Cells cells;
        for (int y = 0; y < kSize; ++y)
            for (Word row = rows[y]; row != 0; row &= row - 1)
                cells.push_back({std::countr_zero(row) - shiftX, y - shiftY});
        return cells;
    }

private:
    // Finds the bounding box and moves the pattern back to the middle when it nears an edge.
    void Settle() {
        minY = kSize, maxY = -1;
        Word any = 0;
        for (int y = 0; y < kSize; ++y)
            if (rows[y] != 0) minY = std::min(minY, y), maxY = y, any |= rows[y];
        if (any == 0) {
            minY = 0, maxY = -1;
            return;
        }
        minX = std::countr_zero(any), maxX = kSize - 1 - std::countl_zero(any);
        if (Width() < kSize && (minX < kEdge || maxX > kSize - kEdge)) {
            const int dx = kSize / 2 - (minX + maxX) / 2;
            for (Word& row : rows) row = std::rotl(row, dx);
            shiftX += dx, minX += dx, maxX += dx;
        }
        if (minY < kEdge || maxY > kSize - kEdge) {
            const int dy = kSize / 2 - (minY + maxY) / 2;
            std::array<Word, kSize> moved{};
            for (int y = 0; y < kSize; ++y) moved[(y + dy + kSize) % kSize] = rows[y];
            rows = moved;
            shiftY += dy, minY += dy, maxY += dy;
        }
    }
};

enum class Fate { Dies, StillLife, Oscillator, Spaceship, Grows, Unsettled };

const char* FateName(Fate fate) {
    constexpr const char* kNames[] = {"dies",      "still life", "oscillator",
                                      "spaceship", "grows",      "unsettled"};
    return kNames[static_cast<int>(fate)];
}

struct Outcome {
    Fate fate = Fate::Unsettled;
    int period = 0, dx = 0, dy = 0;
    Board last;  // a phase of the cycle, or the board when the run gave up
};

Outcome Run(Board board, int maxGenerations) {
    struct Seen {
        int generation, x, y;
    };
    std::unordered_map<Word, Seen> seen;
    Outcome out;
    for (int generation = 0; generation <= maxGenerations; ++generation, board.Step()) {
        out.last = board;
        if (board.Empty() || board.Width() > kMaxExtent || board.Height() > kMaxExtent) {
            out.fate = board.Empty() ? Fate::Dies : Fate::Grows;
            return out;
        }
        const auto [it, isNew] =
            seen.try_emplace(board.ShapeHash(), Seen{generation, board.WorldX(), board.WorldY()});
        if (isNew) continue;
        out.period = generation - it->second.generation;
        out.dx = board.WorldX() - it->second.x;
        out.dy = board.WorldY() - it->second.y;
        out.fate = out.dx != 0 || out.dy != 0 ? Fate::Spaceship
                   : out.period == 1          ? Fate::StillLife
                                              : Fate::Oscillator;
        return out;
    }
    return out;
}

// The phases of a pattern that repeats every `period` steps, from the board's, normalized.
std::vector<Cells> Phases(Board board, int period) {
    std::vector<Cells> phases;
    for (int t = 0; t < period; ++t, board.Step()) phases.push_back(Normalized(board.LiveCells()));
    return phases;
}

// Splits cells into objects: cells at most `gap` apart (in king moves) join.
std::vector<Cells> SplitObjects(const Cells& cells, int gap) {
    std::vector<int> group(cells.size(), -1);
    std::vector<Cells> groups;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (group[i] >= 0) continue;
        group[i] = static_cast<int>(groups.size());
        groups.emplace_back();
        for (std::vector<std::size_t> todo{i}; !todo.empty();) {
            const std::size_t k = todo.back();
            todo.pop_back();
            groups.back().push_back(cells[k]);
            for (std::size_t j = 0; j < cells.size(); ++j)
                if (group[j] < 0 && std::abs(cells[j].x - cells[k].x) <= gap &&
                    std::abs(cells[j].y - cells[k].y) <= gap) {
                    group[j] = group[i];
                    todo.push_back(j);
                }
        }
    }
    return groups;
}

// ---- Collecting the oscillators and spaceships that start patterns end in

struct Found {
    Fate fate;
    int period;
    Cells shape;     // one phase, normalized
    long count = 0;  // how many start patterns ended in it (0: a direct search found it)
};

struct Catalogue {
    std::map<Cells, Found> byShape;  // by the smallest symmetry-canonical phase
    std::map<Fate, long> fates;      // how the start patterns ended

    void Add(const Outcome& outcome) {
        if (outcome.fate != Fate::Oscillator && outcome.fate != Fate::Spaceship) return;
        const std::vector<Cells> phases = Phases(outcome.last, outcome.period);
        Cells key = SymmetryCanonical(phases[0]);
        for (const Cells& phase : phases) key = std::min(key, SymmetryCanonical(phase));
        ++byShape.try_emplace(key, Found{outcome.fate, outcome.period, phases[0]}).first->second.count;
    }

    // Runs a start pattern; when it does not settle, runs each object it left on its own.
    void Explore(const Cells& start, int maxGenerations) {
        const Outcome outcome = Run(Board::From(start), maxGenerations);
        ++fates[outcome.fate];
        if (outcome.fate != Fate::Grows && outcome.fate != Fate::Unsettled) return Add(outcome);
        for (const Cells& object : SplitObjects(outcome.last.LiveCells(), 3)) {
            const Cells cells = Normalized(object);
            if (const auto [w, h] = BoxSize(cells); w <= kMaxExtent && h <= kMaxExtent)
                Add(Run(Board::From(cells), maxGenerations));
        }
    }
};

// The cells of an n x n box from a mask (bit y n + x is cell (x, y)).
Cells CellsFromMask(std::uint32_t mask, int n) {
    Cells cells;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (mask >> (y * n + x) & 1) cells.push_back({x, y});
    return cells;
}

// The mask moved up and left until it touches the top row and the left column.
std::uint32_t MaskToCorner(std::uint32_t mask, int n) {
    std::uint32_t leftColumn = 0;
    for (int y = 0; y < n; ++y) leftColumn |= 1u << (y * n);
    while ((mask & ((1u << n) - 1)) == 0) mask >>= n;
    while ((mask & leftColumn) == 0) mask >>= 1;
    return mask;
}

// True for exactly one mask per shape whose bounding box is at most n x n and n wide or tall: the
// one in the top left corner that is the smallest of its rotations and reflections.
bool IsCanonicalMask(std::uint32_t mask, int n) {
    if (MaskToCorner(mask, n) != mask) return false;
    const Cells cells = CellsFromMask(mask, n);
    const auto [width, height] = BoxSize(cells);
    if (width < n && height < n) return false;  // tried in a smaller box
    for (int symmetry = 1; symmetry < 8; ++symmetry) {
        std::uint32_t moved = 0;
        for (Cell c : cells) {
            int x = symmetry & 1 ? n - 1 - c.x : c.x, y = symmetry & 2 ? n - 1 - c.y : c.y;
            if (symmetry & 4) std::swap(x, y);
            moved |= 1u << (y * n + x);
        }
        if (MaskToCorner(moved, n) < mask) return false;
    }
    return true;
}

// ---- Direct search for spaceships and waves, one row at a time
//
// We look for a pattern that, after `period` steps, is the same pattern moved `up` rows up and
// `right` columns right. Write R(t, r) for row r of generation t, 0 <= t < period; generation
// `period` is generation 0 moved, so every row of every generation is one of these. All these rows
// are put in one sequence, row (t, r) at position
//     e(t, r) = period r + up t + t / (period / g),   g = gcd(period, up),
// which numbers each row exactly once. The rule, R(t+1, r) = step(R(t, r-1), R(t, r), R(t, r+1)),
// then ties the row at position e to the rows at e - period and e - 2 period and to one row near
// e - period + up, all earlier in the sequence. So rows can be chosen one position at a time, each
// checked at once. The search state is the last 2 period rows and the next position mod period; a
// breadth-first walk from "all empty" back to "all empty" spells out a spaceship. Rows can be kept
// left-right symmetric to search wider.
//
// With `tile` set, a row is a `width`-cell piece repeated across the whole row, so what is found
// is a wave: a band without end from left to right.

struct ShipQuery {
    int period, up, right, width;
    bool mirror = false;  // rows are left-right symmetric
    bool tile = false;    // rows repeat every `width` columns (width divides 64)
};

struct ShipResult {
    Cells shape;            // generation 0 (of a wave: `width` columns of it)
    bool complete = false;  // the whole search space was seen
};

constexpr int kRowOffset = 24;  // the bit of the leftmost column of a row that is not tiled

std::vector<Word> AllowedRows(const ShipQuery& q) {
    std::vector<Word> rows;
    for (Word piece = 0; piece < (Word{1} << q.width); ++piece) {
        if (q.mirror) {
            Word flipped = 0;
            for (int x = 0; x < q.width; ++x)
                if (piece >> x & 1) flipped |= Word{1} << (q.width - 1 - x);
            if (flipped != piece) continue;
        }
        Word row = 0;
        if (q.tile)
            for (int x = 0; x < kSize; x += q.width) row |= piece << x;
        else
            row = piece << kRowOffset;
        rows.push_back(row);
    }
    return rows;
}

using Key = unsigned __int128;  // packed row numbers, the next position mod period on top
struct KeyHash {
    std::size_t operator()(Key key) const {
        const auto a = static_cast<Word>(key), b = static_cast<Word>(key >> 64);
        return (a * 0x9E3779B97F4A7C15ull) ^ (b + 0x632BE59BD9B4E019ull + (a >> 7));
    }
};

// `work` limits the number of candidate rows tried, and the memory used with it.
ShipResult SearchShip(const ShipQuery& q, Word work) {
    const std::vector<Word> rows = AllowedRows(q);
    const int p = q.period, window = 2 * p;
    const int g = std::gcd(p, q.up), pg = p / g;
    int bits = 1;
    while ((Word{1} << bits) < rows.size()) ++bits;
    if (bits * window > 120 || q.up <= 0 || 2 * q.up > p) return {};

    // The row chosen at a position must make the row `back` places earlier (moved sideways when that
    // one is generation 0 again, that is when it `wraps`).
    std::vector<int> back(p);
    std::vector<bool> wraps(p);
    for (int t = 0; t < p; ++t) {
        const int pos = (q.up * t + t / pg) % p;
        wraps[pos] = t == p - 1;
        back[pos] = p - q.up + (wraps[pos] ? g - 1 : t / pg - (t + 1) / pg);
    }
    // Look-ahead: the row chosen at position e must itself be made later, by the row at
    // e + ahead[e mod p] together with rows known now.
    std::vector<int> ahead(p);
    for (int pos = 0; pos < p; ++pos)
        for (int later = 0; later < p; ++later)
            if ((pos + back[later]) % p == later) ahead[pos] = back[later];
    const int pieceShift = q.tile ? 0 : kRowOffset;
    const Word pieceMask = (Word{1} << q.width) - 1;
    std::vector<int> indexOfPiece(Word{1} << q.width, -1);  // row piece -> row number
    for (std::size_t i = 0; i < rows.size(); ++i)
        indexOfPiece[(rows[i] >> pieceShift) & pieceMask] = static_cast<int>(i);
    const auto indexOf = [&](Word row) {  // the row number of a row, or -1
        const int i = indexOfPiece[(row >> pieceShift) & pieceMask];
        return i >= 0 && rows[i] == row ? i : -1;
    };

    const Key rowMask = (Key(1) << (bits * window)) - 1;
    const auto rowOf = [&](Key key, int age) {  // age 1 is the newest row of the state
        return rows[static_cast<Word>(key >> (bits * (age - 1))) & ((Word{1} << bits) - 1)];
    };
    constexpr int kPhaseShift = 124;

    std::unordered_map<Key, Key, KeyHash> parent{{0, 0}};  // state -> the state before it
    std::vector<Key> queue{0};
    std::vector<char> canBeMade(rows.size());
    Word tried = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        if (tried > work) return {};
        const Key key = queue[head];
        const int pos = static_cast<int>(key >> kPhaseShift);
        const Word above2 = rowOf(key, window), above1 = rowOf(key, p);
        Word target = rowOf(key, back[pos]);
        if (wraps[pos]) target = std::rotl(target, q.right);
        const int a = ahead[pos], later = (pos + a) % p;
        std::fill(canBeMade.begin(), canBeMade.end(), 0);
        for (Word x : rows) {
            Word made = StepRow(rowOf(key, 2 * p - a), rowOf(key, p - a), x);
            if (wraps[later]) made = std::rotr(made, q.right);
            if (const int i = indexOf(made); i >= 0) canBeMade[i] = 1;
        }
        tried += 2 * rows.size();
        const Key next = Key((pos + 1) % p) << kPhaseShift;
        for (std::size_t c = 0; c < rows.size(); ++c) {
            if (!canBeMade[c] || StepRow(above2, above1, rows[c]) != target) continue;
            const Key child = (((key << bits) | c) & rowMask) | next;
            if ((child & rowMask) == 0 && (key & rowMask) != 0) {  // back to empty
                std::vector<Word> sequence;                        // sequence[e]: the row at position e
                for (Key k = key; k != 0; k = parent[k]) sequence.push_back(rowOf(k, 1));
                std::reverse(sequence.begin(), sequence.end());
                Cells cells;  // generation 0 is at the positions that are multiples of p
                const int columns = q.tile ? q.width : kSize;
                for (std::size_t e = 0; e < sequence.size(); e += p)
                    for (int x = 0; x < columns; ++x)
                        if (sequence[e] >> x & 1) cells.push_back({x, static_cast<int>(e / p)});
                if (cells.empty()) continue;
                if (!q.tile) return {Normalized(cells), true};
                const int top = std::min_element(cells.begin(), cells.end(), [](Cell l, Cell r) {
                                    return l.y < r.y;
                                })->y;
                for (Cell& cell : cells) cell.y -= top;  // the columns stay as they are
                return {cells, true};
            }
            if (parent.try_emplace(child, key).second) queue.push_back(child);
        }
    }
    return {{}, true};
}

// Speeds of the direct searches: period, rows up, columns right.
struct Speed {
    int period, up, right;
    const char* name;
};
constexpr Speed kSpeeds[] = {
    {2, 1, 0, "c/2"},
    {4, 2, 0, "c/2"},
    {3, 1, 0, "c/3"},
    {4, 1, 0, "c/4"},
    {4, 1, 1, "c/4 diagonal"},
    {4, 1, 2, "(2,1)c/4"},
    {5, 1, 0, "c/5"},
    {5, 2, 0, "2c/5"},
    {6, 1, 0, "c/6"},
    {6, 1, 1, "c/6 diagonal"},
    {7, 2, 0, "2c/7"},
    {7, 3, 0, "3c/7"},
    {8, 2, 2, "c/4 diagonal, period 8"},
};

// ---- The report: each pattern as a board file that it runs on by itself

constexpr int kMargin = 2;  // dead cells around all that a pattern covers in a period

// The rows of normalized cells, top first, as words.
std::vector<Word> RowWords(const Cells& cells) {
    std::vector<Word> rows(BoxSize(cells).second);
    for (Cell c : cells) rows[c.y] |= Word{1} << c.x;
    return rows;
}

// The phase shown for a pattern: the one with the smallest box, then the fewest cells, turned so
// that its rows, top first, are the largest words. Any phase of the pattern may be given.
Cells ShownPhase(const Cells& shape, int period) {
    const auto rank = [](const Cells& cells) {
        const auto [width, height] = BoxSize(cells);
        return std::pair(width * height, cells.size());
    };
    Cells best;
    for (const Cells& phase : Phases(Board::From(shape), period))
        for (int symmetry = 0; symmetry < 8; ++symmetry) {
            Cells turned = Oriented(phase, symmetry);
            if (best.empty() || rank(turned) < rank(best) ||
                (rank(turned) == rank(best) && RowWords(turned) > RowWords(best)))
                best = std::move(turned);
        }
    return best;
}

// Prints cells as a board of `columns` x `lines` whose top left cell is (left, top). Columns wrap,
// so that all of a band falls into a board a whole number of tiles wide.
void PrintBoard(const Cells& cells, int left, int top, int columns, int lines) {
    std::vector<std::string> board(lines, std::string(columns, '.'));
    for (Cell c : cells) board[c.y - top][((c.x - left) % columns + columns) % columns] = 'X';
    for (const std::string& line : board) std::printf("%s\n", line.c_str());
}

// An oscillator or a spaceship, in the phase ShownPhase picks, on a board as large as all it covers
// in a period and a margin.
void ReportPattern(const Found& found) {
    const Cells shown = ShownPhase(found.shape, found.period);
    Board board = Board::From(shown);
    int left = 0, top = 0, right = 0, bottom = 0, dx = 0, dy = 0;
    for (int t = 0; t <= found.period; ++t, board.Step()) {
        dx = board.WorldX(), dy = board.WorldY();  // the move, once t reaches the period
        left = std::min(left, dx), top = std::min(top, dy);
        right = std::max(right, dx + board.Width() - 1), bottom = std::max(bottom, dy + board.Height() - 1);
    }
    if (found.fate == Fate::Spaceship)
        std::printf("\nspaceship, period %d, moves %d right and %d down, ", found.period, dx, dy);
    else
        std::printf("\noscillator, period %d, ", found.period);
    std::printf("%zu cells", shown.size());
    if (found.count > 0)
        std::printf(", reached from %ld start%s", found.count, found.count == 1 ? "" : "s");
    std::printf(":\n");
    PrintBoard(shown, left - kMargin, top - kMargin, right - left + 1 + 2 * kMargin,
               bottom - top + 1 + 2 * kMargin);
}

// A wave in its thinnest phase, 16 columns of it, on a board as tall as all it covers in a period
// and a margin.
void ReportWave(const ShipQuery& q, const Cells& tile) {
    constexpr int kColumns = 16;  // a multiple of every tile the wave searches try
    Board board = Board::Band(tile, q.width), shown = board;
    for (int t = 0; t < q.period; ++t, board.Step())
        if (board.Height() < shown.Height()) shown = board;
    int top = shown.WorldY(), bottom = top + shown.Height() - 1;
    board = shown;
    for (int t = 0; t < q.period; ++t, board.Step())
        top = std::min(top, board.WorldY()), bottom = std::max(bottom, board.WorldY() + board.Height() - 1);
    std::printf("\nwave, period %d, moves %d right and %d up, repeats every %d columns:\n", q.period,
                q.right, q.up, q.width);
    PrintBoard(shown.LiveCells(), 0, top - kMargin, kColumns, bottom - top + 1 + 2 * kMargin);
}

struct Options {
    int box = 5;             // every start up to box x box cells
    long soups = 200'000;    // random starts
    std::uint64_t seed = 1;  // of the soups' generator
    long shipWork = 100;     // millions of rows each direct spaceship search may try; 0 skips them
    long waveWork = 10;      // the same for each wave search
};

const auto kStarted = std::chrono::steady_clock::now();

// Writes how long the search has been running and what it has done, to standard error.
void Progress(const std::string& what) {
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - kStarted;
    std::fprintf(stderr, "[%6.1f s] %s\n", elapsed.count(), what.c_str());
}

// Runs every start pattern up to the box and the soups.
Catalogue ExploreStarts(const Options& options) {
    Catalogue catalogue;
    long tried = 0;
    for (int n = 1; n <= options.box; ++n) {
        for (std::uint32_t mask = 1; mask < (1u << (n * n)); ++mask)
            if (IsCanonicalMask(mask, n)) ++tried, catalogue.Explore(CellsFromMask(mask, n), 300);
        Progress("every start up to " + std::to_string(n) + "x" + std::to_string(n) + ": " +
                 std::to_string(tried) + " tried");
    }
    // Soups of 6x6 to 16x16 cells, a quarter to three quarters of them alive.
    std::mt19937_64 random(options.seed);
    for (long soup = 0; soup < options.soups; ++soup) {
        const int n = 6 + static_cast<int>(random() % 11);
        const int perMille = 250 + static_cast<int>(random() % 500);
        Cells cells;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (static_cast<int>(random() % 1000) < perMille) cells.push_back({x, y});
        catalogue.Explore(cells, 600);
    }
    Progress(std::to_string(options.soups) + " soups");
    return catalogue;
}

void ReportStarts(const Catalogue& catalogue) {
    std::printf("== how the start patterns ended ==\n");
    for (const auto& [fate, count] : catalogue.fates) std::printf("  %-10s %ld\n", FateName(fate), count);
    std::map<int, std::vector<const Found*>> oscillators;  // by period
    std::vector<const Found*> movers;
    for (const auto& [key, found] : catalogue.byShape)
        (found.fate == Fate::Spaceship ? movers : oscillators[found.period]).push_back(&found);
    const auto smaller = [](const Found* a, const Found* b) {
        const auto [aw, ah] = BoxSize(a->shape);
        const auto [bw, bh] = BoxSize(b->shape);
        return std::pair(aw * ah, a->shape.size()) < std::pair(bw * bh, b->shape.size());
    };
    for (auto& [period, list] : oscillators) {
        std::sort(list.begin(), list.end(), smaller);
        std::printf("\n== period %d oscillators: %zu kinds; the smallest ==\n", period, list.size());
        for (std::size_t i = 0; i < list.size() && i < 2; ++i) ReportPattern(*list[i]);
    }
    std::sort(movers.begin(), movers.end(), smaller);
    std::printf("\n== spaceships from the start patterns: %zu kinds ==\n", movers.size());
    for (std::size_t i = 0; i < movers.size() && i < 5; ++i) ReportPattern(*movers[i]);
}

// Each speed's search, widened from rows 3 cells wide until it finds a ship, reaches 24 cells or
// meets the work limit.
void SearchShips(Word work) {
    std::printf("\n== direct spaceship searches ==\n");
    std::vector<Cells> ships;
    for (const Speed& speed : kSpeeds)
        for (bool mirror : {false, true}) {
            if (mirror && speed.right != 0) continue;  // a ship moving sideways is not symmetric
            int width = 2;
            ShipResult result;
            while (width < 24 && result.shape.empty()) {
                result = SearchShip({speed.period, speed.up, speed.right, width + 1, mirror}, work);
                if (!result.complete) break;
                ++width;
            }
            const std::string name = std::string(speed.name) + " (period " + std::to_string(speed.period) +
                                     (mirror ? ", symmetric)" : ")");
            std::printf("  %-34s %s rows %2d wide%s\n", name.c_str(),
                        result.shape.empty() ? "none up to" : "found with", width,
                        result.shape.empty() && result.complete ? " (and nothing wider tried)" : "");
            if (!result.shape.empty()) ships.push_back(result.shape);
        }
    Progress("direct spaceship searches");
    for (const Cells& ship : ships)
        if (const Outcome outcome = Run(Board::From(ship), 100); outcome.fate == Fate::Spaceship)
            ReportPattern({outcome.fate, outcome.period, ship, 0});
        else
            std::printf("\na search result that does not move (%s)\n", FateName(outcome.fate));
}

// For each speed, the first tile width that gives a wave.
void SearchWaves(Word work) {
    std::printf("\n== waves (bands repeating every few columns) ==\n");
    for (const Speed& speed : kSpeeds)
        for (int tile : {1, 2, 4, 8}) {
            const ShipQuery q{speed.period, speed.up, speed.right, tile, false, true};
            if (const ShipResult result = SearchShip(q, work); !result.shape.empty()) {
                ReportWave(q, result.shape);
                break;
            }
        }
    Progress("wave searches");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app(
        "Looks for oscillators, spaceships and waves under the library's Life rule (a cell's "
        "3x3 block counts the cell itself) and prints them as board files of '.' and 'X'.",
        "quon_life_search");
    Options options;
    app.add_option("--box", options.box, "Run every start pattern up to this many cells square")
        ->capture_default_str()
        ->check(CLI::Range(0, 5));
    app.add_option("--soups", options.soups, "Random start patterns to run")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--seed", options.seed, "Seed of the soups' generator")->capture_default_str();
    app.add_option("--ship-work", options.shipWork,
                   "Millions of rows each direct spaceship search may try; 0 skips them")
        ->capture_default_str()
        ->check(CLI::Range(0L, 1'000'000L));
    app.add_option("--wave-work", options.waveWork, "The same for each wave search")
        ->capture_default_str()
        ->check(CLI::Range(0L, 1'000'000L));
    app.footer(
        "Examples:\n"
        "  quon_life_search                    # the whole search, a minute or two\n"
        "  quon_life_search --box 4 --soups 1000 --ship-work 0 --wave-work 1   # under a second\n"
        "The report goes to standard output, progress to standard error. Exit status: 0 on success, 2 "
        "for a usage error.");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : 2;
    }
    ReportStarts(ExploreStarts(options));
    constexpr Word kMillion = 1'000'000;
    if (options.shipWork > 0) SearchShips(static_cast<Word>(options.shipWork) * kMillion);
    if (options.waveWork > 0) SearchWaves(static_cast<Word>(options.waveWork) * kMillion);
    return 0;
}
