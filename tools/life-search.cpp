// life-search: finds small oscillators and moving patterns for our Life variant.
//
// The rule: let S be the number of live cells in the 3x3 block around a cell,
// the cell itself included. A dead cell becomes alive when S == 3; a live cell
// stays alive when S == 2 or S == 3; every other cell is dead next step.
// (In neighbour-count notation this is B3/S12.) Boards wrap around (torus).
//
// What the program does:
//   1. Tries every starting pattern that fits in an N x N box (default N = 5,
//      one pattern per rotation/reflection class), runs each until it repeats.
//   2. Runs random soups in bigger boxes and splits what remains into separate
//      objects, looking at each object on its own. This catches spaceships
//      that escape from debris.
//   3. Prints the smallest oscillator found for each period and the
//      spaceships found (period and displacement), then checks every reported
//      pattern again with an independent, cell-by-cell stepper.
// The search runs on a 64x64 torus that is re-centred on the pattern after
// every step, so wrapping never lets a pattern touch itself.
//
// Build and run (from the repository root):
//   g++ -std=c++20 -O2 -o life-search tools/life-search.cpp && ./life-search
// Options:
//   --box N        exhaustive search box size (1..6, default 5)
//   --soups K      number of random soups (default 20000)
//   --seed S       random seed for the soups (default 1)
//   --verify FILE PERIOD DX DY
//                  load a board file ('.' dead, 'X' alive, one row per line),
//                  step it on its own torus and check that after PERIOD steps
//                  it equals the start shifted DX columns right, DY rows down.

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
#include <unordered_map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Patterns as lists of cells (used for reporting, symmetry and verification)
// ---------------------------------------------------------------------------

struct Cell {
    int x, y;
    auto operator<=>(const Cell&) const = default;
};
using Cells = std::vector<Cell>;  // kept sorted, top-left cell at (0, 0) unless noted

