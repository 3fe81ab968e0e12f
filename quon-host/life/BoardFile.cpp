#include "quon-host/life/BoardFile.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "quon-host/expr/LineInput.h"

namespace quon_host {

namespace {

// A whole board of RLE on one line fits in this: a run covers at least one cell per character.
constexpr std::size_t kRleLineBound = 2'000'000;
// Room for a full board's rows with comments between them; past this a file is no board.
constexpr int kMaxLines = 100'000;

std::string Side() {
    return "a board has at most " + std::to_string(kMaxBoardSide) + " rows and columns";
}

// The lines of a board file, numbered from 1. The first can be put back once its form is known.
class Lines {
public:
    Lines(std::istream& in, const std::string& name) : in(in), name(name) {}

    // The next line, read no further than `bound` bytes (Cut() tells whether it went on); false
    // at the end of the file.
    bool Next(std::string& line, std::size_t bound) {
        if (held) {
            held = false;
            line = first;
            return true;
        }
        const expr::LineRead read = expr::ReadLine(in, line, bound);
        if (read == expr::LineRead::kEnd) return false;
        if (++number > kMaxLines)
            throw Error("a board file has at most " + std::to_string(kMaxLines) + " lines");
        cut = read == expr::LineRead::kTooLong;
        if (number == 1) first = line;
        return true;
    }
    void PutBackFirst() { held = true; }
    bool Cut() const { return cut; }
    int Number() const { return number; }
    std::runtime_error Error(const std::string& what, int line = 0) const {
        return std::runtime_error(name + ":" + std::to_string(line != 0 ? line : number) + ": " + what);
    }
    std::runtime_error FileError(const std::string& what) const {
        return std::runtime_error(name + ": " + what);
    }

private:
    std::istream& in;
    const std::string& name;
    int number = 0;
    bool cut = false;
    bool held = false;
    std::string first;
};

bool Blank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

std::string Shown(char c) {
    return c >= 0x20 && c < 0x7f ? "'" + std::string(1, c) + "'"
                                 : "byte " + std::to_string(+(unsigned char)c);
}

// The cells of a row of '.' and `alive`.
std::vector<std::int64_t> Row(const std::string& line, char alive, const Lines& lines) {
    std::vector<std::int64_t> row;
    for (std::size_t column = 0; column < line.size(); ++column) {
        const char c = line[column];
        if (c != '.' && c != alive)
            throw lines.Error("column " + std::to_string(column + 1) + ": expected '.' or '" + alive +
                              "', found " + Shown(c) +
                              (c == 'O' ? " (a plaintext board's file name ends in .cells)" : ""));
        row.push_back(c == alive ? 1 : 0);
    }
    return row;
}

// The tool's own form: rows of '.' and 'X', all as long, no empty line between them.
LifeBoard ReadOwnForm(Lines& lines, const std::string& name) {
    LifeBoard board;
    int emptyLine = 0;  // the first blank line after the rows, an error unless only blank lines follow
    for (std::string line; lines.Next(line, kMaxBoardSide);) {
        if (Blank(line) && !lines.Cut()) {
            if (emptyLine == 0) emptyLine = lines.Number();
            continue;
        }
        if (emptyLine != 0) throw lines.Error("an empty line", emptyLine);
        if (board.size() == kMaxBoardSide || lines.Cut() || line.size() > kMaxBoardSide)
            throw lines.Error(Side());
        std::vector<std::int64_t> row = Row(line, 'X', lines);
        if (!board.empty() && row.size() != board[0].size())
            throw lines.Error(std::to_string(row.size()) + " cells, but line 1 has " +
                              std::to_string(board[0].size()));
        board.push_back(std::move(row));
    }
    if (board.empty()) throw std::runtime_error(name + ": no rows");
    return board;
}

// Plaintext: rows of '.' and 'O' after '!' comments; short rows and empty lines are dead cells.
LifeBoard ReadPlaintext(Lines& lines, const std::string& name) {
    LifeBoard board;
    std::size_t width = 0;
    std::size_t emptyRows = 0;  // empty lines not yet known to lie inside the board
    for (std::string line; lines.Next(line, kMaxBoardSide);) {
        if (!line.empty() && line[0] == '!') continue;
        if (Blank(line) && !lines.Cut()) {
            ++emptyRows;
            continue;
        }
        if (board.size() + emptyRows >= kMaxBoardSide || lines.Cut() || line.size() > kMaxBoardSide)
            throw lines.Error(Side());
        board.resize(board.size() + emptyRows);
        emptyRows = 0;
        board.push_back(Row(line, 'O', lines));
        width = std::max(width, board.back().size());
    }
    if (board.empty()) throw std::runtime_error(name + ": no rows");
    for (auto& row : board) row.resize(width, 0);
    return board;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct RleHeader {
    int width = 0, height = 0;
    std::string rule;
};

// "x = 3, y = 3, rule = B3/S23": the rule comes last and may hold commas (B3/S23:T40,30).
RleHeader ReadHeader(const std::string& line, const Lines& lines) {
    const std::string expected = "expected a header 'x = WIDTH, y = HEIGHT, rule = RULE'";
    RleHeader header;
    bool hasX = false, hasY = false;
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t equals = line.find('=', start);
        if (equals == std::string::npos)
            throw lines.Error(expected + ", found '" + Trimmed(line.substr(start)) + "'");
        const std::string key = Trimmed(line.substr(start, equals - start));
        if (key == "rule") {
            header.rule = Trimmed(line.substr(equals + 1));
            break;
        }
        const std::size_t comma = std::min(line.find(',', equals), line.size());
        const std::string value = Trimmed(line.substr(equals + 1, comma - equals - 1));
        start = comma + 1;
        if (key != "x" && key != "y") throw lines.Error(expected + ", found '" + key + "'");
        const bool digits = !value.empty() && value.size() <= 4 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        const int side = digits ? std::stoi(value) : 0;
        if (side < 1 || side > kMaxBoardSide)
            throw lines.Error(key + " = " + value + ": " + (key == "x" ? "the width" : "the height") +
                              " is from 1 to " + std::to_string(kMaxBoardSide));
        (key == "x" ? header.width : header.height) = side;
        (key == "x" ? hasX : hasY) = true;
    }
    if (!hasX || !hasY) throw lines.Error(expected);
    return header;
}

// Runs of b (dead) and o (alive), each after an optional count; $ ends a row, ! the cells.
BoardFile ReadRle(Lines& lines) {
    std::string line;
    do {
        if (!lines.Next(line, kRleLineBound)) throw lines.FileError("no header 'x = WIDTH, y = HEIGHT'");
    } while (!lines.Cut() && (Blank(line) || line[0] == '#'));
    const std::string tooLong = "a line longer than " + std::to_string(kRleLineBound) + " characters";
    if (lines.Cut()) throw lines.Error(tooLong);
    const RleHeader header = ReadHeader(line, lines);
    BoardFile file{LifeBoard(header.height, std::vector<std::int64_t>(header.width, 0)), header.rule};
    std::int64_t row = 0, column = 0;
    std::int64_t count = 0;  // the count read before a b, o or $; 0 when there is none
    while (lines.Next(line, kRleLineBound)) {
        if (lines.Cut()) throw lines.Error(tooLong);
        if (!line.empty() && line[0] == '#') continue;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c >= '0' && c <= '9') {
                count = count * 10 + (c - '0');
                if (count > kMaxBoardSide)
                    throw lines.Error("column " + std::to_string(i + 1) + ": a run longer than " +
                                      std::to_string(kMaxBoardSide) + " cells");
                continue;
            }
            if (c == ' ' || c == '\t') continue;
            const std::int64_t n = count == 0 ? 1 : count;
            count = 0;
            if (c == 'b' || c == 'o') {
                if (column + n > header.width)
                    throw lines.Error("row " + std::to_string(row + 1) +
                                      " is longer than the header's x = " + std::to_string(header.width));
                if (c == 'o' && row >= header.height)
                    throw lines.Error("more rows than the header's y = " + std::to_string(header.height));
                if (c == 'o') std::fill_n(file.board[row].begin() + column, n, 1);
                column += n;
            } else if (c == '$') {
                row += n;
                column = 0;
            } else if (c == '!') {
                return file;  // what follows is commentary
            } else {
                throw lines.Error("column " + std::to_string(i + 1) +
                                  ": expected a count, b, o, $ or !, found " + Shown(c));
            }
        }
    }
    throw lines.Error("the cells end without a '!'");
}

