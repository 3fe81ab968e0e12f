// life-search: looks for oscillators and moving patterns in our Life variant.
//
// The rule: let S be the number of live cells in the 3x3 block around a cell,
// the cell itself included. A dead cell becomes alive when S == 3; a live cell
// stays alive when S == 2 or S == 3; every other cell is dead next step.
// (In neighbour-count notation this is B3/S12.) Boards wrap around (torus).
//
// What it does, in order:
//   1. Runs every pattern that fits in an N x N box (N = 5 by default; one
//      pattern per rotation/reflection class) and many random soups until
//      they repeat. Oscillators and anything that moves are collected; a
//      pattern that does not settle is split into its separate objects and
//      each object is run on its own, to catch movers escaping from debris.
//   2. Searches directly for spaceships, one row at a time, for a list of
//      speeds, widening the search until a work limit is reached. It prints
//      how wide each search got, so "none" means "none up to that width".
//   3. Searches the same way for waves: bands that repeat every few columns
//      across the whole board and move. On a torus whose width is a multiple
//      of the repeat, such a band moves for ever.
//   4. Looks for fuses: a small change at a diagonal line (a still life of
//      any length) that runs along the line, eating it, and leaves nothing.
//   5. Prints what it found, each pattern checked again with an independent,
//      cell-by-cell stepper on a torus.
// Steps 1 to 4 take one to two minutes on one core.
//
// Build and run (from the repository root):
//   g++ -std=c++20 -O2 -o life-search tools/life-search.cpp && ./life-search
// Options:
//   --box N          exhaustive box size, 1..5 (default 5, about 15 s)
//   --soups K        number of random soups (default 200000)
//   --seed S         random seed for the soups (default 1)
//   --ship-work W    work limit per single ship search, in millions of row
//                    checks (default 100; waves get a tenth); 0 skips
//                    steps 2 and 3
//   --ship P UP RIGHT WIDTH [mirror]
//                    run one ship search only: period P, moving UP rows up
//                    and RIGHT columns right, rows at most WIDTH cells wide,
//                    with a large work limit
//   --verify FILE PERIOD DX DY
//                    load a board file ('.' dead, 'X' alive, one row per
//                    line), step it on its own torus and check that after
//                    PERIOD steps it equals the start moved DX columns right
//                    and DY rows down (DY < 0 is up)
//   --verify-fuse FILE PERIOD DX DY
//                    the same for a burning fuse: every PERIOD steps the
//                    board must equal the previous one moved by (DX, DY)
//                    except for some cells of the line that burnt away

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Patterns as lists of cells (for reporting, symmetry and comparisons)
// ---------------------------------------------------------------------------

struct Cell {
    int x, y;
    auto operator<=>(const Cell&) const = default;
};
using Cells = std::vector<Cell>;

// Moves the cells so the bounding box starts at (0, 0), and sorts them.
Cells normalized(Cells cells) {
    if (cells.empty()) return cells;
    int minX = cells[0].x, minY = cells[0].y;
    for (auto c : cells) { minX = std::min(minX, c.x); minY = std::min(minY, c.y); }
    for (auto& c : cells) { c.x -= minX; c.y -= minY; }
    std::sort(cells.begin(), cells.end());
    return cells;
}

// The smallest of the 8 rotations/reflections, so equal shapes compare equal.
Cells symmetryCanonical(const Cells& cells) {
    Cells best;
    for (int t = 0; t < 8; ++t) {
        Cells moved;
        for (auto c : cells) {
            int x = c.x, y = c.y;
            if (t & 1) x = -x;
            if (t & 2) y = -y;
            if (t & 4) std::swap(x, y);
            moved.push_back({x, y});
        }
        moved = normalized(moved);
        if (t == 0 || moved < best) best = moved;
    }
    return best;
}

std::pair<int, int> boxSize(const Cells& cells) {  // width, height
    int w = 0, h = 0;
    for (auto c : cells) { w = std::max(w, c.x + 1); h = std::max(h, c.y + 1); }
    return {w, h};
}

using Grid = std::vector<std::string>;  // rows of '.' and 'X'

Grid toRows(const Cells& cells) {
    auto [w, h] = boxSize(cells);
    Grid rows(h, std::string(w, '.'));
    for (auto c : cells) rows[c.y][c.x] = 'X';
    return rows;
}

// ---------------------------------------------------------------------------
// Fast stepper: one 64-bit word per row, bit x = column x, wrapping around
// ---------------------------------------------------------------------------

// Next state of one row, given the row above, the row itself and the row below.
uint64_t stepRow(uint64_t up, uint64_t mid, uint64_t down) {
    // Live cells among left/centre/right in one row, as a two-bit number.
    auto rowSum = [](uint64_t r, uint64_t& low, uint64_t& high) {
        uint64_t left = std::rotl(r, 1), right = std::rotr(r, 1);
        low = left ^ r ^ right;
        high = (left & r) | (right & (left ^ r));
    };
    uint64_t l0, h0, l1, h1, l2, h2;
    rowSum(up, l0, h0);
    rowSum(mid, l1, h1);
    rowSum(down, l2, h2);
    // S = (l0 + l1 + l2) + 2 * (h0 + h1 + h2).
    uint64_t odd = l0 ^ l1 ^ l2;                       // S is odd
    uint64_t carry = (l0 & l1) | (l2 & (l0 ^ l1));     // one more "two"
    // Exactly one of the four "twos" (h0, h1, h2, carry) set <=> S is 2 or 3.
    uint64_t pairA = h0 ^ h1, bothA = h0 & h1;
    uint64_t pairB = h2 ^ carry, bothB = h2 & carry;
    uint64_t twoOrThree = (pairA ^ pairB) & ~(bothA | bothB);
    // S == 3 gives birth or survival; S == 2 keeps a live cell alive.
    return twoOrThree & (odd | mid);
}

