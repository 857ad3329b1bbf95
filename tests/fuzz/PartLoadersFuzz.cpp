// Loads arbitrary part, state, compressed-image and common-block chunks from a chunk file and
// uses them every way the engine does: the loaders cached and uncached, a part with all its
// states shown, drawn plain, scaled, mirrored and turned into 8- and 16-bit surfaces, recoloured
// and hit-tested. Nothing may read or write out of bounds.
//
// Input: one flag byte, then the part, state and compressed-image data, each behind a
// big-endian 16-bit length, and the rest as the common-block data.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/ActivityProp.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/PartChunks.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/State.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/builders/PartBuilder.h"

namespace {

using vqt::fuzz::Take;

using vqt::test::Bytes;

const std::string& ScratchPath() { return vqt::fuzz::ScratchPath("part"); }

void Exercise(CPart& part, uint8_t flags) {
    CPixelSurface eight;
    CPixelSurface sixteen;
    eight.Create(64, 64, 8);
    sixteen.Create(64, 64, 16);
    for (int32_t i = 0; i < part.GetStateCount() && i < 4; ++i) {
        part.SetState(i);
        CState* state = part.GetCurrentState();
        if (state == nullptr) continue;
        if (flags & 0x10) state->SetRotation(90 * (1 + i % 3));
        part.SetMirrored(flags & 0x20 ? 1 : 0);
        for (int32_t f = 0; f < state->GetFrameCount() && f < 4; ++f) {
            state->SetFrame(f);
            const int w = state->GetFrameWidth();
            const int h = state->GetFrameHeight();
            if (w <= 0 || h <= 0 || w > 64 || h > 64) continue;
            const CClipRect all(0, 0, int16_t(w), int16_t(h));
            const CClipRect part1(0, 0, int16_t((w + 1) / 2), int16_t(h));
            state->drawMode = f % 4;
            state->OnCopyFrameToSurface(&eight, &all, &all, nullptr, 0);
            state->OnCopyFrameToSurface(&sixteen, &part1, &part1, nullptr, 0);
            state->HitTestPointScaled(CPoint16(int16_t(w / 2), int16_t(h / 2)), CPoint16(0, 0), 1.0f, 1.0f);
            state->HitTestPointScaled(CPoint16(int16_t(w), int16_t(h)), CPoint16(0, 0), 1.5f, 2.0f);
            state->HitTestRect(CClipRect(-1, -1, int16_t(w + 1), int16_t(h + 1)));
            CPoint16 found;
            uint8_t flag = 0;
            state->HitTestSegment(CPoint16(0, 0), CPoint16(int16_t(w), int16_t(h)), all, 1.0f, 1.0f, &found, &flag);
            state->IntersectsState(all, 1.0f, 1.0f, state, CClipRect(1, 1, int16_t(w + 1), int16_t(h + 1)), 2.0f, 1.0f);
        }
        state->Step();
        state->SetToEnd();
    }
    part.SetBands(0, uint8_t(1 + flags % 3), uint8_t(2 + flags % 5), 1);
    part.SetBandA(0, 3, 1);
    part.DrawCurrentFrame(&eight, nullptr, nullptr, 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    ++data;
    --size;
    const Bytes partData = Take(data, size);
    const Bytes stateData = Take(data, size);
    const Bytes compData = Take(data, size);
    const Bytes cblkData(data, data + size);

    vqt::test::ChunkFileBuilder image;
    vqt::test::PartBuilder parts(image);
    vqt::test::ChunkPlan stateHeader;
    vqt::test::PropertyRecordBytes property;
    property.Raw(28, {uint8_t(flags & 0x02 ? 1 : 0)});
    stateHeader.property = property;
    const ChunkId stateId = image.AddChunk(parts.StateIndex(), stateData, stateHeader);
    image.AddChunk(parts.CompIndex(), compData, {.entry = ChunkEntryOf(stateId)});
    Bytes part = partData;
    if (part.size() >= 30) { // the first entry names the state built here
        part[22] = parts.StateIndex();
        part[23] = 0;
        part[24] = uint8_t(ChunkEntryOf(stateId) >> 8);
        part[25] = uint8_t(ChunkEntryOf(stateId));
    }
    vqt::test::ChunkPlan partHeader;
    if (flags & 0x08) {
        vqt::test::PropertyRecordBytes palette;
        palette.Raw(28, {1});
        partHeader.property = palette;
    }
    const ChunkId partId = image.AddChunk(parts.PartIndex(), part, partHeader);
    if (!cblkData.empty()) image.AddChunk(parts.CommonBlockIndex(), cblkData, {.entry = ChunkEntryOf(partId)});
    if (!image.WriteFile(ScratchPath())) return 0;

    CPartFile file;
    file.SetCacheEnabled((flags & 0x01) != 0);
    if (!file.Open(ScratchPath().c_str(), 1)) return 0;

    ReleasePart(&file, partId, LoadPart(&file, partId));
    CPartRecord* cached = GetPart(&file, partId);
    ReleasePartRef(&file, partId, cached);
    uint8_t* table = LoadCommonBlock(&file, partId);
    FreeState(LoadState(&file, stateId));
    FreeCompImage(LoadCompImage(&file, stateId, table));
    FreeCommonBlock(&file, partId, table);
    {
        CPart animation;
        if (animation.SetPartID(&file, partId, flags & 0x04 ? 1 : 0, flags & 0x01 ? 1 : 0)) Exercise(animation, flags);
        OActivityProp prop;
        if (prop.SetPartID(&file, partId, 0)) {
            CPixelSurface stage;
            stage.Create(96, 96, 16);
            prop.SetScale(flags & 0x40 ? 2.0f : 0.5f, 1.5f);
            prop.SetState(0);
            const CClipRect whole(0, 0, prop.GetWidth(), prop.GetHeight());
            if (prop.GetWidth() < 96 && prop.GetHeight() < 96) prop.Draw(&stage, CPoint16(0, 0), whole, whole);
            prop.HitTestPoint(CPoint16(1, 1));
        }
    }
    file.Close();
    return 0;
}
