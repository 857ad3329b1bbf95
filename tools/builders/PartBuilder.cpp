#include "tools/builders/PartBuilder.h"

#include <random>
#include <utility>

#include "engine/data/PartFile.h"

namespace vqt::test {

namespace {

constexpr uint8_t kLast = 0x80;
constexpr uint8_t kWide = 0x02;
constexpr uint8_t kRun = 0x01;
constexpr uint8_t kLiteral = 0x11;
constexpr uint8_t kSkip = 0x21;

void Append(Bytes& out, uint8_t op, int count, const uint8_t* data, size_t dataBytes) {
    const bool wide = count > 255;
    out.push_back(static_cast<uint8_t>(op | (wide ? kWide : 0)));
    if (wide) out.push_back(static_cast<uint8_t>(count >> 8));
    out.push_back(static_cast<uint8_t>(count));
    out.insert(out.end(), data, data + dataBytes);
}

Bytes PropertyOf(const StatePlan& s) {
    PropertyRecordBytes p;
    Bytes id;
    PutChunkId(id, 0, s.propertyId);
    p.Raw(22, id).Be16(26, s.propertyValue).Raw(28, {uint8_t(s.accumulate ? 1 : 0)});
    return p;
}

} // namespace

Bytes PartBuilder::EncodeLine(const uint8_t* px, int width) {
    Bytes out;
    int x = 0;
    int lastOp = -1;
    while (x < width) {
        int n = 1;
        if (px[x] == 0) {
            while (x + n < width && px[x + n] == 0) ++n;
            if (x + n == width) break; // trailing colour 0 needs no record
            lastOp = int(out.size());
            Append(out, kSkip, n, nullptr, 0);
        } else {
            while (x + n < width && px[x + n] == px[x]) ++n;
            if (n >= 3) {
                lastOp = int(out.size());
                Append(out, kRun, n, &px[x], 1);
            } else {
                n = 0;
                // A literal up to the next colour 0 or run of three.
                while (x + n < width && px[x + n] != 0 &&
                       !(x + n + 2 < width && px[x + n] == px[x + n + 1] && px[x + n] == px[x + n + 2])) {
                    ++n;
                }
                lastOp = int(out.size());
                Append(out, kLiteral, n, &px[x], size_t(n));
            }
        }
        x += n;
    }
    if (lastOp >= 0) out[size_t(lastOp)] |= kLast;
    return out;
}

bool PartBuilder::DecodeLine(const uint8_t* line, size_t size, int width, uint8_t* out, const Bytes& blocks) {
    std::fill(out, out + width, 0);
    size_t at = 0;
    int x = 0;
    for (;;) {
        if (at >= size) return false;
        const uint8_t op = line[at++];
        if (op == kLast) return true;
        int count = 0;
        if (op & kWide) {
            if (at + 2 > size) return false;
            count = (line[at] << 8) | line[at + 1];
            at += 2;
        } else {
            if (at + 1 > size) return false;
            count = line[at++];
        }
        if (x + count > width) return false;
        switch (op & 0x38) {
        case 0x00:
            if (at >= size) return false;
            std::fill(out + x, out + x + count, line[at++]);
            break;
        case 0x08: {
            if (at >= size || blocks.size() < 14) return false;
            const int n = line[at++];
            const int c = GetBe16(blocks, 0);
            if (n >= c) return false;
            const size_t start = 14 + 2 * size_t(c) + GetBe16(blocks, 14 + 2 * size_t(n));
            if (start >= blocks.size() || !DecodeLine(blocks.data() + start, blocks.size() - start, count, out + x, blocks))
                return false;
            break;
        }
        case 0x10:
        case 0x30:
            if (at + size_t(count) > size) return false;
            for (int i = 0; i < count; ++i) {
                if ((op & 0x38) == 0x10 || line[at + size_t(i)] != 0) out[x + i] = line[at + size_t(i)];
            }
            at += size_t(count);
            break;
        case 0x20: break;
        default: return false;
        }
        x += count;
        if (op & kLast) return true;
    }
}

Bytes PartBuilder::CommonBlockData(const std::vector<Bytes>& blocks, uint8_t packedLiterals) {
    Bytes out(14, 0);
    PutBe16(out, 0, uint16_t(blocks.size()));
    out[6] = packedLiterals;
    size_t offset = 0;
    for (size_t i = 0; i < blocks.size(); ++i) {
        PutBe16(out, 14 + 2 * i, uint16_t(offset));
        offset += blocks[i].size();
    }
    for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
    return out;
}

Bytes PartBuilder::StateData(const StatePlan& state) {
    Bytes out;
    PutBe16(out, 0, uint16_t(state.frames.size()));
    for (size_t f = 0; f < state.frames.size(); ++f) {
        const FramePlan& fr = state.frames[f];
        const size_t at = 2 + 14 * f;
        PutBe16(out, at, 0);
        PutBe16(out, at + 2, 0);
        PutBe16(out, at + 4, uint16_t(fr.hotY));
        PutBe16(out, at + 6, uint16_t(fr.hotX));
        PutBe16(out, at + 8, uint16_t(fr.offsetY));
        PutBe16(out, at + 10, uint16_t(fr.offsetX));
        PutBe16(out, at + 12, fr.duration);
    }
    return out;
}

Bytes PartBuilder::CompData(const StatePlan& state) {
    const size_t n = state.frames.size();
    Bytes out(8 + 4 * n, 0);
    PutBe16(out, 4, uint16_t(n));
    std::vector<uint32_t> placed(n, 0);
    for (size_t f = 0; f < n; ++f) {
        const FramePlan& fr = state.frames[f];
        if (fr.missing) continue;
        if (fr.sameAs) {
            placed[f] = placed[size_t(*fr.sameAs)];
            PutBe32(out, 8 + 4 * f, placed[f]);
            continue;
        }
        const uint32_t start = uint32_t(out.size());
        placed[f] = start;
        PutBe32(out, 8 + 4 * f, start);
        const Picture& p = fr.picture;
        PutBe16(out, start, uint16_t(p.width));
        PutBe16(out, start + 2, uint16_t(p.height));
        out.resize(start + 4 + 4 * size_t(p.height), 0);
        for (int y = 0; y < p.height; ++y) {
            auto raw = fr.rawLines.find(y);
            const Bytes line = raw != fr.rawLines.end() ? raw->second : EncodeLine(&p.pixels[size_t(y) * size_t(p.width)], p.width);
            if (line.empty()) continue;
            PutBe32(out, start + 4 + 4 * size_t(y), uint32_t(out.size()));
            out.insert(out.end(), line.begin(), line.end());
        }
    }
    PutBe32(out, 0, uint32_t(out.size()));
    return out;
}

Bytes PartBuilder::PartData(const PartPlan& desc, const std::vector<uint32_t>& stateIds) {
    Bytes out(22, 0);
    out[1] = desc.recolorA;
    out[2] = desc.recolorB;
    out[4] = desc.bytes[0];
    out[5] = desc.bytes[1];
    for (int i = 0; i < 3; ++i) PutBe16(out, 6 + 2 * size_t(i), desc.words[i]);
    PutBe32(out, 12, desc.longs[0]);
    PutBe32(out, 16, desc.longs[1]);
    PutBe16(out, 20, uint16_t(stateIds.size()));
    for (size_t i = 0; i < stateIds.size(); ++i) {
        PutChunkId(out, 22 + 8 * i, stateIds[i]);
        PutChunkId(out, 26 + 8 * i, i < desc.states.size() ? desc.states[i].soundId : 0);
    }
    return out;
}

Bytes RawFrameData(const Picture& picture) {
    Bytes data;
    PutBe16(data, 0, uint16_t(picture.width));
    PutBe16(data, 2, uint16_t(picture.height));
    data.insert(data.end(), picture.pixels.begin(), picture.pixels.end());
    return data;
}

PartBuilder::PartBuilder(ChunkFileBuilder& file)
    : file_(file),
      partIndex_(file.AddIndex("part", 8)),
      stateIndex_(file.AddIndex("stat", 8)),
      compIndex_(file.AddIndex("comp", 0)),
      cblkIndex_(file.AddIndex("cblk", 0)),
      snipIndex_(file.AddIndex("snip", 8)) {}

PartBuilder::PartBuilder(ChunkFileBuilder& file, const PartIndexes& indexes)
    : file_(file),
      partIndex_(indexes.part),
      stateIndex_(indexes.state),
      compIndex_(indexes.comp),
      cblkIndex_(indexes.commonBlocks),
      snipIndex_(indexes.snippets),
      nextPart_(indexes.firstPart) {}

PartBuilder::PartBuilder(ChunkFileBuilder& file, const PartBuilder& other)
    : file_(file),
      partIndex_(other.partIndex_),
      stateIndex_(other.stateIndex_),
      compIndex_(other.compIndex_),
      cblkIndex_(other.cblkIndex_),
      snipIndex_(other.snipIndex_),
      nextPart_(other.nextPart_),
      nextState_(other.nextState_),
      nextSnip_(other.nextSnip_) {}

BuiltPart PartBuilder::AddPart(const PartPlan& desc, uint16_t entry) {
    BuiltPart built;
    const uint16_t partEntry = entry != 0 ? entry : nextPart_++;
    for (const StatePlan& s : desc.states) {
        const uint16_t entry = nextState_++;
        ChunkPlan header;
        header.entry = entry;
        if (s.withProperty) header.property = PropertyOf(s);
        built.states.push_back(file_.AddChunk(stateIndex_, StateData(s), header));
        file_.AddChunk(compIndex_, CompData(s), ChunkPlan{.entry = entry});
    }
    if (!desc.commonBlocks.empty()) {
        file_.AddChunk(cblkIndex_, CommonBlockData(desc.commonBlocks, desc.packedLiterals), ChunkPlan{.entry = partEntry});
    }
    ChunkPlan header;
    header.entry = partEntry;
    if (desc.palette) {
        PropertyRecordBytes p;
        p.Raw(28, {1}).Raw(29, *desc.palette);
        header.property = p;
    }
    built.part = file_.AddChunk(partIndex_, PartData(desc, built.states), header);
    return built;
}

uint32_t PartBuilder::AddSnippet() {
    SnipPlan plan;
    plan.sound = Pcm8(SineTone(440, 2205)); // 0.1 s
    return AddSnippet(plan);
}

uint32_t PartBuilder::AddSnippet(const SnipPlan& plan, const std::string& description) {
    ChunkPlan header;
    header.entry = nextSnip_++;
    header.description = description;
    header.property = SnipProperty(plan);
    return file_.AddChunk(snipIndex_, SnipData(plan), header);
}

OpenedPartFile::OpenedPartFile(const ChunkFileBuilder& image, bool cache) : file_(new CPartFile) {
    const std::string path = folder_ / "parts.vqk";
    image.WriteFile(path);
    file_->SetCacheEnabled(cache);
    file_->Open(path.c_str(), 1);
}

OpenedPartFile::~OpenedPartFile() { delete file_; }

bool OpenedPartFile::IsOpen() const { return file_->IsOpen(); }

PartPlan CentredPart(const std::vector<std::vector<Picture>>& states, std::vector<uint8_t> palette) {
    PartPlan plan;
    plan.palette = std::move(palette);
    for (const auto& pictures : states) {
        StatePlan state;
        for (const Picture& p : pictures)
            state.frames.push_back(FramePlan{.picture = p, .hotX = int16_t(p.width / 2), .hotY = int16_t(p.height / 2)});
        plan.states.push_back(state);
    }
    return plan;
}

Picture RandomPicture(int width, int height, uint32_t seed, int zeroPercent) {
    std::mt19937 rng(seed);
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        int x = 0;
        while (x < width) {
            const int len = 1 + int(rng() % 6);
            const bool zero = int(rng() % 100) < zeroPercent;
            const bool run = rng() % 2 == 0;
            const uint8_t colour = uint8_t(1 + rng() % 255);
            for (int i = 0; i < len && x < width; ++i, ++x) {
                p.at(x, y) = zero ? 0 : (run ? colour : uint8_t(1 + rng() % 255));
            }
        }
    }
    return p;
}

} // namespace vqt::test
