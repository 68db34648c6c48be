#pragma once

// Internal: a pool for values that exist only for a moment as a document's values, while a
// record that knows only its document is written or read on the bulk path.

#include <cstddef>

#include "../json/json_object.h"

namespace trx::detail {

class ScratchPool {
public:
    ScratchPool() : m_pool(m_buffer, sizeof(m_buffer)) {}
    ScratchPool(const ScratchPool&) = delete;
    ScratchPool& operator=(const ScratchPool&) = delete;

    // The pool while it is held; emptied when the last of nested users lets go.
    class User {
    public:
        explicit User(ScratchPool& p) : m_p(p) { ++m_p.m_users; }
        ~User() {
            if (--m_p.m_users == 0) m_p.m_pool.Clear();
        }
        User(const User&) = delete;
        User& operator=(const User&) = delete;
        JsonAllocator& allocator() { return m_p.m_pool; }

    private:
        ScratchPool& m_p;
    };

private:
    alignas(std::max_align_t) char m_buffer[2048];
    JsonAllocator m_pool;
    unsigned m_users = 0;
};

}  // namespace trx::detail
