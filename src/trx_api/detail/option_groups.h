#pragma once

// Internal: how every option group reads, writes and compares itself through its fields().

#include "../trx_api_option_groups.h"
#include "fields.h"
#include "trace.h"

namespace trx::detail {

template <class G>
void readGroup(G& group, const JsonValue& value, const char* className) {
    if (!json::isObjectOrLog(value, className)) return;
    group.IFormatOptions::readObject(value);  // a mismatch is only logged
    G::fields(group, json::Reader{value});
}

template <class G>
void writeGroup(const G& group, JsonValue& value, JsonAllocator& allocator) {
    group.IFormatOptions::writeObject(value, allocator);
    G::fields(group, json::Writer{value, allocator});
}

}  // namespace trx::detail

// className is the name the group's ERROR record uses.
#define TRX_DEFINE_OPTION_GROUP(Class, className)                                         \
    void Class::readObject(const JsonValue& value) {                                      \
        TRX_TRACE();                                                                      \
        detail::readGroup(*this, value, className);                                       \
    }                                                                                     \
    void Class::writeObject(JsonValue& value, JsonAllocator& allocator) const {           \
        TRX_TRACE();                                                                      \
        detail::writeGroup(*this, value, allocator);                                      \
    }                                                                                     \
    bool Class::operator==(const Class& other) const { return json::sameFields(*this, other); }
