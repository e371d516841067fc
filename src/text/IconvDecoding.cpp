#include "text/IconvDecoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <utility>

#include "text/CharsetLabels.h"
#include "text/Utf8.h"

namespace lumeward::text {

namespace {

// Rejects names iconv_open would read as more than a charset ("//TRANSLIT", ",").
bool isPlainCharsetName(std::string_view label) {
    return label.size() <= 64 && std::all_of(label.begin(), label.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
                      c == '.' || c == ':';
           });
}

struct IconvCloser {
    void operator()(iconv_t descriptor) const { iconv_close(descriptor); }
};

}  // namespace

std::optional<std::string> decodeWithIconv(std::string_view label, std::string_view bytes) {
    const std::string name = normalisedCharset(label);
    if (name.empty() || !isPlainCharsetName(name)) {
        return std::nullopt;
    }
    const iconv_t descriptor = iconv_open("UTF-8", name.c_str());
    // An unknown name is reported as (iconv_t)-1.
    if (reinterpret_cast<std::intptr_t>(descriptor) == -1) {
        return std::nullopt;
    }
    const std::unique_ptr<void, IconvCloser> closer(descriptor);
    std::string text(bytes.size() + bytes.size() / 2 + 16, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());  // iconv only reads it
    std::size_t inLeft = bytes.size();
    for (;;) {
        char* out = text.data() + used;
        std::size_t outLeft = text.size() - used;
        // Once the input is used up, a call without input ends any pending shift state.
        const bool flushing = inLeft == 0;
        const std::size_t result = flushing ? iconv(descriptor, nullptr, nullptr, &out, &outLeft)
                                            : iconv(descriptor, &in, &inLeft, &out, &outLeft);
        used = static_cast<std::size_t>(out - text.data());
        if (result != static_cast<std::size_t>(-1)) {
            if (flushing) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            text.resize(text.size() * 2);
            continue;
        }
        if (flushing) {
            break;
        }
        // Grows the text when fewer bytes than the replacement are left.
        text.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
        used += kReplacementCharacter.size();
        if (errno == EINVAL) {
            inLeft = 0;  // a sequence cut off by the end of the body
        } else {
            ++in;  // EILSEQ: resume one byte later
            --inLeft;
        }
    }
    text.resize(used);
    // glibc has many converters; whatever one of them emits, the result stays valid UTF-8.
    return decodeUtf8(std::move(text));
}

}  // namespace lumeward::text
