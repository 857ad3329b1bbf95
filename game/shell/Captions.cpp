#include "game/shell/Captions.h"

namespace captions {

namespace {

std::vector<const char*>& Listed() {
    static std::vector<const char*> listed;
    return listed;
}

} // namespace

const std::vector<const char*>& All() { return Listed(); }

bool List(const char* caption) {
    if (caption) Listed().push_back(caption);
    return true;
}

} // namespace captions