bool EndsWith(const std::string& name, const std::string& extension) {
    std::string lower = std::filesystem::path(name).extension().string();
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == extension;
}

bool LooksLikeRle(const std::string& line) {
    const std::string text = Trimmed(line);
    return (!text.empty() && text[0] == '#') ||
           (text.size() > 1 && text[0] == 'x' && Trimmed(text.substr(1)).rfind('=', 0) == 0);
}

// The neighbour counts at which a dead cell is born and a live one stays alive, as bit sets; none
// for a text that is no rule written in B/S form or the older survival/birth digits.
std::optional<std::pair<unsigned, unsigned>> ParseRule(const std::string& rule) {
    std::string text;
    for (char c : rule.substr(0, rule.find(':')))  // a bounded grid after ':' is no part of the rule
        if (c != ' ') text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    unsigned born = 0, stays = 0;
    if (text.find_first_of("bs") == std::string::npos) {  // "23/3": survival, then birth
        const std::size_t slash = text.find('/');
        if (slash == std::string::npos) return std::nullopt;
        text[slash] = 'b';
        text = "s" + text;
    }
    char part = 0;
    bool hasB = false, hasS = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == 'b' || c == 's') {
            part = c;
            (c == 'b' ? hasB : hasS) = true;
        } else if (c >= '0' && c <= '8' && part != 0) {
            (part == 'b' ? born : stays) |= 1u << (c - '0');
        } else if (c != '/' || i + 1 == text.size()) {
            return std::nullopt;
        }
    }
    if (!hasB || !hasS) return std::nullopt;
    return std::make_pair(born, stays);
}

}  // namespace

