// The two opening movies that the timed screen 3 queues ({18, 0, 9} and {18, 0, 1}: short
// clips whose frames name themselves, with a tone each) and the sign-in name filter's list of
// blocked words (harmless stand-ins: the part file, not the code, holds the list).
#include <string>

#include "tools/synthetic/GameData.h"
#include "tools/builders/MovieClips.h"

namespace {

/// 15-byte entries, each a word padded with NUL bytes.
vqt::test::Bytes BlockedWords() {
    vqt::test::Bytes list;
    for (const char* word : {"badword", "meanword", "rudeword", "grumbleberries"}) {
        std::string entry(word);
        entry.resize(15, '\0');
        list.insert(list.end(), entry.begin(), entry.end());
    }
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
