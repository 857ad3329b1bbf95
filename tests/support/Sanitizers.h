#pragma once
// Whether this program is built with AddressSanitizer: g++ says so with __SANITIZE_ADDRESS__,
// clang only through __has_feature. Slow cases run fewer rounds there.

#if defined(__SANITIZE_ADDRESS__)
#define VQT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VQT_ASAN 1
#endif
#endif
