#pragma once
// The captions the game can speak, read out of its sources: the game keeps each screen's voice
// lines in constant tables beside the code that speaks them, their captions as string literals.
#include <string>
#include <vector>

namespace vqt::test {

/// A text that a table or a named constant of the game's sources holds, and where.
struct SourceText {
    std::string text;  ///< its bytes, escapes resolved and adjacent literals joined
    std::string place; ///< file (below the root) and line
};

/// The string literals of one source: those in brace initializers and in the values of
/// constants, outside every function body; comments, characters and preprocessor lines skipped.
std::vector<SourceText> TableTexts(const std::string& source, const std::string& file);

/// The table texts of every .cpp and .h file below `root` (the game's folder), with their paths
/// relative to root's parent.
std::vector<SourceText> GameTableTexts(const std::string& root);

} // namespace vqt::test
