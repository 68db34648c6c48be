#pragma once

// Internal helpers of the visualization records.

#include <algorithm>
#include <memory>
#include <vector>

#include "../detail/fields.h"
#include "../detail/trace.h"

namespace trx::detail {

// Records that hold sub-records through shared pointers compare them by value.
template <class T>
bool samePointee(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) {
    return a && b ? *a == *b : a == b;
}

// Same length, same order, each pair equal by value.
template <class T>
bool sameItems(const std::vector<std::shared_ptr<T>>& a, const std::vector<std::shared_ptr<T>>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), samePointee<T>);
}

}  // namespace trx::detail

