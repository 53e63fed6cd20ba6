#include "common/code_page.h"

#include <unicode/ucnv.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <bit>
#include <memory>

#include "common/file_error.h"

namespace qvr {

namespace {

struct PageName {
    CodePage page;
    const char* name;
    const char* icu;
    bool ebcdic;
};

constexpr PageName kPages[] = {
    {CodePage::cp037, "cp037", "ibm-37_P100-1995", true},
    {CodePage::cp273, "cp273", "ibm-273_P100-1995", true},
    {CodePage::cp500, "cp500", "ibm-500_P100-1995", true},
    {CodePage::cp1140, "cp1140", "ibm-1140_P100-1997", true},
    {CodePage::cp437, "cp437", "ibm-437_P100-1995", false},
    {CodePage::cp850, "cp850", "ibm-850_P100-1995", false},
};

const PageName& entry(CodePage page) { return kPages[static_cast<std::size_t>(page)]; }

}  // namespace

std::optional<CodePage> parse_code_page(std::string_view name) {
    for (const PageName& p : kPages) {
        const std::string_view known(p.name);
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
            }))
            return p.page;
    }
    return std::nullopt;
}

const char* code_page_name(CodePage page) { return entry(page).name; }
const char* icu_converter_name(CodePage page) { return entry(page).icu; }
bool is_ebcdic(CodePage page) { return entry(page).ebcdic; }

// An entry's length byte is the last in memory, where the next character's bytes overwrite it.
static_assert(std::endian::native == std::endian::little, "the code page entries assume little-endian");

CodePageTable::CodePageTable(CodePage page) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(icu_converter_name(page), &status),
                                                                 &ucnv_close);
    if (U_FAILURE(status))
        throw UserError(std::string("The code page ") + code_page_name(page) +
                        " is missing from this system's ICU (" + u_errorName(status) + ")");
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        UChar units[4];
        status = U_ZERO_ERROR;
        ucnv_reset(converter.get());
        const int32_t n = ucnv_toUChars(converter.get(), units, 4, &byte, 1, &status);
        UChar32 c = 0xFFFD;
        if (U_SUCCESS(status) && n > 0) U16_GET(units, 0, 0, n, c);
        std::uint8_t utf8[4] = {};
        int32_t length = 0;
        UBool error = false;
        U8_APPEND(utf8, length, 4, c, error);
        if (error) {
            length = 0;
            U8_APPEND_UNSAFE(utf8, length, 0xFFFD);
        }
        std::uint32_t entry = 0;
        std::memcpy(&entry, utf8, 3);
        entries_[b] = entry | static_cast<std::uint32_t>(length) << 24;
    }
}

namespace {

template <CodePage P>
const CodePageTable& table_of() {
    static const CodePageTable table(P);  // built by the first thread that asks
    return table;
}

constexpr const CodePageTable& (*kTables[])() = {
    &table_of<CodePage::cp037>,  &table_of<CodePage::cp273>, &table_of<CodePage::cp500>,
    &table_of<CodePage::cp1140>, &table_of<CodePage::cp437>, &table_of<CodePage::cp850>,
};

}  // namespace

const CodePageTable& code_page_table(CodePage page) { return kTables[static_cast<std::size_t>(page)](); }

}  // namespace qvr
