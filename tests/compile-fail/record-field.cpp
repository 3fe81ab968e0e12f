// An unsupported field is reported at the field's line, with the structure and the field's type.
// expect: this record field's type has no rule
// shows: record-field.cpp:17:
// shows: RecordField<Sample, const char*>
#include <tuple>

#include "interface/QuonExtension.h"

struct Sample {
    std::int64_t count;
    const char* label;  // borrowed: a record's text must outlive the call
};

template <>
struct QUON_ExternLib::RecordBinding<Sample> {
    static constexpr auto kFields = std::make_tuple(RecordField("count", &Sample::count),
                                                    RecordField("label", &Sample::label));
    static constexpr const char* kTypeText = nullptr;
};
