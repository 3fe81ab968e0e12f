// Static construction order of the runtime's load-time objects inside one module.
// Static objects in different files have no defined order, so each load-time object
// carries one of these priorities: __attribute__((init_priority(QUON_LOAD_ORDER_...))).
#pragma once

#define QUON_LOAD_ORDER_LIBRARY_OBJECT 1001  // the library object with its version records
#define QUON_LOAD_ORDER_FRAMEWORK_INFO 1002  // the framework information record and its options
#define QUON_LOAD_ORDER_TYPE_CONSTANTS 1003  // the built-in type constants
#define QUON_LOAD_ORDER_MESSAGES 1004        // the evaluator's message table