// Moves the cells so the bounding box starts at (0, 0) and sorts them.
Cells normalized(Cells cells) {
    if (cells.empty()) return cells;
    int minX = cells[0].x, minY = cells[0].y;
    for (auto c : cells) {
        minX = std::min(minX, c.x);
        minY = std::min(minY, c.y);
    }
    for (auto& c : cells) {
        c.x -= minX;
        c.y -= minY;
    }
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

std::pair<int, int> boxSize(const Cells& cells) {
    int w = 0, h = 0;
    for (auto c : cells) {
        w = std::max(w, c.x + 1);
        h = std::max(h, c.y + 1);
    }
    return {w, h};
}

std::vector<std::string> toRows(const Cells& cells) {
    auto [w, h] = boxSize(cells);
    std::vector<std::string> rows(h, std::string(w, '.'));
    for (auto c : cells) rows[c.y][c.x] = 'X';
    return rows;
}

// ---------------------------------------------------------------------------
// Fast stepper: 64x64 torus, one 64-bit word per row, bit x = column x
// ---------------------------------------------------------------------------

constexpr int kSize = 64;
constexpr int kMaxExtent = 40;  // a pattern wider or taller than this "grows"

// Next state of one row, given the row above, the row itself and the row below.
uint64_t stepRow(uint64_t up, uint64_t mid, uint64_t down) {
    // Count of live cells in the three cells left/centre/right in one row,
    // as a two-bit number (low, high).
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
    uint64_t ones = l0 ^ l1 ^ l2;                   // S is odd
    uint64_t carry = (l0 & l1) | (l2 & (l0 ^ l1));  // adds one more "two"
    // Exactly one of the four "twos" (h0, h1, h2, carry) set <=> S is 2 or 3.
    uint64_t pairA = h0 ^ h1, bothA = h0 & h1;
    uint64_t pairB = h2 ^ carry, bothB = h2 & carry;
    uint64_t twoOrThree = (pairA ^ pairB) & ~(bothA | bothB);
    // S == 3 gives birth or survival; S == 2 keeps a live cell alive.
    return twoOrThree & (ones | mid);
}

struct Board {
    std::array<uint64_t, kSize> rows{};
    int shiftX = 0, shiftY = 0;                    // board column c is world column c - shiftX
    int minX = 0, maxX = -1, minY = 0, maxY = -1;  // bounding box (board coords)

    bool empty() const { return maxY < minY; }
    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }

    void computeBox() {
        minY = kSize;
        maxY = -1;
        uint64_t any = 0;
        for (int y = 0; y < kSize; ++y) {
            if (rows[y]) {
                minY = std::min(minY, y);
                maxY = y;
                any |= rows[y];
            }
        }
        if (!any) {
            minY = 0;
            maxY = -1;
            return;
        }
        minX = std::countr_zero(any);
        maxX = 63 - std::countl_zero(any);
    }

    // Keeps the pattern near the middle of the torus so it never wraps.
    void recentre() {
        if (empty()) return;
        int dx = kSize / 2 - (minX + maxX) / 2;
        int dy = kSize / 2 - (minY + maxY) / 2;
        if (minX < 12 || maxX > kSize - 12) {
            for (auto& r : rows) r = std::rotl(r, dx);
            shiftX += dx;
            minX += dx;
            maxX += dx;
        } else
            dx = 0;
        if (minY < 12 || maxY > kSize - 12) {
            std::array<uint64_t, kSize> moved{};
            for (int y = 0; y < kSize; ++y) moved[(y + dy + kSize) % kSize] = rows[y];
            rows = moved;
            shiftY += dy;
            minY += dy;
            maxY += dy;
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

    // Hash of the shape only (independent of where it is).
    uint64_t shapeHash() const {
        uint64_t h = 1469598103934665603ull ^ static_cast<uint64_t>(height());
        for (int y = minY; y <= maxY; ++y) {
            h ^= rows[y] >> minX;
            h *= 1099511628211ull;
            h ^= h >> 29;
        }
        return h;
    }
    int worldX() const { return minX - shiftX; }
    int worldY() const { return minY - shiftY; }

    int population() const {
        int n = 0;
        for (auto r : rows) n += std::popcount(r);
        return n;
    }

    Cells cells() const {  // in world coordinates
        Cells out;
        for (int y = 0; y < kSize; ++y)
            for (uint64_t r = rows[y]; r; r &= r - 1)
                out.push_back({std::countr_zero(r) - shiftX, y - shiftY});
        return out;
    }

    static Board from(const Cells& cells) {
        Board b;
        for (auto c : cells) b.rows[c.y + kSize / 2 - 4] |= 1ull << (c.x + kSize / 2 - 4);
        b.computeBox();
        return b;
    }
};

// ---------------------------------------------------------------------------
// Running a pattern until it repeats
// ---------------------------------------------------------------------------

enum class Fate { Dies, StillLife, Oscillator, Spaceship, Grows, Unsettled };

struct Outcome {
    Fate fate = Fate::Unsettled;
    int period = 0, dx = 0, dy = 0;
    Board settled;  // the board at the first generation of the cycle, or the last one
};

Outcome run(Board b, int maxGenerations) {
    struct Seen {
        int generation, x, y;
    };
    std::unordered_map<uint64_t, Seen> seen;
    Outcome out;
    for (int g = 0; g <= maxGenerations; ++g) {
        if (b.empty()) {
            out.fate = Fate::Dies;
            out.settled = b;
            return out;
        }
        if (b.width() > kMaxExtent || b.height() > kMaxExtent) {
            out.fate = Fate::Grows;
            out.settled = b;
            return out;
        }
        auto [it, isNew] = seen.try_emplace(b.shapeHash(), Seen{g, b.worldX(), b.worldY()});
        if (!isNew) {
            out.period = g - it->second.generation;
            out.dx = b.worldX() - it->second.x;
            out.dy = b.worldY() - it->second.y;
            out.fate = (out.dx || out.dy) ? Fate::Spaceship
                       : out.period == 1  ? Fate::StillLife
                                          : Fate::Oscillator;
            out.settled = b;  // one phase of the cycle
            return out;
        }
        b.step();
    }
    out.settled = b;
    return out;
}

// Splits cells into groups: cells closer than `gap` (king moves) join a group.
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
            for (size_t j = 0; j < cells.size(); ++j) {
                if (group[j] >= 0) continue;
                if (std::abs(cells[j].x - cells[k].x) <= gap && std::abs(cells[j].y - cells[k].y) <= gap) {
                    group[j] = group[i];
                    todo.push_back(j);
                }
            }
        }
    }
    return groups;
}

// ---------------------------------------------------------------------------
// Collecting results
// ---------------------------------------------------------------------------

