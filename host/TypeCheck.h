// The host's checks of values against the types a library publishes: the library trusts that
// every argument cell is of its row's type, so the host refuses a value of another type before
// the adapter runs.
#pragma once

#include <stdexcept>
#include <string>

#include "datatypes/DataType.h"
#include "host/Value.h"

namespace quon_host {

// A call the host refused, or a callback whose result had the wrong type.
class CallError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when `value` is of type `expected`: Int, Float, Bool and String cells of those types (or
// of a combined prime type holding theirs), arrays whose elements all conform, records with
// exactly the attributes of an exact record type (at least them for an extendable one), custom
// objects of the named type, functions of the expected number of arguments; anything for a type
// variable.
bool Conforms(const Value& value, const QUON_DataTypes::DataType& expected);

}  // namespace quon_host
