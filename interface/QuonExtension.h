// Everything an extension library includes: one header.
//
//   externlib/ArrayView.h        ArrayView<E>, the borrowed array parameter
//   externlib/NewArray.h         NewArray<E>, the owned array result
//   externlib/Caster.h           the conversion rule of each bound type (numbers, strings, arrays,
//                                vectors, registered classes)
//   externlib/CasterRules.h      the rules as concepts, checked where a row is added
//   externlib/Adapter.h          the generated adapter and type string of a native function
//   externlib/RecordBinding.h    structures as records
//   externlib/CallbackWrapper.h  Quon functions as std::function parameters
//   externlib/HandAdapters.h     adapters written by hand (a single argument at frame offset 0)
//   externlib/Error.h            Error, what a bound function throws to report a failure
//   memory/InterModuleProxy.h    the text a custom type's row gives the host
//   interface/LibraryBuilder.h   DescribeLibrary and its LibraryBuilder
#pragma once

#include "externlib/Adapter.h"
#include "externlib/ArrayView.h"
#include "externlib/CallbackWrapper.h"
#include "externlib/Caster.h"
#include "externlib/CasterRules.h"
#include "externlib/Error.h"
#include "externlib/HandAdapters.h"
#include "externlib/NewArray.h"
#include "externlib/RecordBinding.h"
#include "interface/LibraryBuilder.h"
#include "memory/InterModuleProxy.h"
