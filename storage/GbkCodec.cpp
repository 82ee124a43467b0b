#include "storage/GbkCodec.h"

#include "core/Utf8Text.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace xtq {
namespace {

// Bytes that are not valid GBK are decoded to one private-use character each,
// U+F780 + (byte - 0x80). glibc's GBK maps nothing into the private-use area,
// so these characters mean "this raw byte" and nothing else.
constexpr char32_t kEscapeBase = 0xF780;

bool IsEscape(char32_t c) {
    return c >= kEscapeBase + 0x01 && c <= kEscapeBase + 0x7F;
}

// The mapping of glibc's GBK converter, read once into two tables. A GBK code
// is kept only when it converts to exactly one character and that character
// converts back to the very same bytes, so decoding followed by encoding is
// the identity on every byte sequence.
struct GbkTables {
    // Indexed by the two bytes (lead << 8 | trail) of a double-byte code, or by
    // the byte itself for single bytes; 0 means "not a GBK character" (except
    // for the byte 0x00, which is U+0000).
    std::array<char16_t, 0x10000> decode{};
    // Indexed by the character; the GBK code (a single byte when below 0x100),
    // 0 when GBK cannot hold the character.
    std::array<std::uint16_t, 0x10000> encode{};
};

struct IconvHandle {
    iconv_t handle;
    IconvHandle(const char* to, const char* from) : handle(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return handle != reinterpret_cast<iconv_t>(-1); }
};

// Converts `length` bytes with `cd`; returns the number of output bytes, or -1.
long Convert(iconv_t cd, const char* in, size_t length, char* out, size_t capacity) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in);
    size_t il = length;
    char* op = out;
    size_t ol = capacity;
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return -1;
    if (iconv(cd, nullptr, nullptr, &op, &ol) == static_cast<size_t>(-1)) return -1;
    return static_cast<long>(capacity - ol);
}

char32_t ReadUtf32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<char32_t>(u[0]) | static_cast<char32_t>(u[1]) << 8 |
           static_cast<char32_t>(u[2]) << 16 | static_cast<char32_t>(u[3]) << 24;
}

std::unique_ptr<GbkTables> BuildTables() {
    auto tables = std::make_unique<GbkTables>();
    IconvHandle toUnicode("UTF-32LE", "GBK");
    IconvHandle toGbk("GBK", "UTF-32LE");
    if (!toUnicode.valid() || !toGbk.valid())
        throw EEncodingError("The system offers no GBK converter (iconv)");

    auto enter = [&](const char* bytes, size_t length, std::uint16_t code) {
        char out[16];
        if (Convert(toUnicode.handle, bytes, length, out, sizeof out) != 4) return;
        const char32_t c = ReadUtf32(out);
        if (c > 0xFFFF || IsEscape(c)) return;
        char back[8];
        if (Convert(toGbk.handle, out, 4, back, sizeof back) != static_cast<long>(length)) return;
        for (size_t i = 0; i < length; ++i)
            if (back[i] != bytes[i]) return;
        tables->decode[code] = static_cast<char16_t>(c);
        tables->encode[c] = code;
    };
    for (unsigned b = 0; b < 0x100; ++b) {
        const char byte = static_cast<char>(b);
        enter(&byte, 1, static_cast<std::uint16_t>(b));
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            enter(pair, 2, static_cast<std::uint16_t>(lead << 8 | trail));
        }
    return tables;
}

const GbkTables& Tables() {
    static const std::unique_ptr<GbkTables> tables = BuildTables();
    return *tables;
}

// "U+" and at least four hexadecimal digits, as characters are usually named.
std::string HexCode(char32_t c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (char32_t rest = c; rest != 0 || text.size() < 4; rest >>= 4)
        text.insert(text.begin(), kDigits[rest & 0xF]);
    return "U+" + text;
}

[[noreturn]] void RaiseUnencodable(char32_t c) {
    std::string shown;
    if (c >= 0x20 && c != 0x7F) AppendUtf8(shown, c);
    throw EEncodingError("字符“" + shown + "”(" + HexCode(c) + ")不能用GBK编码保存");
}

} // namespace

std::string GbkToUtf8(std::string_view gbk) {
    std::string out;
    GbkToUtf8(gbk, out);
    return out;
}

void GbkToUtf8(std::string_view gbk, std::string& out) {
    const GbkTables& t = Tables();
    out.clear();
    out.reserve(gbk.size() + gbk.size() / 2);
    size_t i = 0;
    const size_t n = gbk.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            size_t j = i + 1;
            while (j < n && static_cast<unsigned char>(gbk[j]) < 0x80)
                ++j;
            out.append(gbk.substr(i, j - i));
            i = j;
            continue;
        }
        if (i + 1 < n) {
            const auto trail = static_cast<unsigned char>(gbk[i + 1]);
            const char16_t c = t.decode[static_cast<size_t>(b) << 8 | trail];
            if (c != 0) {
                AppendUtf8(out, c);
                i += 2;
                continue;
            }
        }
        const char16_t single = t.decode[b];
        AppendUtf8(out, single != 0 ? char32_t{single} : kEscapeBase + (b - 0x80u));
        ++i;
    }
}

std::string Utf8ToGbk(std::string_view utf8) {
    const GbkTables& t = Tables();
    std::string out;
    out.reserve(utf8.size());
    bool escapes = false;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        char32_t c;
        if (!NextUtf8(utf8, i, c)) throw EEncodingError("文本不是有效的UTF-8");
        if (IsEscape(c)) {
            out += static_cast<char>(0x80 + (c - kEscapeBase));
            escapes = true;
            continue;
        }
        const std::uint16_t code = c <= 0xFFFF ? t.encode[c] : 0;
        if (code == 0) RaiseUnencodable(c);
        if (code >= 0x100) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    // Raw bytes written next to each other or next to a character can read back
    // as a different character (a lead byte followed by a trail byte). Such a
    // text cannot be stored as typed.
    if (escapes) {
        const std::string back = GbkToUtf8(out);
        if (back != utf8) {
            size_t a = 0;
            size_t c = 0;
            while (a < back.size() && c < utf8.size()) {
                size_t a1 = a;
                size_t c1 = c;
                char32_t ca;
                char32_t cc;
                NextUtf8(back, a1, ca);
                NextUtf8(utf8, c1, cc);
                if (ca != cc) RaiseUnencodable(cc);
                a = a1;
                c = c1;
            }
            char32_t last = 0;
            if (c < utf8.size()) NextUtf8(utf8, c, last);
            RaiseUnencodable(last);
        }
    }
    return out;
}

size_t GbkByteLength(std::string_view utf8) {
    const GbkTables& t = Tables();
    size_t length = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t c;
        if (!NextUtf8(utf8, i, c)) {
            ++i;
            ++length;
            continue;
        }
        if (c < 0x80 || IsEscape(c)) {
            ++length;
            continue;
        }
        const std::uint16_t code = c <= 0xFFFF ? t.encode[c] : 0;
        length += code >= 0x100 ? 2 : 1;
    }
    return length;
}

} // namespace xtq
