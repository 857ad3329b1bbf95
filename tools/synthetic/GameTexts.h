#pragma once
// The game's texts ({17, 0, n}) as the generator writes them. Several screens name the same
// text (a caption, an end title) and may each write it, word for word; two different texts
// under one id would leave one screen showing the other's words, so that stops the generator.
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data/ChunkId.h"
#include "tools/builders/ChunkFileBuilder.h"

struct GameData;

/// Where a call was written: a file and a line. The project keeps its own type for this because
/// the sanitizer build's compiler (clang 14) lacks the built-in that the standard library's
/// std::source_location needs, so that header declares nothing there. As a default argument,
/// current() names the caller's place.
struct SourcePlace {
    const char* file = "";
    uint32_t at = 0;
    static constexpr SourcePlace current(const char* file = __builtin_FILE(), uint32_t at = __builtin_LINE()) {
        return {file, at};
    }
    constexpr const char* file_name() const { return file; }
    constexpr uint32_t line() const { return at; }
};

/// A text the generator has written, and where.
struct WrittenText {
    vqt::test::Bytes chunk;
    std::u16string shown; ///< the first record's text
    std::string name;
    std::string source;   ///< file:line of the call that wrote it
};
using WrittenTexts = std::map<uint16_t, WrittenText>;

/// A second, different text under an id already written; its message names the id, both texts,
/// their chunk names and the calls that wrote them.
class TextClash : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Adds text {17, 0, entry} of the records (one per language) and answers its chunk id. The
/// same records again under the entry add nothing; different ones throw TextClash.
uint32_t AddGameText(GameData& data, uint16_t entry, const std::vector<vqt::test::TextRecord>& records,
                     const std::string& name, SourcePlace where = SourcePlace::current());
/// The same for an English-only text.
uint32_t AddGameText(GameData& data, uint16_t entry, std::u16string_view english, const std::string& name,
                     SourcePlace where = SourcePlace::current());
/// The same for an English-only text that the game names by its chunk id {17, 0, entry}.
uint32_t AddGameTextById(GameData& data, ChunkId id, std::u16string_view english, const std::string& name,
                         SourcePlace where = SourcePlace::current());