constexpr int kSize = 64;       // the search board is a 64x64 torus
constexpr int kMaxExtent = 40;  // a pattern wider or taller than this "grows"

// A 64x64 torus that is re-centred on its pattern after every step, so the
// pattern never meets itself round the back; shiftX/shiftY keep track of
// where the pattern really is.
struct Board {
    std::array<uint64_t, kSize> rows{};
    int shiftX = 0, shiftY = 0;  // board column c is world column c - shiftX
    int minX = 0, maxX = -1, minY = 0, maxY = -1;  // bounding box (board coordinates)

    bool empty() const { return maxY < minY; }
    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }
    int worldX() const { return minX - shiftX; }
    int worldY() const { return minY - shiftY; }

    void computeBox() {
        minY = kSize; maxY = -1;
        uint64_t any = 0;
        for (int y = 0; y < kSize; ++y)
            if (rows[y]) { minY = std::min(minY, y); maxY = y; any |= rows[y]; }
        if (!any) { minY = 0; maxY = -1; return; }
        minX = std::countr_zero(any);
        maxX = 63 - std::countl_zero(any);
    }

    void recentre() {
        if (empty()) return;
        if (minX < 12 || maxX > kSize - 12) {
            int dx = kSize / 2 - (minX + maxX) / 2;
            for (auto& r : rows) r = std::rotl(r, dx);
            shiftX += dx; minX += dx; maxX += dx;
        }
        if (minY < 12 || maxY > kSize - 12) {
            int dy = kSize / 2 - (minY + maxY) / 2;
            std::array<uint64_t, kSize> moved{};
            for (int y = 0; y < kSize; ++y) moved[(y + dy + kSize) % kSize] = rows[y];
            rows = moved;
            shiftY += dy; minY += dy; maxY += dy;
        }
    }

    void step() {
        std::array<uint64_t, kSize> next{};
        for (int y = std::max(0, minY - 1); y <= std::min(kSize - 1, maxY + 1); ++y)
            next[y] = stepRow(rows[(y + kSize - 1) % kSize], rows[y], rows[(y + 1) % kSize]);
        rows = next;
        computeBox();
        recentre();
    }

    // Hash of the shape only, wherever it is.
    uint64_t shapeHash() const {
        uint64_t h = 1469598103934665603ull ^ static_cast<uint64_t>(height());
        for (int y = minY; y <= maxY; ++y) {
            h ^= rows[y] >> minX;
            h *= 1099511628211ull;
            h ^= h >> 29;
        }
        return h;
    }

    Cells cells() const {  // world coordinates
        Cells out;
        for (int y = 0; y < kSize; ++y)
            for (uint64_t r = rows[y]; r; r &= r - 1)
                out.push_back({std::countr_zero(r) - shiftX, y - shiftY});
        return out;
    }

    static Board from(const Cells& cells) {  // cells must fit in 40x40
        Board b;
        for (auto c : cells) b.rows[c.y + 12] |= 1ull << (c.x + 12);
        b.computeBox();
        b.recentre();
        return b;
    }
};

// ---------------------------------------------------------------------------
// Running one pattern until it repeats
// ---------------------------------------------------------------------------

enum class Fate { Dies, StillLife, Oscillator, Spaceship, Grows, Unsettled };

const char* fateName(Fate f) {
    switch (f) {
        case Fate::Dies: return "dies";
        case Fate::StillLife: return "still life";
        case Fate::Oscillator: return "oscillator";
        case Fate::Spaceship: return "spaceship";
        case Fate::Grows: return "grows";
        case Fate::Unsettled: return "unsettled";
    }
    return "?";
}

struct Outcome {
    Fate fate = Fate::Unsettled;
    int period = 0, dx = 0, dy = 0;
    Board last;  // a phase of the cycle, or the board when we gave up
};

Outcome run(Board b, int maxGenerations) {
    struct Seen { int generation, x, y; };
    std::unordered_map<uint64_t, Seen> seen;
    Outcome out;
    for (int g = 0; g <= maxGenerations; ++g) {
        out.last = b;
        if (b.empty()) { out.fate = Fate::Dies; return out; }
        if (b.width() > kMaxExtent || b.height() > kMaxExtent) { out.fate = Fate::Grows; return out; }
        auto [it, isNew] = seen.try_emplace(b.shapeHash(), Seen{g, b.worldX(), b.worldY()});
        if (!isNew) {
            out.period = g - it->second.generation;
            out.dx = b.worldX() - it->second.x;
            out.dy = b.worldY() - it->second.y;
            out.fate = (out.dx || out.dy) ? Fate::Spaceship
                     : out.period == 1    ? Fate::StillLife
                                          : Fate::Oscillator;
            return out;
        }
        b.step();
    }
    return out;
}

