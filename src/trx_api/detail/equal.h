#pragma once

// Internal: equality of record members. Records hold sub-records through shared pointers;
// two records are equal when what the pointers reach is equal, not when they share it.

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace trx::detail {

template <class T>
bool same(const T& a, const T& b) {
    return a == b;
}
template <class T>
bool same(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b) {
    return a == b || (a && b && *a == *b);
}
template <class A, class B>
bool same(const std::pair<A, B>& a, const std::pair<A, B>& b) {
    return same(a.first, b.first) && same(a.second, b.second);
}
template <class T, std::size_t N>
bool same(const std::array<T, N>& a, const std::array<T, N>& b) {
    for (std::size_t i = 0; i < N; ++i)
        if (!same(a[i], b[i])) return false;
    return true;
}
template <class T, std::size_t N>
bool same(const T (&a)[N], const T (&b)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (!same(a[i], b[i])) return false;
    return true;
}
template <class T>
bool same(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!same(a[i], b[i])) return false;
    return true;
}
template <class T, class C>
bool same(const std::set<T, C>& a, const std::set<T, C>& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (!same(*i, *j)) return false;
    return true;
}
template <class K, class V, class C>
bool same(const std::map<K, V, C>& a, const std::map<K, V, C>& b) {
    if (a.size() != b.size()) return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
        if (!(i->first == j->first) || !same(i->second, j->second)) return false;
    return true;
}

}  // namespace trx::detail
