#pragma once
#include <cstdint>

struct CCheatCode;

/// The engine's table of typed debug keywords (21 entries and the end), which the application
/// adds to its keyword service.
const CCheatCode* xDebug_KeywordTable();

