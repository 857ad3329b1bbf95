// The writer of the engine's compressed images: the header, then raw rows, run-length lines or
// the whole picture in LZW words.
#include <map>

#include "tools/builders/ImageWriters.h"

namespace vqt::test {

namespace {

/// Codes packed most significant bit first into big-endian 32-bit words.
class MsbWords {
public:
    void Put(uint32_t code, int width) {
        m_bits = (m_bits << width) | code;
        m_count += width;
        while (m_count >= 8) {
            m_count -= 8;
            m_data.push_back(uint8_t(m_bits >> m_count));
        }
    }
    Bytes Finish() {
        if (m_count > 0) m_data.push_back(uint8_t(m_bits << (8 - m_count)));
        m_data.resize((m_data.size() + 3) / 4 * 4, 0);
        return m_data;
    }

private:
    Bytes m_data;
    uint64_t m_bits = 0;
    int m_count = 0;
};

struct Record {
    int kind; ///< 0 run, 1 literal, 2 skip, 3 literal with holes
    Bytes data;
    int count;
};

/// Length of the stretch of equal bytes at x.
int SameRun(const Bytes& v, size_t x) {
    size_t n = 1;
    while (x + n < v.size() && v[x + n] == v[x]) ++n;
    return int(n);
}

/// One line of run-length records: 0 as skips, runs of three or more, literals between them
/// (with holes: keeping stretches of one or two 0 inside as kind 3).
Bytes RunLengthLine(const Bytes& v, bool wide, bool holes) {
    std::vector<Record> records;
    for (size_t x = 0; x < v.size();) {
        const int same = SameRun(v, x);
        if (v[x] == 0) {
            records.push_back({2, {}, same});
            x += size_t(same);
            continue;
        }
        if (same >= 3) {
            records.push_back({0, {v[x]}, same});
            x += size_t(same);
            continue;
        }
        Record literal{1, {}, 0};
        while (x < v.size()) {
            const int run = SameRun(v, x);
            const bool hole = holes && v[x] == 0 && run <= 2 && x + size_t(run) < v.size();
            if ((v[x] == 0 && !hole) || (v[x] != 0 && run >= 3)) break;
            const int take = hole ? run : 1;
            if (hole) literal.kind = 3;
            literal.data.insert(literal.data.end(), v.begin() + long(x), v.begin() + long(x) + take);
            x += size_t(take);
        }
        literal.count = int(literal.data.size());
        records.push_back(literal);
    }
    Bytes out;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const bool twoBytes = wide || r.count > 255;
        out.push_back(uint8_t(1 | (twoBytes ? 2 : 0) | (r.kind << 4) | (i + 1 == records.size() ? 0x80 : 0)));
        if (twoBytes) out.push_back(uint8_t(r.count >> 8));
        out.push_back(uint8_t(r.count));
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    return out;
}

} // namespace

Bytes MsbFirstWords(const std::vector<LzwCode>& codes) {
    MsbWords out;
    for (const LzwCode& c : codes) out.Put(c.code, c.bits);
    return out.Finish();
}

Bytes LzwWords(const std::vector<uint8_t>& data, int restartAt) {
    MsbWords out;
    std::map<uint32_t, uint32_t> table;
    int width = 9;
    uint32_t next = 259;
    auto emit = [&](uint32_t code) {
        while (code >= (1u << width)) out.Put(257, width++);
        out.Put(code, width);
    };
    uint32_t string = data.empty() ? 256 : data[0];
    for (size_t i = 1; i < data.size(); ++i) {
        const uint32_t key = string << 8 | data[i];
        if (auto found = table.find(key); found != table.end()) {
            string = found->second;
            continue;
        }
        emit(string);
        table[key] = next++;
        if (next >= uint32_t(restartAt)) {
            out.Put(258, width);
            table.clear();
            width = 9;
            next = 259;
        }
        string = data[i];
    }
    if (!data.empty()) emit(string);
    out.Put(256, width);
    return out.Finish();
}

Bytes CompressedImage(const DirectPicture& picture, CompressedForm form) {
    const int endRow = form.endRow < 0 ? picture.height : form.endRow;
    Bytes out;
    for (int v : {picture.width, picture.height, picture.bits, form.mode, form.firstRow, endRow, 0}) PutLe16(out, out.size(), uint16_t(v));
    const size_t bytesPerPixel = size_t(picture.bits / 8);
    const size_t rowBytes = size_t(picture.width) * bytesPerPixel;
    if (form.mode == 8) {
        const Bytes words = LzwWords(picture.pixels, form.restartAt);
        out.insert(out.end(), words.begin(), words.end());
        return out;
    }
    for (int y = form.firstRow; y < endRow; ++y) {
        const auto row = picture.pixels.begin() + long(size_t(y) * rowBytes);
        if (form.mode == 0) {
            out.insert(out.end(), row, row + long(rowBytes));
            continue;
        }
        Bytes firsts;
        for (size_t x = 0; x < size_t(picture.width); ++x) firsts.push_back(row[long(x * bytesPerPixel)]);
        const Bytes line = RunLengthLine(firsts, form.wideCounts, form.holes);
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

} // namespace vqt::test