struct Found {
    Fate fate;
    int period, dx, dy;
    Cells shape;    // the phase with the smallest bounding box, normalized
    Cells origin;   // a starting pattern that led to it
    int count = 0;  // how often it was seen
};

struct Catalogue {
    std::map<Cells, Found> byShape;  // keyed by symmetry-canonical smallest phase
    std::map<Fate, long> fates;      // how the start patterns ended

    // Records an oscillator or spaceship; `b` is a board in the cycle.
    void add(const Outcome& o, const Cells& origin) {
        if (o.fate != Fate::Oscillator && o.fate != Fate::Spaceship) return;
        // Walk through the phases, keep the smallest one and a canonical key.
        Board b = o.settled;
        Cells bestPhase, key;
        for (int i = 0; i < o.period; ++i) {
            Cells phase = normalized(b.cells());
            Cells canon = symmetryCanonical(phase);
            if (i == 0 || canon < key) key = canon;
            auto [w, h] = boxSize(phase);
            auto [bw, bh] = boxSize(bestPhase);
            if (i == 0 || w * h < bw * bh || (w * h == bw * bh && phase.size() < bestPhase.size()))
                bestPhase = phase;
            b.step();
        }
        auto [it, isNew] = byShape.try_emplace(key, Found{o.fate, o.period, o.dx, o.dy, bestPhase, origin});
        ++it->second.count;
        if (!isNew && origin.size() < it->second.origin.size()) it->second.origin = origin;
    }

    // Classifies a start pattern; if the whole thing does not settle, looks at
    // the separate objects it left behind.
    void explore(const Cells& start, int maxGenerations) {
        Outcome o = run(Board::from(start), maxGenerations);
        ++fates[o.fate];
        if (o.fate == Fate::Oscillator || o.fate == Fate::Spaceship) {
            add(o, normalized(start));
            return;
        }
        if (o.fate != Fate::Grows && o.fate != Fate::Unsettled) return;
        for (const Cells& obj : splitObjects(o.settled.cells(), 3)) {
            Outcome part = run(Board::from(normalized(obj)), maxGenerations);
            add(part, normalized(start));
        }
    }
};

// ---------------------------------------------------------------------------
// Direct spaceship search, one row at a time
// ---------------------------------------------------------------------------
//
// We look for a pattern that, after `period` steps, is the same pattern moved
// `up` rows up and `right` columns right. Write R(t, r) for row r of
// generation t, 0 <= t < period. Generation `period` is generation 0 moved,
// so every row of every generation is one of these. The rows of all
// generations are put in one sequence, row (t, r) at position
//     e(t, r) = period*r + up*t + t / (period / g),   g = gcd(period, up),
// which numbers each row exactly once. The rule,
//     R(t+1, r) = step(R(t, r-1), R(t, r), R(t, r+1)),
// then links the row at position e with the rows at e - period and
// e - 2*period and one row a little before e - period + up, all earlier in
// the sequence. So rows can be chosen one position at a time, each checked at
// once against earlier ones. The search state is the last 2*period rows plus
// the generation of the next row; a breadth-first walk from "all empty" back
// to "all empty" spells out a spaceship. Rows can be required to be
// left-right symmetric to make wider searches affordable.

struct ShipQuery {
    int period, up, right, width;
    bool mirror;  // rows must be left-right symmetric (only sensible with right == 0)
};

constexpr int kRowOffset = 24;  // bit of the leftmost column of a row

// All allowed rows, each as a 64-bit row word.
std::vector<uint64_t> allowedRows(const ShipQuery& q) {
    std::vector<uint64_t> rows;
    for (uint64_t m = 0; m < (1ull << q.width); ++m) {
        if (q.mirror) {
            uint64_t flipped = 0;
            for (int x = 0; x < q.width; ++x)
                if (m >> x & 1) flipped |= 1ull << (q.width - 1 - x);
            if (flipped != m) continue;
        }
        rows.push_back(m << kRowOffset);
    }
    return rows;
}

using Key = unsigned __int128;  // packed row indices, plus the next position mod period
struct KeyHash {
    size_t operator()(Key k) const {
        uint64_t a = static_cast<uint64_t>(k), b = static_cast<uint64_t>(k >> 64);
        return a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull + (a >> 7));
    }
};

