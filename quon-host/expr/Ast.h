// The tree the parser builds. One node type for every form; which fields a node uses depends on
// its kind. Nodes are shared, so a lambda's value can keep its body alive after the tree's root
// is gone.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "host/Value.h"

namespace quon_host::expr {

struct Node {
    enum class Kind {
        Literal,  // value
        Array,    // children: the elements
        Record,   // names: the attribute names; children: their values
        Name,     // name: a lambda parameter
        Call,     // name: a parameter, built-in or row; children: the arguments
        Lambda,   // names: the parameters; children[0]: the body
        Unary,    // name: "-"; children[0]: the operand
        Binary,   // name: the operator; children: left, right
        Index,    // children: the array, the index
    };
    Kind kind;
    std::size_t column;  // where the form starts, from 1
    Value value;
    std::string name;
    std::vector<std::string> names;
    std::vector<std::shared_ptr<const Node>> children;

    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    // Ends the tree below it without recursion: a chain of 50,000 terms would need as many frames.
    ~Node();
};

using NodePtr = std::shared_ptr<const Node>;

}  // namespace quon_host::expr