// Splits cells into objects: cells at most `gap` apart (king moves) join.
std::vector<Cells> splitObjects(const Cells& cells, int gap) {
    std::vector<int> group(cells.size(), -1);
    std::vector<Cells> groups;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (group[i] >= 0) continue;
        group[i] = static_cast<int>(groups.size());
        groups.push_back({});
        std::vector<size_t> todo{i};
        while (!todo.empty()) {
            size_t k = todo.back();
            todo.pop_back();
            groups.back().push_back(cells[k]);
            for (size_t j = 0; j < cells.size(); ++j)
                if (group[j] < 0 && std::abs(cells[j].x - cells[k].x) <= gap &&
                    std::abs(cells[j].y - cells[k].y) <= gap) {
                    group[j] = group[i];
                    todo.push_back(j);
                }
        }
    }
    return groups;
}

// ---------------------------------------------------------------------------
// Collecting oscillators and spaceships found by running patterns
// ---------------------------------------------------------------------------

struct Found {
    Fate fate;
    int period, dx, dy;
    Cells shape;    // the phase with the smallest bounding box, normalized
    Cells origin;   // a (smallest) start pattern that led to it
    long count = 0;  // how often it turned up
};

struct Catalogue {
    std::map<Cells, Found> byShape;  // key: smallest symmetry-canonical phase
    std::map<Fate, long> fates;      // how the start patterns ended

    void add(const Outcome& o, const Cells& origin) {
        if (o.fate != Fate::Oscillator && o.fate != Fate::Spaceship) return;
        Board b = o.last;
        Cells bestPhase, key;
        for (int i = 0; i < o.period; ++i) {
            Cells phase = normalized(b.cells());
            Cells canon = symmetryCanonical(phase);
            if (i == 0 || canon < key) key = canon;
            auto [w, h] = boxSize(phase);
            auto [bw, bh] = boxSize(bestPhase);
            if (i == 0 || std::pair(w * h, phase.size()) < std::pair(bw * bh, bestPhase.size()))
                bestPhase = phase;
            b.step();
        }
        auto [it, isNew] = byShape.try_emplace(key, Found{o.fate, o.period, o.dx, o.dy, bestPhase, origin});
        ++it->second.count;
        if (!isNew && origin.size() < it->second.origin.size()) it->second.origin = origin;
    }

    // Runs a start pattern; if it does not settle, runs each object it left.
    void explore(const Cells& start, int maxGenerations) {
        Outcome o = run(Board::from(start), maxGenerations);
        ++fates[o.fate];
        if (o.fate == Fate::Oscillator || o.fate == Fate::Spaceship) { add(o, start); return; }
        if (o.fate != Fate::Grows && o.fate != Fate::Unsettled) return;
        for (const Cells& object : splitObjects(o.last.cells(), 3))
            if (auto [w, h] = boxSize(normalized(object)); w <= kMaxExtent && h <= kMaxExtent)
                add(run(Board::from(normalized(object)), maxGenerations), start);
    }
};

// Cells of an n x n box from a bit mask (bit y*n+x = cell (x, y)).
Cells cellsFromMask(uint32_t mask, int n) {
    Cells c;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (mask >> (y * n + x) & 1) c.push_back({x, y});
    return c;
}

// Moves an n x n mask up and left until it touches the top row and left column.
uint32_t maskToCorner(uint32_t mask, int n) {
    uint32_t leftColumn = 0;
    for (int y = 0; y < n; ++y) leftColumn |= 1u << (y * n);
    while (!(mask & ((1u << n) - 1))) mask >>= n;
    while (!(mask & leftColumn)) mask >>= 1;
    return mask;
}