// Returns generation 0 of a spaceship (empty if none was found before the
// search had seen `maxStates` states).
Cells searchShip(const ShipQuery& q, size_t maxStates, size_t* statesSeen = nullptr) {
    const std::vector<uint64_t> rows = allowedRows(q);
    const int p = q.period, window = 2 * p;
    const int g = std::gcd(p, q.up), pg = p / g;
    int bits = 1;
    while ((1ull << bits) < rows.size()) ++bits;
    if (bits * window > 120 || q.up <= 0 || 2 * q.up > p) return {};

    // For each position mod p: how far back (beyond e - p + up) the row of the
    // next generation sits, and whether it is generation 0 again (moved).
    std::vector<int> back(p);  // the row to be chosen must make the row this far back
    std::vector<bool> wraps(p);
    for (int t = 0; t < p; ++t) {
        int pos = (q.up * t + t / pg) % p;
        wraps[pos] = t == p - 1;
        back[pos] = p - q.up + (wraps[pos] ? g - 1 : t / pg - (t + 1) / pg);
    }
    // Look-ahead: the row chosen at position e must itself be made later, by
    // the row at e + ahead[e mod p] (together with rows that are known now).
    std::vector<int> ahead(p);
    for (int pos = 0; pos < p; ++pos)
        for (int later = 0; later < p; ++later)
            if ((pos + back[later]) % p == later) ahead[pos] = back[later];
    std::unordered_map<uint64_t, size_t> indexOf;
    for (size_t i = 0; i < rows.size(); ++i) indexOf[rows[i]] = i;

    const Key rowMask = (Key(1) << (bits * window)) - 1;
    auto rowOf = [&](Key key, int age) {  // age 1 = the newest row in the state
        return rows[static_cast<uint64_t>(key >> (bits * (age - 1))) & ((1ull << bits) - 1)];
    };
    auto phaseOf = [&](Key key) { return static_cast<int>(key >> 124); };

    std::unordered_map<Key, Key, KeyHash> parent{{0, 0}};  // state -> previous state
    std::vector<Key> queue{0};
    for (size_t head = 0; head < queue.size(); ++head) {
        const Key key = queue[head];
        const int pos = phaseOf(key);  // position mod p of the row to be chosen
        const uint64_t above2 = rowOf(key, window), above1 = rowOf(key, p);
        uint64_t target = rowOf(key, back[pos]);
        if (wraps[pos]) target = std::rotl(target, q.right);
        // Which rows could the row at e + ahead be made from? Mark them.
        const int a = ahead[pos], later = (pos + a) % p;
        std::vector<char> canBeMade(rows.size(), 0);
        for (uint64_t x : rows) {
            uint64_t made = stepRow(rowOf(key, 2 * p - a), rowOf(key, p - a), x);
            if (wraps[later]) made = std::rotr(made, q.right);
            if (auto it = indexOf.find(made); it != indexOf.end()) canBeMade[it->second] = 1;
        }
        const Key next = Key((pos + 1) % p) << 124;
        for (uint64_t c = 0; c < rows.size(); ++c) {
            if (!canBeMade[c] || stepRow(above2, above1, rows[c]) != target) continue;
            const Key child = (((key << bits) | c) & rowMask) | next;
            if ((child & rowMask) == 0 && (key & rowMask) != 0) {  // back to empty
                std::vector<uint64_t> sequence;                    // sequence[e] = row at position e
                for (Key k = key; k != 0; k = parent[k]) sequence.push_back(rowOf(k, 1));
                std::reverse(sequence.begin(), sequence.end());
                Cells cells;  // generation 0 holds the positions that are multiples of p
                for (size_t e = 0; e < sequence.size(); e += p)
                    for (int x = 0; x < 64; ++x)
                        if (sequence[e] >> x & 1) cells.push_back({x, static_cast<int>(e / p)});
                if (statesSeen) *statesSeen = parent.size();
                if (!cells.empty()) return normalized(cells);
                continue;
            }
            if (parent.size() < maxStates && parent.try_emplace(child, key).second) queue.push_back(child);
        }
    }
    if (statesSeen) *statesSeen = parent.size();
    return {};
}

// ---------------------------------------------------------------------------
// Independent check: plain cell-by-cell stepping on a torus of any size
// ---------------------------------------------------------------------------

