#include "quon-host/life/LifeBoard.h"

#include <random>
#include <stdexcept>

namespace quon_host {

LifeBoard GliderBoard(int width, int height) {
    if (width < 3 || height < 3) throw std::runtime_error("a glider needs a board of at least 3x3");
    LifeBoard board(height, std::vector<std::int64_t>(width, 0));
    board[0][1] = 1;                              // .X.
    board[1][2] = 1;                              // ..X
    board[2][0] = board[2][1] = board[2][2] = 1;  // XXX
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

LifeBoard ReadBoard(std::istream& in, const std::string& name) {
    LifeBoard board;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // a file with CRLF line ends
        const std::string where = name + ":" + std::to_string(number) + ": ";
        if (number > kMaxBoardSide || line.size() > kMaxBoardSide)
            throw std::runtime_error(where + "a board has at most " + std::to_string(kMaxBoardSide) +
                                     " rows and columns");
        std::vector<std::int64_t> row;
        for (std::size_t column = 0; column < line.size(); ++column) {
            const char c = line[column];
            if (c != '.' && c != 'X')
                throw std::runtime_error(
                    where + "column " + std::to_string(column + 1) + ": expected '.' or 'X', found " +
                    (c >= 0x20 && c < 0x7f ? "'" + std::string(1, c) + "'"
                                           : "byte " + std::to_string(+(unsigned char)c)));
            row.push_back(c == 'X' ? 1 : 0);
        }
        if (!board.empty() && row.size() != board[0].size())
            throw std::runtime_error(where + std::to_string(row.size()) + " cells, but line 1 has " +
                                     std::to_string(board[0].size()));
        if (row.empty()) throw std::runtime_error(where + "an empty line");
        board.push_back(std::move(row));
    }
    if (board.empty()) throw std::runtime_error(name + ": no rows");
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