// True for exactly one mask per shape whose bounding box is at most n x n and
// at least n wide or tall: it sits in the top-left corner and is the smallest
// of its rotations and reflections.
bool isCanonicalMask(uint32_t mask, int n) {
    if (maskToCorner(mask, n) != mask) return false;
    int width = 0, height = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (mask >> (y * n + x) & 1) { width = std::max(width, x + 1); height = std::max(height, y + 1); }
    if (width < n && height < n) return false;  // tried in a smaller box
    for (int t = 1; t < 8; ++t) {
        uint32_t moved = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                if (!(mask >> (y * n + x) & 1)) continue;
                int tx = (t & 1) ? n - 1 - x : x, ty = (t & 2) ? n - 1 - y : y;
                if (t & 4) std::swap(tx, ty);
                moved |= 1u << (ty * n + tx);
            }
        if (maskToCorner(moved, n) < mask) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Direct search for spaceships (and waves), one row at a time
// ---------------------------------------------------------------------------
//
// We look for a pattern that, after `period` steps, is the same pattern moved
// `up` rows up and `right` columns right. Write R(t, r) for row r of
// generation t, 0 <= t < period; generation `period` is generation 0 moved, so
// every row of every generation is one of these. All these rows are put in
// one sequence, row (t, r) at position
//     e(t, r) = period*r + up*t + t / (period / g),   g = gcd(period, up),
// which numbers each row exactly once. The rule,
//     R(t+1, r) = step(R(t, r-1), R(t, r), R(t, r+1)),
// then ties the row at position e to the rows at e - period and e - 2*period
// and to one row near e - period + up, all earlier in the sequence. So rows
// can be chosen one position at a time, each checked at once. The search
// state is the last 2*period rows plus the next position mod period; a
// breadth-first walk from "all empty" back to "all empty" spells out a
// spaceship. Rows can be kept left-right symmetric to search wider.
//
// With `tile` set, a row is a `width`-cell piece repeated across the whole
// row, so what is found is a wave: a band infinite from left to right.

struct ShipQuery {
    int period, up, right, width;
    bool mirror = false;  // rows must be left-right symmetric
    bool tile = false;    // rows repeat every `width` columns (width divides 64)
};

struct ShipResult {
    Cells shape;        // generation 0 (for a wave: `width` columns of it)
    bool complete = false;  // the whole search space was seen
};

constexpr int kRowOffset = 24;  // bit of the leftmost column of a non-tiled row

std::vector<uint64_t> allowedRows(const ShipQuery& q) {
    std::vector<uint64_t> rows;
    for (uint64_t m = 0; m < (1ull << q.width); ++m) {
        if (q.mirror) {
            uint64_t flipped = 0;
            for (int x = 0; x < q.width; ++x)
                if (m >> x & 1) flipped |= 1ull << (q.width - 1 - x);
            if (flipped != m) continue;
        }
        uint64_t word = 0;
        if (q.tile)
            for (int x = 0; x < 64; x += q.width) word |= m << x;
        else
            word = m << kRowOffset;
        rows.push_back(word);
    }
    return rows;
}

using Key = unsigned __int128;  // packed row numbers, next position mod period on top
struct KeyHash {
    size_t operator()(Key k) const {
        uint64_t a = static_cast<uint64_t>(k), b = static_cast<uint64_t>(k >> 64);
        return (a * 0x9E3779B97F4A7C15ull) ^ (b + 0x632BE59BD9B4E019ull + (a >> 7));
    }
};

// `work` limits the number of candidate rows tried (and memory use with it).
ShipResult searchShip(const ShipQuery& q, uint64_t work) {
    const std::vector<uint64_t> rows = allowedRows(q);
    const int p = q.period, window = 2 * p;
    const int g = std::gcd(p, q.up), pg = p / g;
    int bits = 1;
    while ((1ull << bits) < rows.size()) ++bits;
    if (bits * window > 120 || q.up <= 0 || 2 * q.up > p) return {};

    // The row chosen at a position must make the row `back` places earlier
    // (moved sideways if that one is generation 0 again, i.e. `wraps`).
    std::vector<int> back(p);
    std::vector<bool> wraps(p);
    for (int t = 0; t < p; ++t) {
        int pos = (q.up * t + t / pg) % p;
        wraps[pos] = t == p - 1;
        back[pos] = p - q.up + (wraps[pos] ? g - 1 : t / pg - (t + 1) / pg);
    }
    // Look-ahead: the row chosen at position e must itself be made later, by
    // the row at e + ahead[e mod p] together with rows that are known now.
    std::vector<int> ahead(p);
    for (int pos = 0; pos < p; ++pos)
        for (int later = 0; later < p; ++later)
            if ((pos + back[later]) % p == later) ahead[pos] = back[later];
    std::vector<int> indexOfPiece(1ull << q.width, -1);  // row piece -> row number
    for (size_t i = 0; i < rows.size(); ++i)
        indexOfPiece[(rows[i] >> (q.tile ? 0 : kRowOffset)) & ((1ull << q.width) - 1)] = static_cast<int>(i);
    auto indexOf = [&](uint64_t word) {  // row number of a row word, or -1
        int i = indexOfPiece[(word >> (q.tile ? 0 : kRowOffset)) & ((1ull << q.width) - 1)];
        return i >= 0 && rows[i] == word ? i : -1;
    };

    const Key rowMask = (Key(1) << (bits * window)) - 1;
    auto rowOf = [&](Key key, int age) {  // age 1 = the newest row in the state
        return rows[static_cast<uint64_t>(key >> (bits * (age - 1))) & ((1ull << bits) - 1)];
    };
    const int phaseShift = 124;

    std::unordered_map<Key, Key, KeyHash> parent{{0, 0}};  // state -> previous state
    std::vector<Key> queue{0};
    std::vector<char> canBeMade(rows.size());
    uint64_t tried = 0;
    for (size_t head = 0; head < queue.size(); ++head) {
        if (tried > work) return {};
        const Key key = queue[head];
        const int pos = static_cast<int>(key >> phaseShift);
        const uint64_t above2 = rowOf(key, window), above1 = rowOf(key, p);
        uint64_t target = rowOf(key, back[pos]);
        if (wraps[pos]) target = std::rotl(target, q.right);
        const int a = ahead[pos], later = (pos + a) % p;
        std::fill(canBeMade.begin(), canBeMade.end(), 0);
        for (uint64_t x : rows) {
            uint64_t made = stepRow(rowOf(key, 2 * p - a), rowOf(key, p - a), x);
            if (wraps[later]) made = std::rotr(made, q.right);
            if (int i = indexOf(made); i >= 0) canBeMade[i] = 1;
        }
        tried += 2 * rows.size();
        const Key next = Key((pos + 1) % p) << phaseShift;
        for (uint64_t c = 0; c < rows.size(); ++c) {
            if (!canBeMade[c] || stepRow(above2, above1, rows[c]) != target) continue;
            const Key child = (((key << bits) | c) & rowMask) | next;
            if ((child & rowMask) == 0 && (key & rowMask) != 0) {  // back to empty
                std::vector<uint64_t> sequence;  // sequence[e] = row at position e
                for (Key k = key; k != 0; k = parent[k]) sequence.push_back(rowOf(k, 1));
                std::reverse(sequence.begin(), sequence.end());
                Cells cells;  // generation 0 is at the positions that are multiples of p
                int columns = q.tile ? q.width : 64;
                for (size_t e = 0; e < sequence.size(); e += p)
                    for (int x = 0; x < columns; ++x)
                        if (sequence[e] >> x & 1) cells.push_back({x, static_cast<int>(e / p)});
                if (cells.empty()) continue;
                if (!q.tile) return {normalized(cells), true};
                int top = std::min_element(cells.begin(), cells.end(),
                                           [](Cell l, Cell r) { return l.y < r.y; })->y;
                for (auto& c2 : cells) c2.y -= top;  // keep the columns as they are
                return {cells, true};
            }
            if (parent.try_emplace(child, key).second) queue.push_back(child);
        }
    }
    return {{}, true};
}

// ---------------------------------------------------------------------------
// Independent check: plain cell-by-cell stepping on a torus of any size
// ---------------------------------------------------------------------------

Grid naiveStep(const Grid& g) {
    int h = static_cast<int>(g.size()), w = static_cast<int>(g[0].size());
    Grid next(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int s = 0;  // live cells in the 3x3 block, the cell included
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    s += g[(y + dy + h) % h][(x + dx + w) % w] == 'X';
            if (s == 3 || (s == 2 && g[y][x] == 'X')) next[y][x] = 'X';
        }
    return next;
}

Grid shifted(const Grid& g, int dx, int dy) {
    int h = static_cast<int>(g.size()), w = static_cast<int>(g[0].size());
    Grid out(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out[((y + dy) % h + h) % h][((x + dx) % w + w) % w] = g[y][x];
    return out;
}

int population(const Grid& g) {
    int n = 0;
    for (auto& row : g) n += static_cast<int>(std::count(row.begin(), row.end(), 'X'));
    return n;
}

// True if after `period` steps the grid is itself moved by (dx, dy), and no
// earlier step gives the start moved by anything (so `period` is the least).
bool verifyGrid(const Grid& start, int period, int dx, int dy, bool print) {
    Grid g = start;
    for (int t = 1; t <= period; ++t) {
        g = naiveStep(g);
        if (print) {
            std::printf("  step %d:\n", t);
            for (auto& row : g) std::printf("    %s\n", row.c_str());
        }
        if (t == period) break;
        if (population(g) == population(start))
            for (int sy = 0; sy < static_cast<int>(g.size()); ++sy)
                for (int sx = 0; sx < static_cast<int>(g[0].size()); ++sx)
                    if (g == shifted(start, sx, sy)) {
                        if (print) std::printf("  already repeats after %d steps\n", t);
                        return false;
                    }
    }
    return g == shifted(start, dx, dy);
}

// A fuse: every `period` steps the grid is the previous one moved by (dx, dy)
// apart from a few cells that disappear (the burnt line), for `rounds` periods.
bool verifyFuse(const Grid& start, int period, int dx, int dy, int rounds, bool print) {
    Grid g = start;
    for (int r = 1; r <= rounds; ++r) {
        Grid before = g;
        for (int t = 0; t < period; ++t) g = naiveStep(g);
        Grid expected = shifted(before, dx, dy);
        int burnt = 0;
        for (size_t y = 0; y < g.size(); ++y)
            for (size_t x = 0; x < g[0].size(); ++x) {
                if (g[y][x] == 'X' && expected[y][x] != 'X') return false;  // nothing new
                if (g[y][x] != 'X' && expected[y][x] == 'X') ++burnt;
            }
        if (burnt == 0 || burnt > 4) return false;
        if (print) {
            std::printf("  after %d steps (%d cells burnt this period):\n", r * period, burnt);
            for (auto& row : g) std::printf("    %s\n", row.c_str());
        }
    }
    return true;
}

Grid placeOnTorus(const Cells& shape, int w, int h, int left, int top) {
    Grid g(h, std::string(w, '.'));
    for (auto c : shape) g[((c.y + top) % h + h) % h][((c.x + left) % w + w) % w] = 'X';
    return g;
}

int verifyFile(const char* path, int period, int dx, int dy, bool fuse) {
    std::ifstream in(path);
    Grid g;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) g.push_back(line);
    }
    if (g.empty()) { std::fprintf(stderr, "cannot read %s\n", path); return 2; }
    for (auto& row : g)
        if (row.size() != g[0].size() || row.find_first_not_of(".X") != std::string::npos) {
            std::fprintf(stderr, "%s: rows must be of equal length, only '.' and 'X'\n", path);
            return 2;
        }
    std::printf("%s: %zux%zu board, period %d, moving (%d,%d)%s\n", path, g[0].size(), g.size(),
                period, dx, dy, fuse ? ", as a fuse" : "");
    int rounds = static_cast<int>(std::max(g.size(), g[0].size())) / std::max(1, std::abs(dx) + std::abs(dy));
    bool ok = fuse ? verifyFuse(g, period, dx, dy, std::max(1, rounds), true) : verifyGrid(g, period, dx, dy, true);
    std::printf("%s\n", ok ? "VERIFIED" : "FAILED");
    return ok ? 0 : 1;
}

