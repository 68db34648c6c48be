#pragma once

// Internal: what the manufacturing, misc and root records share beside the field helpers.

#include <algorithm>
#include <memory>
#include <vector>

#include "../detail/fields.h"
#include "../detail/trace.h"

namespace trx::detail {

// Deep equality through shared pointers: both null, or both set and equal.
template <class T>
bool samePtr(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) {
    return a && b ? *a == *b : a == b;
}

template <class T>
bool sameList(const std::vector<std::shared_ptr<T>>& a, const std::vector<std::shared_ptr<T>>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), samePtr<T>);
}

// Lists refuse null entries with a WARNING naming the operation.
template <class T, class U>
void addOrWarn(std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<U>& item, const char* text) {
    if (!item) {
        logText(vx_bridge::kWarning, text);
        return;
    }
    list.push_back(item);
}

}  // namespace trx::detail
