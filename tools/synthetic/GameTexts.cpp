#include "tools/synthetic/GameTexts.h"

#include <filesystem>

#include "tools/synthetic/GameData.h"

using vqt::test::TextRecord;

namespace {

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Use(const WrittenText& text) {
    return "\"" + Utf8(text.shown) + "\" (" + text.name + ", " + text.source + ")";
}

} // namespace

uint32_t AddGameText(GameData& data, uint16_t entry, const std::vector<TextRecord>& records, const std::string& name,
                     SourcePlace where) {
    WrittenText text{.chunk = vqt::test::TextRecords(records),
                     .shown = records.empty() ? std::u16string() : records.front().text,
                     .name = name,
                     .source = std::filesystem::path(where.file_name()).filename().string() + ":" +
                               std::to_string(where.line())};
    const uint32_t id = vqt::test::ChunkIdOf(GameData::kMessages, entry);
    const auto [written, added] = data.writtenTexts.try_emplace(entry, text);
    if (!added) {
        if (written->second.chunk == text.chunk) return id;
        throw TextClash("text {17, 0, " + std::to_string(entry) + "} written twice: " + Use(written->second) +
                        ", then " + Use(text));
    }
    return data.file.AddChunk(GameData::kMessages, text.chunk, {.entry = entry, .name = name});
}

uint32_t AddGameText(GameData& data, uint16_t entry, std::u16string_view english, const std::string& name,
                     SourcePlace where) {
    return AddGameText(data, entry, {TextRecord{.id = 10, .text = std::u16string(english)}}, name, where);
}

uint32_t AddGameTextById(GameData& data, ChunkId id, std::u16string_view english, const std::string& name,
                         SourcePlace where) {
    return AddGameText(data, ChunkEntryOf(id), english, name, where);
}