// ---------------------------------------------------------------------------
// Fuses along a diagonal line
// ---------------------------------------------------------------------------
//
// A diagonal line of any length is a still life here. We take one closed
// round the 64x64 torus, change the cells of a 4x4 box on it in every
// possible way, and keep changes after which something runs along the line
// in one direction, leaving nothing behind: every few steps the cells off
// the line are the same shape moved along it, and the line gets shorter.

struct Fuse {
    int period, dx, dy;
    Grid board;       // 24x24 torus: the line round it, the tip near the middle
    Cells igniter;    // the cells changed in the 4x4 box to start it
    size_t tipCells;  // live cells off the line while it burns
};

constexpr int kFuseBoard = 24;

std::vector<Fuse> searchFuses() {
    using Rows = std::array<uint64_t, 64>;
    Rows line{};
    for (int i = 0; i < 64; ++i) line[i] = 1ull << i;
    auto stepAll = [](const Rows& b) {
        Rows n;
        for (int y = 0; y < 64; ++y) n[y] = stepRow(b[(y + 63) % 64], b[y], b[(y + 1) % 64]);
        return n;
    };
    auto offLine = [&](const Rows& b) {
        Cells c;
        for (int y = 0; y < 64; ++y)
            for (uint64_t r = b[y] & ~line[y]; r; r &= r - 1) c.push_back({std::countr_zero(r), y});
        return c;
    };
    std::map<std::pair<int, Cells>, Fuse> found;  // by period and tip shape
    for (int offset = -3; offset <= 3; ++offset)
        for (uint32_t mask = 1; mask < (1u << 16); ++mask) {
            Rows b = line;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x)
                    if (mask >> (y * 4 + x) & 1) b[30 + y] ^= 1ull << (30 + offset + x);
            for (int t = 0; t < 12; ++t) b = stepAll(b);
            Cells start = offLine(b);
            if (start.empty() || start.size() > 12) continue;
            Rows later = b;
            for (int p = 1; p <= 8; ++p) {
                later = stepAll(later);
                Cells now = offLine(later);
                if (now.size() != start.size()) continue;
                int s = now[0].x - start[0].x;  // it must have moved by (s, s) along the line
                if (s == 0 || now[0].y - start[0].y != s) continue;
                bool same = true;
                for (size_t i = 0; i < now.size() && same; ++i)
                    same = now[i].x - start[i].x == s && now[i].y - start[i].y == s;
                if (!same) continue;
                // It must keep going, and the line must only get shorter.
                Rows far = later;
                for (int t = 0; t < 2 * p; ++t) far = stepAll(far);
                Cells farOff = offLine(far);
                int lineBefore = 0, lineAfter = 0;
                for (int y = 0; y < 64; ++y) {
                    lineBefore += std::popcount(b[y] & line[y]);
                    lineAfter += std::popcount(far[y] & line[y]);
                }
                if (farOff.size() != start.size() || farOff[0].x - start[0].x != 3 * s ||
                    lineAfter >= lineBefore)
                    break;
                // Same fuse, other phase or mirrored along the line: one key.
                Cells key;
                Rows phase = b;
                for (int t = 0; t < p; ++t, phase = stepAll(phase))
                    for (int sym = 0; sym < 4; ++sym) {
                        Cells c = offLine(phase);
                        for (auto& cell : c) {
                            if (sym & 1) std::swap(cell.x, cell.y);
                            if (sym & 2) cell = {-cell.x, -cell.y};
                            cell = {(cell.x + 96) % 64, (cell.y + 96) % 64};  // keep clear of the wrap
                        }
                        c = normalized(c);
                        if (key.empty() || c < key) key = c;
                    }
                int changed = std::popcount(mask);
                auto it = found.find({p, key});
                if (it != found.end() && static_cast<int>(it->second.igniter.size()) <= changed) break;
                // Copy a stretch of the line around the tip onto a smaller torus:
                // a few cells behind the tip, the rest ahead of it.
                int tip = start[0].x, from = s > 0 ? tip - 5 : tip - kFuseBoard + 6;
                Grid board(kFuseBoard, std::string(kFuseBoard, '.'));
                for (int u = from; u < from + kFuseBoard; ++u)
                    for (int v = -4; v <= 4; ++v) {  // v: distance off the line
                        int x = (u + 64) % 64, y = (u + v + 64) % 64;
                        if (b[y] >> x & 1)
                            board[((u + v - from) % kFuseBoard + kFuseBoard) % kFuseBoard][u - from] = 'X';
                    }
                Cells igniter;
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x)
                        if (mask >> (y * 4 + x) & 1) igniter.push_back({offset + x, y});
                found[{p, key}] = Fuse{p, s, s, board, igniter, start.size()};
                break;
            }
        }
    std::vector<Fuse> out;
    for (auto& [key, f] : found) out.push_back(f);
    return out;
}

