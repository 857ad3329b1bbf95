#include "platform/fonts/CodePage.h"

#include <string>

#include "platform/fonts/FontHandles.h"

namespace plat::fontsys {

CodePage::CodePage(const CodePageInfo& info) : codePage_(info.codePage) {
    for (const auto& [first, last] : info.leadByteRanges)
        for (unsigned b = first; b <= last; ++b) lead_[b] = true;
    if (codePage_ != 1252) {
        const std::string name = "CP" + std::to_string(codePage_);
        iconv_ = std::make_unique<IconvHandle>("UTF-32LE", name.c_str());
    }
}

CodePage::~CodePage() = default;

char32_t CodePage::Convert(const char* bytes, size_t count) const {
    if (!iconv_ || !iconv_->valid()) return kMissingChar;
    iconv(iconv_->get(), nullptr, nullptr, nullptr, nullptr); // a fresh shift state
    char32_t out[2] = {};
    char* in = const_cast<char*>(bytes);
    size_t inLeft = count;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    if (iconv(iconv_->get(), &in, &inLeft, &outPtr, &outLeft) == size_t(-1) || inLeft != 0 ||
        outLeft != sizeof out - sizeof(char32_t))
        return kMissingChar;
    return out[0];
}

void CodePage::Decode(std::string_view bytes, std::u32string& out) const {
    out.reserve(out.size() + bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        if (lead_[byte]) {
            if (i + 1 >= bytes.size()) {
                out.push_back(kMissingChar); // a lone lead byte at the end
                break;
            }
            out.push_back(Convert(bytes.data() + i, 2));
            ++i;
        } else if (byte < 0x80) {
            out.push_back(byte);
        } else if (codePage_ == 1252) {
            out.push_back(Cp1252CodePoint(byte).value_or(kMissingChar));
        } else {
            out.push_back(Convert(bytes.data() + i, 1));
        }
    }
}

} // namespace plat::fontsys
