#pragma once

// Base of the modeller layer: export mark, the modeller's basic types and its allocator.

#include <cstddef>
#include <cstdint>

// The layer lives in a static library that the shared library links; everything marked here
// stays visible from the shared library, so a program sees one copy of the modeller's state.
#if defined(_WIN32)
#  define DECL_KERN
#else
#  define DECL_KERN __attribute__((visibility("default")))
#endif

// The modeller's truth value.
typedef int logical;

// Byte offset in a save file.
typedef std::int64_t FilePosition;

// Every modeller object is allocated through these operators. ACIS_NEW passes the call site,
// where the real modeller records it; here allocations are only counted.
class DECL_KERN ACIS_OBJECT {
public:
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const char* file, int line);
    static void operator delete(void* p) noexcept;
    static void operator delete(void* p, const char* file, int line) noexcept;
};

#define ACIS_NEW new (__FILE__, __LINE__)

// Number of modeller objects allocated through ACIS_OBJECT and not yet freed.
DECL_KERN std::size_t acis_live_objects();