using Grid = std::vector<std::string>;  // rows of '.' and 'X'

Grid naiveStep(const Grid& g) {
    int h = static_cast<int>(g.size()), w = static_cast<int>(g[0].size());
    Grid next(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int s = 0;  // live cells in the 3x3 block, the cell included
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) s += g[(y + dy + h) % h][(x + dx + w) % w] == 'X';
            bool alive = g[y][x] == 'X';
            if (s == 3 || (alive && s == 2)) next[y][x] = 'X';
        }
    return next;
}

Grid shifted(const Grid& g, int dx, int dy) {
    int h = static_cast<int>(g.size()), w = static_cast<int>(g[0].size());
    Grid out(h, std::string(w, '.'));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out[((y + dy) % h + h) % h][((x + dx) % w + w) % w] = g[y][x];
    return out;
}

// True if after `period` steps the grid equals itself moved by (dx, dy) and
// no earlier step already did (so `period` is the true period).
bool verifyGrid(const Grid& start, int period, int dx, int dy, bool print) {
    Grid g = start;
    for (int t = 1; t <= period; ++t) {
        g = naiveStep(g);
        bool same = true;
        for (int sx = -t; sx <= t && same; ++sx)  // does any smaller period work?
            for (int sy = -t; sy <= t; ++sy)
                if (t < period && g == shifted(start, sx, sy)) {
                    same = false;
                    break;
                }
        if (!same) {
            if (print) std::printf("  repeats already after %d steps\n", t);
            return false;
        }
        if (print) {
            std::printf("  step %d:\n", t);
            for (auto& row : g) std::printf("    %s\n", row.c_str());
        }
    }
    return g == shifted(start, dx, dy);
}

Grid placeOnTorus(const Cells& shape, int w, int h, int left, int top) {
    Grid g(h, std::string(w, '.'));
    for (auto c : shape) g[(c.y + top) % h][(c.x + left) % w] = 'X';
    return g;
}

int verifyFile(const char* path, int period, int dx, int dy) {
    std::ifstream in(path);
    Grid g;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) g.push_back(line);
    }
    if (g.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    for (auto& row : g)
        if (row.size() != g[0].size() || row.find_first_not_of(".X") != std::string::npos) {
            std::fprintf(stderr, "%s: rows must be equal length, only '.' and 'X'\n", path);
            return 2;
        }
    std::printf("%s: %zux%zu board, expecting period %d, displacement (%d,%d)\n", path, g[0].size(),
                g.size(), period, dx, dy);
    bool ok = verifyGrid(g, period, dx, dy, true);
    std::printf("%s\n", ok ? "VERIFIED" : "FAILED");
    return ok ? 0 : 1;
}

const char* fateName(Fate f) {
    switch (f) {
        case Fate::Oscillator:
            return "oscillator";
        case Fate::Spaceship:
            return "spaceship";
        case Fate::Dies:
            return "dies";
        case Fate::StillLife:
            return "still life";
        case Fate::Grows:
            return "grows";
        case Fate::Unsettled:
            return "unsettled";
        default:
            return "other";
    }
}

void report(const Found& f) {
    auto [w, h] = boxSize(f.shape);
    std::printf("%s  period %d  displacement (%d,%d)  box %dx%d  cells %zu  seen %d times\n",
                fateName(f.fate), f.period, f.dx, f.dy, w, h, f.shape.size(), f.count);
    auto origin = toRows(f.origin);
    auto shape = toRows(f.shape);
    std::printf("  smallest phase:%*s  from start pattern:\n", std::max(0, w - 14), "");
    for (size_t i = 0; i < std::max(shape.size(), origin.size()); ++i) {
        std::string a = i < shape.size() ? shape[i] : std::string(w, ' ');
        std::string b = i < origin.size() ? origin[i] : "";
        std::printf("    %-*s    %s\n", std::max(w, 12), a.c_str(), b.c_str());
    }
    // Independent check with the plain stepper, on a torus with a margin.
    int margin = 4 + std::abs(f.dx) + std::abs(f.dy);
    Grid g = placeOnTorus(f.shape, w + 2 * margin, h + 2 * margin, margin, margin);
    bool ok = verifyGrid(g, f.period, f.dx, f.dy, false);
    std::printf("  independent check (plain stepper, %dx%d torus): %s\n\n", w + 2 * margin, h + 2 * margin,
                ok ? "VERIFIED" : "FAILED");
}

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