// ---------------------------------------------------------------------------
// Reporting
// ---------------------------------------------------------------------------

void printRows(const Grid& rows, const char* indent) {
    for (auto& r : rows) std::printf("%s%s\n", indent, r.c_str());
}

void reportFound(const Found& f) {
    auto [w, h] = boxSize(f.shape);
    std::printf("%s, period %d, moves (%d,%d), box %dx%d, %zu cells, seen %ld times\n",
                fateName(f.fate), f.period, f.dx, f.dy, w, h, f.shape.size(), f.count);
    printRows(toRows(f.shape), "    ");
    int margin = 4 + std::abs(f.dx) + std::abs(f.dy);
    Grid g = placeOnTorus(f.shape, w + 2 * margin, h + 2 * margin, margin, margin);
    std::printf("  check on a %dx%d torus: %s\n\n", w + 2 * margin, h + 2 * margin,
                verifyGrid(g, f.period, f.dx, f.dy, false) ? "VERIFIED" : "FAILED");
}

// Speeds tried by the direct searches: period, rows up, columns right.
struct Speed { int period, up, right; const char* name; };
const Speed kSpeeds[] = {
    {2, 1, 0, "c/2"},  {4, 2, 0, "c/2"},  {3, 1, 0, "c/3"},   {4, 1, 0, "c/4"},
    {4, 1, 1, "c/4 diagonal"}, {4, 1, 2, "(2,1)c/4"}, {5, 1, 0, "c/5"}, {5, 2, 0, "2c/5"},
    {6, 1, 0, "c/6"},  {6, 1, 1, "c/6 diagonal"}, {7, 2, 0, "2c/7"}, {7, 3, 0, "3c/7"},
    {8, 2, 2, "c/4 diagonal, period 8"},
};

}  // namespace

