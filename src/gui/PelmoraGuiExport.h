#pragma once
// Export macro of the library, for the classes that other libraries derive from.

#if defined(_WIN32)
#  if defined(PELMORAGUI_BUILD)
#    define PELMORAGUI_EXPORT __declspec(dllexport)
#  else
#    define PELMORAGUI_EXPORT __declspec(dllimport)
#  endif
#else
#  define PELMORAGUI_EXPORT __attribute__((visibility("default")))
#endif
