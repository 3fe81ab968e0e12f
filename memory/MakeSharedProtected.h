// make_shared for classes whose constructor is not public: object and reference counts
// share one heap block, and enable_shared_from_this works right after construction.
#pragma once

#include <memory>

namespace zul {

template <class T>
std::shared_ptr<T> make_shared_protected() {
    struct mkshare_helper : public T {
        mkshare_helper() : T() {}
    };
    return std::make_shared<mkshare_helper>();
}

}  // namespace zul