int main(int argc, char** argv) {
    int box = 5, soups = 200000;
    unsigned seed = 1;
    uint64_t shipWork = 100'000'000;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--verify" || a == "--verify-fuse") && i + 4 < argc)
            return verifyFile(argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                              std::atoi(argv[i + 4]), a == "--verify-fuse");
        if (a == "--ship" && i + 4 < argc) {
            ShipQuery q{std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                        std::atoi(argv[i + 4])};
            q.mirror = i + 5 < argc && std::string(argv[i + 5]) == "mirror";
            ShipResult r = searchShip(q, 20'000'000'000ull);
            if (!r.shape.empty()) {
                printRows(toRows(r.shape), "  ");
                std::printf("found\n");
            } else {
                std::printf(r.complete ? "none (complete search)\n" : "none (work limit reached)\n");
            }
            return 0;
        }
        if (a == "--box" && i + 1 < argc) box = std::clamp(std::atoi(argv[++i]), 1, 5);
        else if (a == "--soups" && i + 1 < argc) soups = std::atoi(argv[++i]);
        else if (a == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::atoll(argv[++i]));
        else if (a == "--ship-work" && i + 1 < argc) shipWork = std::atoll(argv[++i]) * 1'000'000ull;
        else { std::fprintf(stderr, "unknown option %s (see the top of the source)\n", a.c_str()); return 2; }
    }
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - t0).count(); };
    Catalogue cat;

    // 1a. Every pattern in an n x n box, one per shape.
    long tried = 0;
    for (int n = 1; n <= box; ++n) {
        for (uint64_t m = 1; m < (1ull << (n * n)); ++m)
            if (isCanonicalMask(static_cast<uint32_t>(m), n)) {
                ++tried;
                cat.explore(cellsFromMask(static_cast<uint32_t>(m), n), 300);
            }
        std::printf("[%6.1f s] all shapes up to %dx%d: %ld tried\n", seconds(), n, n, tried);
        std::fflush(stdout);
    }
    // 1b. Random soups, 6x6 to 16x16, various densities.
    std::mt19937_64 rng(seed);
    for (int s = 0; s < soups; ++s) {
        int n = 6 + static_cast<int>(rng() % 11);
        int perMille = 250 + static_cast<int>(rng() % 500);
        Cells c;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (static_cast<int>(rng() % 1000) < perMille) c.push_back({x, y});
        cat.explore(c, 600);
    }
    std::printf("[%6.1f s] %d soups\n", seconds(), soups);
    for (auto [fate, count] : cat.fates) std::printf("           %-10s %ld start patterns\n", fateName(fate), count);
    std::fflush(stdout);

    // 2 and 3. Direct searches for spaceships and waves.
    struct Reached { std::string what; int width; bool capped; };
    std::vector<Reached> reached;
    std::vector<std::pair<ShipQuery, Cells>> ships, waves;
    if (shipWork > 0) {
        for (const Speed& s : kSpeeds)
            for (bool mirror : {false, true}) {
                if (mirror && s.right != 0) continue;
                int widest = 0;
                bool capped = false;
                for (int w = 3; w <= 24; ++w) {
                    ShipQuery q{s.period, s.up, s.right, w, mirror};
                    ShipResult r = searchShip(q, shipWork);
                    if (!r.complete) { capped = true; break; }
                    widest = w;
                    if (!r.shape.empty()) { ships.push_back({q, r.shape}); break; }
                }
                reached.push_back({std::string(s.name) + " (period " + std::to_string(s.period) +
                                       (mirror ? ", symmetric)" : ")"), widest, capped});
            }
        std::printf("[%6.1f s] direct spaceship searches\n", seconds());
        for (const Speed& s : kSpeeds)
            for (int tile : {1, 2, 4, 8}) {
                ShipQuery q{s.period, s.up, s.right, tile, false, true};
                ShipResult r = searchShip(q, shipWork / 10);
                if (!r.shape.empty()) { waves.push_back({q, r.shape}); break; }
            }
        std::printf("[%6.1f s] wave searches\n", seconds());
    }

    // 4. Fuses.
    std::vector<Fuse> fuses = searchFuses();
    std::printf("[%6.1f s] fuse search\n\n", seconds());

    // 5. Report.
    std::vector<const Found*> movers;
    std::map<int, std::vector<const Found*>> oscillators;
    for (auto& [key, f] : cat.byShape) {
        if (f.fate == Fate::Spaceship) movers.push_back(&f);
        else oscillators[f.period].push_back(&f);
    }
    auto smaller = [](const Found* a, const Found* b) {
        auto [aw, ah] = boxSize(a->shape);
        auto [bw, bh] = boxSize(b->shape);
        return std::pair(aw * ah, a->shape.size()) < std::pair(bw * bh, b->shape.size());
    };
    for (auto& [period, list] : oscillators) {
        std::sort(list.begin(), list.end(), smaller);
        std::printf("== period %d oscillators: %zu kinds; the smallest: ==\n", period, list.size());
        for (size_t i = 0; i < list.size() && i < 2; ++i) reportFound(*list[i]);
    }

    std::printf("== spaceships from boxes and soups: %zu kinds ==\n", movers.size());
    std::sort(movers.begin(), movers.end(), smaller);
    for (size_t i = 0; i < movers.size() && i < 5; ++i) reportFound(*movers[i]);

    std::printf("== direct spaceship searches: %zu found ==\n", ships.size());
    for (auto& r : reached)
        std::printf("  %-34s none up to rows %2d wide%s\n", r.what.c_str(), r.width,
                    r.capped ? "" : " (and nothing wider tried)");
    for (auto& [q, shape] : ships) {
        Outcome o = run(Board::from(shape), 100);
        Found f{o.fate, o.period, o.dx, o.dy, shape, shape, 1};
        reportFound(f);
    }
    std::printf("\n== waves (bands repeating every few columns): %zu found ==\n", waves.size());
    for (auto& [q, shape] : waves) {
        // Show the thinnest phase; check it on a torus 16 columns wide.
        int columns = q.width * std::max(1, 16 / q.width);
        int height = boxSize(shape).second + 2 * q.up + 8;
        Grid g = placeOnTorus(shape, q.width, height, 0, q.up + 4), tileRows;
        for (int t = 0; t < q.period; ++t, g = naiveStep(g)) {
            Grid band;  // the rows from the first to the last live one
            for (auto& row : g)
                if (row.find('X') != std::string::npos || !band.empty()) band.push_back(row);
            while (band.back().find('X') == std::string::npos) band.pop_back();
            if (t == 0 || std::pair(band.size(), population(band)) < std::pair(tileRows.size(), population(tileRows)))
                tileRows = band;
        }
        Grid board(height, std::string(columns, '.'));
        for (size_t y = 0; y < tileRows.size(); ++y)
            for (int x = 0; x < columns; ++x) board[y + q.up + 4][x] = tileRows[y][x % q.width];
        std::printf("wave, period %d, moves (%d,%d) (right, down), repeats every %d columns, %zu rows\n",
                    q.period, q.right, -q.up, q.width, tileRows.size());
        printRows(tileRows, "    ");
        std::printf("  check on a %dx%d torus: %s\n\n", columns, height,
                    verifyGrid(board, q.period, q.right, -q.up, false) ? "VERIFIED" : "FAILED");
    }

    // Keep the fuses that pass the independent check.
    size_t before = fuses.size();
    std::erase_if(fuses, [](const Fuse& f) { return !verifyFuse(f.board, f.period, f.dx, f.dy, 8, false); });
    std::printf("== fuses along a diagonal line: %zu kinds (%zu more leave debris behind) ==\n",
                fuses.size(), before - fuses.size());
    std::sort(fuses.begin(), fuses.end(), [](const Fuse& a, const Fuse& b) {
        return std::tuple(a.tipCells, a.igniter.size(), a.period) < std::tuple(b.tipCells, b.igniter.size(), b.period);
    });
    for (size_t i = 0; i < fuses.size() && i < 3; ++i) {
        const Fuse& f = fuses[i];
        std::printf("fuse, period %d, tip moves (%d,%d), %zu cells off the line; started from a\n"
                    "diagonal line (0,0),(1,1),... whose 4x4 stretch below is changed to:\n",
                    f.period, f.dx, f.dy, f.tipCells);
        int minX = 0, maxX = 3;
        for (auto c : f.igniter) { minX = std::min(minX, c.x); maxX = std::max(maxX, c.x); }
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int x = minX; x <= maxX; ++x) {
                bool flipped = std::find(f.igniter.begin(), f.igniter.end(), Cell{x, y}) != f.igniter.end();
                row += (x == y) != flipped ? 'X' : '.';
            }
            std::printf("    %s\n", row.c_str());
        }
        std::printf("  on a %dx%d torus, line round it, after the start has settled:\n", kFuseBoard, kFuseBoard);
        printRows(f.board, "    ");
        std::printf("  check (burns steadily for 8 periods): %s\n\n",
                    verifyFuse(f.board, f.period, f.dx, f.dy, 8, false) ? "VERIFIED" : "FAILED");
    }
    std::printf("total time %.1f s\n", seconds());
}
