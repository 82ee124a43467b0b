// The GBK codec at the file boundary. Any bytes decode, and encoding the
// result gives back exactly those bytes; any text that encodes decodes back
// to the same text.

#include "core/Utf8Text.h"
#include "fuzz/FuzzSupport.h"
#include "storage/GbkCodec.h"

#include <cstdint>
#include <string>

using namespace xtq;
using xtq::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // File bytes to program text and back.
    const std::string text = GbkToUtf8(bytes);
    size_t pos = 0;
    char32_t c;
    while (pos < text.size())
        Check(NextUtf8(text, pos, c), "decoding gave text that is not UTF-8");
    try {
        Check(Utf8ToGbk(text) == bytes, "decoding then encoding changed the bytes");
    } catch (const EEncodingError& e) {
        xtq::fuzz::Broken(std::string("decoded text does not encode: ") + e.what());
    }
    Check(GbkByteLength(text) == bytes.size(), "the GBK length of decoded text differs");

    // Program text (the same bytes read as UTF-8) to file bytes and back.
    std::string encoded;
    try {
        encoded = Utf8ToGbk(bytes);
    } catch (const EEncodingError&) {
        return 0; // a character GBK cannot hold, or bytes that are no UTF-8
    }
    Check(GbkToUtf8(encoded) == bytes, "encoding then decoding changed the text");
    Check(GbkByteLength(bytes) == encoded.size(), "the GBK length differs from the encoding");
    return 0;
}