// True for exactly one mask per shape whose bounding box is at most n x n,
// and at least n wide or tall: it must sit in the top-left corner and be the
// smallest among its rotations and reflections.
bool isCanonicalMask(uint32_t mask, int n) {
    if (maskToCorner(mask, n) != mask) return false;
    int width = 0, height = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (mask >> (y * n + x) & 1) {
                width = std::max(width, x + 1);
                height = std::max(height, y + 1);
            }
    if (width < n && height < n) return false;  // already tried in a smaller box
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

}  // namespace

int main(int argc, char** argv) {
    int box = 5, soups = 20000;
    unsigned seed = 1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--verify" && i + 4 < argc)
            return verifyFile(argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                              std::atoi(argv[i + 4]));
        else if (a == "--ship" && i + 5 < argc) {
            ShipQuery q{std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), std::atoi(argv[i + 3]),
                        std::atoi(argv[i + 4]), std::atoi(argv[i + 5]) != 0};
            size_t states = 0;
            Cells c = searchShip(q, 4000000, &states);
            std::printf("states %zu\n", states);
            for (auto& r : toRows(c)) std::printf("%s\n", r.c_str());
            std::printf("%s\n", c.empty() ? "none" : "found");
            return 0;
        } else if (a == "--box" && i + 1 < argc)
            box = std::clamp(std::atoi(argv[++i]), 1, 6);
        else if (a == "--soups" && i + 1 < argc)
            soups = std::atoi(argv[++i]);
        else if (a == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::atoll(argv[++i]));
        else {
            std::fprintf(stderr, "unknown option %s (see the comment at the top of the file)\n", a.c_str());
            return 2;
        }
    }
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - t0).count(); };
    Catalogue cat;

    // 1. Every pattern in an n x n box, one per symmetry class. A pattern is
    //    taken only if it touches the top row and the left column, so each
    //    shape is tried at one position.
    long tried = 0;
    for (int n = 1; n <= box; ++n) {
        for (uint32_t mask = 1; mask < (1u << (n * n)); ++mask) {
            if (!isCanonicalMask(mask, n)) continue;
            ++tried;
            cat.explore(cellsFromMask(mask, n), 300);
        }
        std::printf("box %dx%d done: %ld shapes tried, %.1f s\n", n, n, tried, seconds());
        std::fflush(stdout);
    }

    // 2. Random soups in boxes from 6x6 to 16x16.
    std::mt19937_64 rng(seed);
    for (int s = 0; s < soups; ++s) {
        int n = 6 + static_cast<int>(rng() % 11);
        double density = 0.25 + 0.5 * (rng() % 1000) / 1000.0;
        Cells c;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if ((rng() % 1000) < density * 1000) c.push_back({x, y});
        cat.explore(c, 600);
    }
    std::printf("%d soups done, %.1f s\n", soups, seconds());
    for (auto [fate, count] : cat.fates) std::printf("  %-10s %ld start patterns\n", fateName(fate), count);
    std::printf("\n");

    // 3. Report: spaceships, then the smallest oscillator of each period.
    std::vector<const Found*> ships;
    std::map<int, std::vector<const Found*>> oscillators;
    for (auto& [key, f] : cat.byShape) {
        if (f.fate == Fate::Spaceship)
            ships.push_back(&f);
        else
            oscillators[f.period].push_back(&f);
    }
    auto smaller = [](const Found* a, const Found* b) {
        auto [aw, ah] = boxSize(a->shape);
        auto [bw, bh] = boxSize(b->shape);
        return std::pair(aw * ah, a->shape.size()) < std::pair(bw * bh, b->shape.size());
    };
    std::printf("== spaceships: %zu kinds ==\n", ships.size());
    std::sort(ships.begin(), ships.end(), smaller);
    for (size_t i = 0; i < ships.size() && i < 5; ++i) report(*ships[i]);
    for (auto& [period, list] : oscillators) {
        std::sort(list.begin(), list.end(), smaller);
        std::printf("== period %d oscillators: %zu kinds, smallest: ==\n", period, list.size());
        for (size_t i = 0; i < list.size() && i < 3; ++i) report(*list[i]);
    }
    std::printf("total time %.1f s\n", seconds());
}
