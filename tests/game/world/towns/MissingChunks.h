#pragma once
// The traces a run leaves when it asks the part file for a chunk that is not there: a voice,
// a part, a frame or a movie.
#include <string>
#include <vector>

namespace vqt::test {

/// The lines of `trace` that report a missing chunk, one a line; empty when none does.
inline std::string MissingChunkTraces(const std::string& trace) {
    static const std::vector<std::string> kMarks = {"non existent snippet", "NULL part", "cannot be read",
                                                    "chunkID not found", "Unable to access"};
    std::string found;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos) end = trace.size();
        const std::string line = trace.substr(start, end - start);
        for (const std::string& mark : kMarks)
            if (line.find(mark) != std::string::npos) {
                found += line + "\n";
                break;
            }
        start = end + 1;
    }
    return found;
}

} // namespace vqt::test
