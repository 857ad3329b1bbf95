#pragma once
#include <cstdint>

/// The standard name of a window message number for the message traces ("WM_PAINT", the
/// range markers such as "WM_USER" and "WM_APP"); "Unspecified" for any other number.
const char* GetWindowMessageName(uint32_t msg);
