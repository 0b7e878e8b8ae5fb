#pragma once
// Export macro of the annotation node library.

#if defined(_WIN32)
#if defined(PELMORAANNOTATIONS_BUILD)
#define PELMORAANNOTATIONS_EXPORT __declspec(dllexport)
#else
#define PELMORAANNOTATIONS_EXPORT __declspec(dllimport)
#endif
#else
#define PELMORAANNOTATIONS_EXPORT __attribute__((visibility("default")))
#endif
