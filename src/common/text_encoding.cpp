#include "common/text_encoding.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/file_error.h"
#include "common/utf8_chars.h"

namespace qvr {

namespace {

// Whether the bytes [p, end), fewer than a character of their first byte needs, begin a well-formed
// character: they are completed with the smallest bytes that could follow and judged whole.
bool begins_character(const char* p, const char* end) {
    const auto lead = static_cast<unsigned char>(*p);
    const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    const auto have = static_cast<std::size_t>(end - p);
    if (need == 0 || have >= need) return false;
    char whole[4];
    std::memcpy(whole, p, have);
    for (std::size_t i = have; i < need; ++i)
        whole[i] = static_cast<char>(i > 1 ? 0x80 : lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80);
    return utf8_char_size(whole, whole + need) == need;
}

// The first byte of [p, end) beyond ASCII, or `end`: ASCII is most of any text, and is passed over
// sixteen bytes at a time where the processor allows, else eight.
const char* skip_ascii(const char* p, const char* end) {
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const auto high =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        if (high != 0) return p + std::countr_zero(high);
    }
#endif
    for (std::uint64_t word; end - p >= 8; p += 8) {
        std::memcpy(&word, p, sizeof word);
        if (const std::uint64_t high = word & 0x8080808080808080ull)
            return p + (std::endian::native == std::endian::little ? std::countr_zero(high)
                                                                   : std::countl_zero(high)) /
                           8;
    }
    while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
    return p;
}

}  // namespace

std::string_view one_byte_a_column(std::string_view line, TextEncoding encoding, std::string& room) {
    if (encoding != TextEncoding::utf8) return line;
    const char* end = line.data() + line.size();
    const char* p = skip_ascii(line.data(), end);
    if (p == end) return line;
    room.resize(line.size());
    std::copy(line.data(), p, room.data());
    char* out = room.data() + (p - line.data());
    while (p < end) {
        *out++ = *p;
        p += utf8_char_size(p, end);
    }
    return {room.data(), static_cast<std::size_t>(out - room.data())};
}

const char* encoding_name(TextEncoding encoding) {
    return encoding == TextEncoding::utf8 ? "UTF-8" : "Windows-1252";
}

std::string_view text_of_first_line(std::string_view first_line, TextEncoding encoding,
                                    const std::string& path) {
    if (first_line.starts_with("\xFF\xFE") || first_line.starts_with("\xFE\xFF"))
        throw_file_error("Cannot read file", path,
                         std::string_view("It is UTF-16 text (it begins with a UTF-16 byte order mark); "
                                          "convert it to UTF-8 first (iconv -f UTF-16 -t UTF-8)"));
    if (encoding == TextEncoding::utf8 && first_line.starts_with(kUtf8ByteOrderMark))
        first_line.remove_prefix(kUtf8ByteOrderMark.size());
    return first_line;
}

void Utf8Tally::feed(const char* p, const char* end) {
    if (carried_ > 0) {
        // The character held back is judged with the first bytes of this piece.
        char joined[6];
        const std::size_t take = std::min<std::size_t>(3, static_cast<std::size_t>(end - p));
        std::memcpy(joined, carry_, carried_);
        std::memcpy(joined + carried_, p, take);
        const char* const joined_end = joined + carried_ + take;
        if (take == static_cast<std::size_t>(end - p) && begins_character(joined, joined_end)) {
            carried_ = static_cast<std::size_t>(joined_end - joined);
            std::memcpy(carry_, joined, carried_);
            return;
        }
        const char* q = joined;
        while (q < joined + carried_) {
            const std::size_t size = utf8_char_size(q, joined_end);
            ++(size == 1 ? invalid_ : characters_);
            q += size;
        }
        p += q - (joined + carried_);
        carried_ = 0;
    }
    while (p < end) {
        p = skip_ascii(p, end);
        if (p == end) break;
        if (end - p < 4 && begins_character(p, end)) {
            carried_ = static_cast<std::size_t>(end - p);
            std::memcpy(carry_, p, carried_);
            return;
        }
        const std::size_t size = utf8_char_size(p, end);
        ++(size == 1 ? invalid_ : characters_);
        p += size;
    }
}

void Utf8Tally::finish() {
    invalid_ += carried_;
    carried_ = 0;
}

bool Utf8Tally::reads_as_utf8() const {
    return characters_ > 0 && invalid_ <= characters_ / kUtf8CharactersPerInvalidByte;
}

TextEncoding encoding_of_first_block(std::string_view block) {
    if (block.starts_with(kUtf8ByteOrderMark)) return TextEncoding::utf8;
    Utf8Tally tally;
    tally.feed(block);
    return tally.reads_as_utf8() ? TextEncoding::utf8 : TextEncoding::cp1252;
}

bool holds_utf8_character(std::string_view line) {
    const char* const end = line.data() + line.size();
    for (const char* p = skip_ascii(line.data(), end); p < end; p = skip_ascii(p, end)) {
        const std::size_t size = utf8_char_size(p, end);
        if (size > 1) return true;
        ++p;
    }
    return false;
}

std::string first_block_contradicted(std::uint64_t number) {
    return "Line " + std::to_string(number) +
           " holds UTF-8 characters, but the input's first block read as Windows-1252, where each would "
           "take 2 to 4 columns and shift the fields after it; name the input's encoding (--encoding "
           "utf-8 or --encoding cp1252)";
}

bool cut_characters_as_bytes(TextEncoding used, const Utf8Tally& met) {
    return used == TextEncoding::cp1252 && met.reads_as_utf8();
}

bool encoding_needs_a_word(TextEncoding used, const Utf8Tally& met) {
    return (used == TextEncoding::utf8 && met.invalid_bytes() > 0) || cut_characters_as_bytes(used, met);
}

std::string encoding_line(TextEncoding used, const Utf8Tally& met) {
    std::string line = std::string("Encoding: ") + encoding_name(used);
    if (used == TextEncoding::utf8 && met.invalid_bytes() > 0)
        line += met.invalid_bytes() == 1
                    ? " (1 invalid byte kept as it is)"
                    : " (" + std::to_string(met.invalid_bytes()) + " invalid bytes kept as they are)";
    if (cut_characters_as_bytes(used, met))
        line += ", but the input holds " + std::to_string(met.characters()) +
                " UTF-8 characters beyond ASCII, each cut as 2 to 4 columns: in UTF-8 they are one each";
    return line;
}

}  // namespace qvr
