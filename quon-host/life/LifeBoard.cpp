#include "quon-host/life/LifeBoard.h"

#include <algorithm>
#include <random>
#include <stdexcept>

namespace quon_host {

namespace {

struct Pattern {
    const char* name;
    std::vector<std::string> rows;
    bool acrossTheBoard;  // a tile repeated across the whole width
};

const std::vector<Pattern>& Patterns() {
    static const std::vector<Pattern> patterns = {
        {"wave", {".XXX", ".X.X", ".X.X", "XX..", ".X.."}, true},  // moves 2 right, 1 up every 4 steps
        {"flipper", {".XX", "X.X", "X.."}, false},                 // period 2
        {"comb", {"X.X.X", "X.X.X", "..X..", "X...X", "X.X.X"}, false},  // period 3
        {"spinner", {"XXXX", "...X", "X..."}, false},                    // period 4
        {"pingpong", {"X.X...X", "X.X...X", "...X..."}, false},          // period 14
        {"glider", {".X.", "..X", "XXX"}, false},                        // settles after one step
    };
    return patterns;
}

}  // namespace

std::vector<std::string> PatternNames() {
    std::vector<std::string> names;
    for (const Pattern& pattern : Patterns()) names.push_back(pattern.name);
    return names;
}

LifeBoard PatternBoard(const std::string& name, int width, int height) {
    const auto found = std::find_if(Patterns().begin(), Patterns().end(),
                                    [&](const Pattern& pattern) { return pattern.name == name; });
    if (found == Patterns().end()) throw std::runtime_error("no pattern '" + name + "'");
    const int rows = static_cast<int>(found->rows.size());
    const int columns = static_cast<int>(found->rows[0].size());
    // Oscillators swing one cell beyond their box: a margin of one keeps them off themselves.
    const int margin = found->acrossTheBoard ? 0 : 1;
    if (width < columns + 2 * margin || height < rows + 2 * margin ||
        (found->acrossTheBoard && width % columns != 0))
        throw std::runtime_error(
            "the " + name + " needs a board of at least " + std::to_string(columns + 2 * margin) + "x" +
            std::to_string(rows + 2 * margin) +
            (found->acrossTheBoard ? " whose width is a multiple of " + std::to_string(columns)
                                   : std::string()));
    LifeBoard board(height, std::vector<std::int64_t>(width, 0));
    const int top = (height - rows) / 2;
    const int left = found->acrossTheBoard ? 0 : (width - columns) / 2;
    const int right = found->acrossTheBoard ? width : left + columns;
    for (int r = 0; r < rows; ++r)
        for (int c = left; c < right; ++c)
            board[top + r][c] = found->rows[r][(c - left) % columns] == 'X' ? 1 : 0;
    return board;
}

LifeBoard SoupBoard(int width, int height, std::uint64_t seed, double density) {
    std::mt19937_64 generator(seed);
    std::bernoulli_distribution alive(density);
    LifeBoard board(height, std::vector<std::int64_t>(width, 0));
    for (auto& row : board)
        for (auto& cell : row) cell = alive(generator) ? 1 : 0;
    return board;
}

Value BoardValue(const LifeBoard& board) {
    std::vector<Value> rows;
    for (const auto& row : board) {
        std::vector<Value> cells;
        for (std::int64_t cell : row) cells.push_back(Value::Int(cell));
        rows.push_back(Value::Array(cells));
    }
    return Value::Array(rows);
}

}  // namespace quon_host
