// The two opening movies that the timed screen 3 queues ({18, 0, 9} and {18, 0, 1}: short
// clips whose frames name themselves, with a tone each) and the sign-in name filter's list of
// blocked words, the generator's data file BlockedWords.txt (the part file, not the code, holds
// the list the game reads).
#include <string>
#include <string_view>

#include "tools/synthetic/GameData.h"
#include "tools/builders/MovieClips.h"

namespace {

constexpr std::string_view kBlockedWordsFile =
#include "tools/synthetic/BlockedWords.txt"
    ;

/// The filter's entry size and count, and what it compares: lower-case pieces of a name.
constexpr size_t kEntryBytes = 15;
constexpr size_t kMaxEntries = 564;

/// Calls `word` with each word of the file (its lines that are neither empty nor notes).
template <class Word>
constexpr void ForEachWord(Word word) {
    for (size_t at = 0; at < kBlockedWordsFile.size();) {
        size_t end = kBlockedWordsFile.find('\n', at);
        if (end == std::string_view::npos) end = kBlockedWordsFile.size();
        const std::string_view line = kBlockedWordsFile.substr(at, end - at);
        if (!line.empty() && line[0] != '#') word(line);
        at = end + 1;
    }
}

/// Whether every word fits an entry and is lower-case letters only, and the list fits the filter.
constexpr bool WordsFit() {
    size_t count = 0;
    bool fit = true;
    ForEachWord([&](std::string_view w) {
        ++count;
        fit = fit && w.size() <= kEntryBytes;
        for (const char c : w) fit = fit && c >= 'a' && c <= 'z';
    });
    return fit && count > 0 && count <= kMaxEntries;
}
static_assert(WordsFit(), "BlockedWords.txt: a word longer than 15 letters, not lower-case letters, or too many words");

/// 15-byte entries, each a word padded with NUL bytes.
vqt::test::Bytes BlockedWords() {
    vqt::test::Bytes list;
    ForEachWord([&](std::string_view word) {
        std::string entry(word);
        entry.resize(kEntryBytes, '\0');
        list.insert(list.end(), entry.begin(), entry.end());
    });
    return list;
}

} // namespace

void AddMoviesAndWords(GameData& data) {
    data.file.AddChunk(GameData::kMovies,
                       vqt::test::MakeMovieClip({.width = 320, .height = 240, .frames = 45, .toneHz = 330.0}),
                       {.entry = 1, .name = "opening movie 2"});
    data.file.AddChunk(GameData::kMovies,
                       vqt::test::MakeMovieClip({.width = 320, .height = 240, .frames = 30, .toneHz = 440.0}),
                       {.entry = 9, .name = "opening movie 1"});
    data.file.AddChunk(GameData::kTexts, BlockedWords(), {.name = "blocked_words"});
}
