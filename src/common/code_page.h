#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace qvr {

/// The one-byte code pages of mainframe and DOS files, beside the input encodings of TextEncoding: one
/// byte is one column in each, and text fields are decoded to UTF-8 after cutting (packed and binary
/// fields are read from the bytes as they are).
enum class CodePage {
    cp037,   ///< EBCDIC, USA and Canada
    cp273,   ///< EBCDIC, Germany and Austria
    cp500,   ///< EBCDIC, international
    cp1140,  ///< EBCDIC, cp037 with the euro sign
    cp437,   ///< DOS, USA
    cp850,   ///< DOS, Western Europe
};

/// The code page a name stands for ("cp037", ... as the command line spells them, any letter case), or
/// nothing for another name.
std::optional<CodePage> parse_code_page(std::string_view name);

/// "cp037", ...: the name parse_code_page() reads.
const char* code_page_name(CodePage page);

/// The name of ICU's converter for the page ("ibm-37_P100-1995", ...).
const char* icu_converter_name(CodePage page);

/// Whether the page is EBCDIC: its blank is 0x40 and its digits 0xF0 to 0xF9, so bytes are trimmed and
/// compared only after decoding.
bool is_ebcdic(CodePage page);

/// The UTF-8 of each of a code page's 256 bytes, taken from ICU's converter once, so that decoding a
/// field is a table look-up a byte. Each byte decodes as ICU decodes it alone.
class CodePageTable {
  public:
    /// Builds the table from ICU; throws UserError when ICU lacks the converter.
    explicit CodePageTable(CodePage page);

    /// The most UTF-8 bytes one byte decodes to (every character of these pages is in the BMP).
    static constexpr std::size_t kMostBytesPerByte = 3;

    /// The UTF-8 of one byte.
    std::string_view utf8_of(unsigned char byte) const {
        return {reinterpret_cast<const char*>(&entries_[byte]), entries_[byte] >> 24};
    }

    /// Writes the UTF-8 of `bytes` at `out`, which has room for kMostBytesPerByte bytes a byte plus one,
    /// and returns the end of what it wrote.
    char* decode_to(std::string_view bytes, char* out) const {
        // Most fields decode to one byte a byte (letters, digits, blanks): a pass of independent look-ups
        // writes them, and only a field holding a wider character is written again character by character.
        std::uint32_t wide = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::uint32_t entry = entries_[static_cast<unsigned char>(bytes[i])];
            out[i] = static_cast<char>(entry);
            wide |= entry;
        }
        if ((wide >> 25) == 0) return out + bytes.size();
        for (const char c : bytes) {
            // Four bytes are stored whatever the length, which makes the loop branch-free; the fourth,
            // the length, is written over by the next character.
            const std::uint32_t entry = entries_[static_cast<unsigned char>(c)];
            std::memcpy(out, &entry, 4);
            out += entry >> 24;
        }
        return out;
    }

    /// The UTF-8 of `bytes`, appended to `out`.
    void append_decoded(std::string_view bytes, std::string& out) const {
        const std::size_t at = out.size();
        out.resize(at + bytes.size() * kMostBytesPerByte + 1);
        out.resize(static_cast<std::size_t>(decode_to(bytes, out.data() + at) - out.data()));
    }

  private:
    // The UTF-8 bytes in memory order in the low three bytes (little-endian), the length in the high one.
    std::array<std::uint32_t, 256> entries_{};
};

/// The table of a page, built on first use and kept for the program's life; safe from any thread.
const CodePageTable& code_page_table(CodePage page);

}  // namespace qvr
