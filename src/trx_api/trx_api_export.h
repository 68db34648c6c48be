#pragma once

// Only what carries this mark is visible outside the shared library.
#if defined(_WIN32)
#  if defined(TRX_API_BUILDING)
#    define TRX_API __declspec(dllexport)
#  else
#    define TRX_API __declspec(dllimport)
#  endif
#else
#  define TRX_API __attribute__((visibility("default")))
#endif