BoardFile ReadBoardFile(std::istream& in, const std::string& name) {
    Lines lines(in, name);
    if (EndsWith(name, ".rle")) return ReadRle(lines);
    if (EndsWith(name, ".cells")) return {ReadPlaintext(lines, name), ""};
    std::string first;
    if (!lines.Next(first, kRleLineBound)) throw std::runtime_error(name + ": no rows");
    lines.PutBackFirst();
    if (LooksLikeRle(first)) return ReadRle(lines);
    if (!first.empty() && (first[0] == '!' || first.find('O') != std::string::npos))
        return {ReadPlaintext(lines, name), ""};
    return {ReadOwnForm(lines, name), ""};
}

bool SameRule(const std::string& rule, const std::string& other) {
    const auto parsed = ParseRule(rule);
    return parsed && parsed == ParseRule(other);
}

LifeBoard Centered(const LifeBoard& board, int width, int height) {
    const int rows = static_cast<int>(board.size());
    const int columns = static_cast<int>(board[0].size());
    if (columns > width || rows > height)
        throw std::runtime_error("a " + std::to_string(columns) + "x" + std::to_string(rows) +
                                 " board does not fit in " + std::to_string(width) + "x" +
                                 std::to_string(height));
    LifeBoard centered(height, std::vector<std::int64_t>(width, 0));
    const int top = (height - rows) / 2, left = (width - columns) / 2;
    for (int r = 0; r < rows; ++r)
        std::copy(board[r].begin(), board[r].end(), centered[top + r].begin() + left);
    return centered;
}

}  // namespace quon_host
