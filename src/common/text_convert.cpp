#include "common/text_convert.h"

#include <algorithm>

#include "common/char_map.h"
#include "common/utf8_chars.h"

namespace qvr {

std::optional<OutputEncoding> output_encoding_named(std::string_view word) {
    if (word == "same") return OutputEncoding::same;
    if (word == "utf-8") return OutputEncoding::utf8;
    if (word == "cp1252") return OutputEncoding::cp1252;
    return std::nullopt;
}

std::optional<TextEncoding> converted_output(TextEncoding input, OutputEncoding output) {
    if (output == OutputEncoding::utf8 && input != TextEncoding::utf8) return TextEncoding::utf8;
    if (output == OutputEncoding::cp1252 && input != TextEncoding::cp1252) return TextEncoding::cp1252;
    return std::nullopt;
}

std::string replaced_text(std::uint64_t replaced) {
    if (replaced == 0) return {};
    return " (" + std::to_string(replaced) + (replaced == 1 ? " character" : " characters") +
           " replaced by \"?\")";
}

char windows_1252_byte(const char* p, std::size_t size, std::uint64_t& replaced) {
    const long cp = utf8_code_point(p, size);
    if (cp < 0) return *p;
    const int byte = cp > 0xFFFF ? -1 : char_to_byte(static_cast<char16_t>(cp));
    if (byte >= 0) return static_cast<char>(byte);
    ++replaced;
    return '?';
}

void TextConverter::to_windows_1252(const char* p, const char* end, std::string& out) {
    while (p < end) {
        const std::size_t size = utf8_char_size(p, end);
        // A lead byte whose character the piece cut short is judged with the next piece.
        if (size == 1 && static_cast<unsigned char>(*p) >= 0xC2 && end - p < 4) {
            const std::string rest(p, end);
            const std::size_t need = static_cast<unsigned char>(*p) >= 0xF0   ? 4
                                     : static_cast<unsigned char>(*p) >= 0xE0 ? 3
                                                                              : 2;
            if (rest.size() < need) {
                bool continues = true;
                for (std::size_t i = 1; i < rest.size(); ++i)
                    continues = continues && (static_cast<unsigned char>(rest[i]) & 0xC0) == 0x80;
                if (continues) {
                    carry_ = rest;
                    return;
                }
            }
        }
        out.push_back(windows_1252_byte(p, size, replaced_));
        p += size;
    }
}

void TextConverter::convert(std::string_view piece, std::string& out) {
    if (from_ == TextEncoding::cp1252) {
        for (const char c : piece) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) {
                out.push_back(c);
                continue;
            }
            const char16_t ch = byte_to_char(byte);
            if (ch < 0x800) {
                out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
            } else {
                out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
                out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
            }
            out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
        }
        return;
    }
    if (!carry_.empty()) {
        // The held bytes go on with the first bytes of this piece; what is still cut short waits again.
        std::string joined = std::move(carry_);
        carry_.clear();
        const std::size_t take = std::min<std::size_t>(3, piece.size());
        joined.append(piece.substr(0, take));
        to_windows_1252(joined.data(), joined.data() + joined.size(), out);
        piece.remove_prefix(take);
        if (piece.empty()) return;
        if (!carry_.empty()) return convert(piece, out);
    }
    to_windows_1252(piece.data(), piece.data() + piece.size(), out);
}

void TextConverter::finish(std::string& out) {
    out += carry_;
    carry_.clear();
}

}  // namespace qvr
