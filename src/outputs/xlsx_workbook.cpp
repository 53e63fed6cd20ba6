#include "outputs/xlsx_workbook.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/file_names.h"
#include "common/output_target.h"
#include "common/utf8_chars.h"
#include "outputs/zip_archive.h"

namespace qvr {

namespace {

constexpr std::size_t kMaxSheetNameChars = 31;
constexpr std::size_t kMaxColumns = 16384;
constexpr std::size_t kMaxCellChars = 32767;

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
#define QVR_MAIN "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
#define QVR_RELATIONS "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
#define QVR_PACKAGE_RELATIONS "http://schemas.openxmlformats.org/package/2006/relationships"
#define QVR_TYPE "application/vnd.openxmlformats-officedocument.spreadsheetml."

// ---- Cells

char* put(char* out, std::string_view s) {
    // An empty text may have no bytes behind it, and memcpy may not be given a null pointer.
    if (!s.empty()) std::memcpy(out, s.data(), s.size());
    return out + s.size();
}

/// The bytes of a text that are not written as they are: the markup's own, the controls XML 1.0 cannot
/// hold, "_" (which may start a coded character) and the first byte of U+FFFE and U+FFFF.
struct SpecialBytes {
    bool at[256] = {};
    constexpr SpecialBytes() {
        for (int c = 0; c < 0x20; ++c) at[c] = c != '\t' && c != '\n';
        at['&'] = at['<'] = at['>'] = at['_'] = at[0xEF] = true;
    }
};
constexpr SpecialBytes kSpecial;

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

/// Writes the byte at `p` that kSpecial names (or a tab or line feed) and moves `p` past what it took.
/// A workbook reads "_x0041_" as the character it codes, the form the characters XML cannot hold are
/// written in, so such a sequence of the text itself has its "_" coded: "_x005F_x0041_".
char* put_special(char* out, const char*& p, const char* end) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto c = static_cast<unsigned char>(*p++);
    switch (c) {
        case '\t':
        case '\n':
            *out++ = static_cast<char>(c);
            return out;
        case '&':
            return put(out, "&amp;");
        case '<':
            return put(out, "&lt;");
        case '>':
            return put(out, "&gt;");
        case '_': {
            const bool coded = end - p >= 6 && p[0] == 'x' && p[5] == '_' && is_hex(p[1]) && is_hex(p[2]) &&
                               is_hex(p[3]) && is_hex(p[4]);
            return coded ? put(out, "_x005F_") : put(out, "_");
        }
        case 0xEF:
            if (end - p >= 2 && static_cast<unsigned char>(p[0]) == 0xBF &&
                (static_cast<unsigned char>(p[1]) & 0xFE) == 0xBE) {
                out = put(out, static_cast<unsigned char>(p[1]) == 0xBE ? "_xFFFE_" : "_xFFFF_");
                p += 2;
            } else {
                *out++ = static_cast<char>(c);
            }
            return out;
        default:
            out = put(out, "_x00");
            *out++ = kHex[c >> 4];
            *out++ = kHex[c & 15];
            *out++ = '_';
            return out;
    }
}

/// Writes the UTF-8 `text` as a cell's text, at most 7 bytes a byte.
char* put_text(char* out, std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
#if defined(__SSE2__)
    // Sixteen bytes at a time, copied whole up to the first that needs care (tabs and line feeds are among
    // the controls found here, and written as they are); a last part of fewer is looked at from a copy.
    const __m128i top_control = _mm_set1_epi8(0x1F);
    const auto care = [&](__m128i block) {
        __m128i hits = _mm_cmpeq_epi8(_mm_min_epu8(block, top_control), block);
        for (const char c : {'&', '<', '>', '_', '\xEF'})
            hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
        return static_cast<unsigned>(_mm_movemask_epi8(hits));
    };
    while (p < end) {
        const auto left = static_cast<std::size_t>(end - p);
        __m128i block;
        if (left >= 16) {
            block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        } else {
            char last[16] = {};
            std::memcpy(last, p, left);
            block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last));
        }
        const unsigned mask = care(block) & (left >= 16 ? 0xFFFFu : (1u << left) - 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        if (mask == 0) {
            const std::size_t n = std::min<std::size_t>(left, 16);
            p += n;
            out += n;
            continue;
        }
        const int n = __builtin_ctz(mask);
        p += n;
        out = put_special(out + n, p, end);
    }
#endif
    while (p < end) {
        if (kSpecial.at[static_cast<unsigned char>(*p)])
            out = put_special(out, p, end);
        else
            *out++ = *p++;
    }
    return out;
}

/// `text` for an attribute's value.
std::string attribute_text(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // XML 1.0 holds no control in an attribute; a sheet's name has no use for one.
                out += static_cast<unsigned char>(c) < 0x20 ? '_' : c;
        }
    }
    return out;
}

/// Writes a checked number text as a number cell's value: the same digits without leading zeros.
char* put_number(char* out, std::string_view value) {
    if (value.front() == '-') {
        *out++ = '-';
        value.remove_prefix(1);
    }
    std::size_t i = 0;
    while (i + 1 < value.size() && value[i] == '0' && value[i + 1] != '.') ++i;
    if (value[i] == '.') *out++ = '0';
    return put(out, value.substr(i));
}

/// The days from 1970-01-01 to a date of the Gregorian calendar.
long days_from_civil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

/// A workbook's number for a day from 1900 on: days from 1899-12-30, less one before 1900-03-01 (the
/// workbook counts a 29 February 1900 that never was).
long date_serial(const IsoDate& day) {
    const long serial = days_from_civil(day.year, day.month, day.day) - days_from_civil(1899, 12, 30);
    return serial < 61 ? serial - 1 : serial;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t utf8_chars(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// ---- Sheets and styles

/// Excel's number format for `scale` decimals: "0" or "0.00"; "General" shows each value's own.
std::string number_format(int scale) {
    return scale > 0 ? "0." + std::string(scale, '0') : scale < 0 ? "General" : "0";
}

/// A column as wide as its longest value or its name, in characters, as the width the file holds: a
/// character is 7 pixels of the default font, and 5 more pad the column, in 256ths.
std::string column_width(const OutputColumn& column) {
    int chars = std::max(column.width, static_cast<int>(utf8_columns(column.name)));
    if (column.kind == ColumnKind::date) chars = std::max(chars, 10);
    chars = std::min(chars + 1, 255);
    const double width = static_cast<double>((chars * 7 + 5) * 256 / 7) / 256;
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, width).ptr);
}

/// "A", "B"... "Z", "AA"... for column `i` from 0.
std::string column_letters(std::size_t i) {
    std::string letters;
    for (++i; i > 0; i = (i - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (i - 1) % 26));
    return letters;
}

/// Where the sheets' markup waits: beside the result, or in the temporary folder for a device or a pipe.
std::string parts_folder(const std::string& path) {
    const OutputTarget target = output_target(path);
    if (target.write != TargetWrite::in_place) return folder_of(target.path);
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/";
}

/// The workbook's styles: 0 the plain cell, 1 the bold names, 2 the date, then one for each number format
/// of `codes`.
std::string styles_part(const std::vector<std::string>& codes);

}  // namespace

struct XlsxWorkbookWriter::Book {
    std::string path;
    std::unique_ptr<SafeFileWriter> file;
    std::unique_ptr<DeflateThread> thread;
    struct Sheet {
        std::string name;
        std::unique_ptr<DeflatedFile> part;
    };
    std::vector<Sheet> sheets;  // destroyed before the thread that deflates them
    std::vector<std::string> formats;
    int writing = 0;  // writers begun and not committed
    bool abandoned = false;

    ~Book() {
        sheets.clear();
        thread.reset();
    }
    /// The style of numbers of `format`.
    std::size_t style_of(const std::string& format) {
        auto at = std::find(formats.begin(), formats.end(), format);
        if (at == formats.end()) at = formats.insert(at, format);
        return 3 + static_cast<std::size_t>(at - formats.begin());
    }
    void write();
};

XlsxWorkbookWriter::XlsxWorkbookWriter(XlsxWorkbookJob job)
    : job_(std::move(job)), book_(std::make_shared<Book>()), utf8_(job_.encoding) {
    book_->path = job_.path;
}

XlsxWorkbookWriter::XlsxWorkbookWriter(XlsxWorkbookJob job, XlsxWorkbookWriter& first)
    : job_(std::move(job)), book_(first.book_), utf8_(job_.encoding) {
    job_.path = book_->path;
}

XlsxWorkbookWriter::~XlsxWorkbookWriter() { abandon(); }

std::string XlsxWorkbookWriter::sheet_name(const std::string& first, int number) {
    const std::string ending = number > 1 ? " (" + std::to_string(number) + ")" : "";
    const std::size_t room = kMaxSheetNameChars - ending.size();
    // Cut at a character, never inside one.
    const char* p = first.data();
    const char* const end = p + first.size();
    for (std::size_t chars = 0; p < end && chars < room; ++chars) p += utf8_char_size(p, end);
    return std::string(first.data(), p) + ending;
}

std::string XlsxWorkbookWriter::sheet_name_from(std::string_view base) {
    std::string name = sheet_name(std::string(base.empty() ? "Sheet1" : base), 1);
    for (char& c : name)
        if (std::string_view("[]:*?/\\").find(c) != std::string_view::npos) c = '_';
    if (name.front() == '\'') name.front() = '_';
    if (name.back() == '\'') name.back() = '_';
    return name;
}

void XlsxWorkbookWriter::begin() {
    // The name is checked before any file is made, so a refused name leaves nothing behind.
    const std::string first = job_.sheet.empty() ? "Sheet1" : job_.sheet;
    if (sheet_name_from(first) != first)
        throw UserError("'" + first +
                        "' cannot name a sheet: at most 31 characters, none of [ ] : * ? / \\, and no ' at "
                        "either end");
    if (job_.columns.size() > kMaxColumns)
        throw UserError("A sheet holds at most 16,384 columns, not " + std::to_string(job_.columns.size()));
    job_.sheet = first;
    if (!book_->file) {
        book_->file = std::make_unique<SafeFileWriter>(job_.path);
        book_->thread = std::make_unique<DeflateThread>();
    }
    for (std::size_t i = 0; i < job_.columns.size(); ++i) {
        const OutputColumn& column = job_.columns[i];
        letters_.push_back(column_letters(i));
        std::string style;
        if (column.kind == ColumnKind::integer || column.kind == ColumnKind::decimal)
            style = " s=\"" +
                    std::to_string(book_->style_of(
                        number_format(column.kind == ColumnKind::decimal ? column.scale : 0))) +
                    "\"";
        number_styles_.push_back(style);
    }
    ++book_->writing;
    begun_ = true;
    add_sheet();
}

void XlsxWorkbookWriter::add_sheet() {
    if (part_) end_sheet();
    const std::string name = sheet_name(job_.sheet, sheets_ + 1);
    const auto folded = [](std::string text) {
        for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        return text;
    };
    for (const Book::Sheet& sheet : book_->sheets)
        if (folded(sheet.name) == folded(name))
            throw UserError("The workbook has a sheet named " + name + " already");
    ++sheets_;
    book_->sheets.push_back(
        {name, std::make_unique<DeflatedFile>(*book_->thread, parts_folder(job_.path),
                                              job_.path + " (a sheet's temporary file)")});
    part_ = book_->sheets.back().part.get();
    DeflatedFile& part = *part_;
    std::string head(kXmlHead);
    head += "<worksheet xmlns=\"" QVR_MAIN "\" xmlns:r=\"" QVR_RELATIONS "\"><sheetViews><sheetView";
    head += book_->sheets.size() == 1 ? " tabSelected=\"1\"" : "";
    head += " workbookViewId=\"0\"";
    // The names row stays in sight above the rows.
    head += job_.header
                ? "><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"
                  "<selection pane=\"bottomLeft\" activeCell=\"A2\" sqref=\"A2\"/></sheetView>"
                : "/>";
    head += "</sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
    if (!job_.columns.empty()) {
        head += "<cols>";
        for (std::size_t i = 0; i < job_.columns.size(); ++i) {
            const std::string n = std::to_string(i + 1);
            head += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + column_width(job_.columns[i]) +
                    "\" customWidth=\"1\"/>";
        }
        head += "</cols>";
    }
    head += "<sheetData>";
    part.write(head);
    sheet_rows_ = 0;
    if (!job_.header) return;
    part.write("<row>");
    for (std::size_t i = 0; i < job_.columns.size(); ++i) {
        cell_.assign(utf8_(job_.columns[i].name));
        if (cell_.empty())
            part.write("<c s=\"1\"/>");
        else
            write_text_cell(i, cell_, false, " s=\"1\"");
    }
    part.write("</row>");
}

char* XlsxWorkbookWriter::start_cell(char* out, std::size_t col, bool gap) {
    out = put(out, "<c");
    if (!gap) return out;
    // A cell after an empty one says where it is; the others follow the one before.
    if (row_number_size_ == 0) {
        const std::uint64_t row = sheet_rows_ + (job_.header ? 2 : 1);
        row_number_size_ = static_cast<std::size_t>(
            std::to_chars(row_number_, row_number_ + sizeof row_number_, row).ptr - row_number_);
    }
    out = put(out, " r=\"");
    out = put(out, letters_[col]);
    out = put(out, {row_number_, row_number_size_});
    *out++ = '"';
    return out;
}

void XlsxWorkbookWriter::write_text_cell(std::size_t col, std::string_view text, bool gap,
                                         std::string_view style) {
    if (text.size() > kMaxCellChars && utf8_chars(text) > kMaxCellChars)
        throw UserError(job_.columns[col].name + " (row " + std::to_string(rows_ + 1) +
                        "): the text is longer than a cell holds (32,767 characters)");
    DeflatedFile& part = *part_;
    char* const start = part.room(7 * text.size() + 128);
    char* out = start_cell(start, col, gap);
    out = put(out, style);
    out = put(out, " t=\"inlineStr\"><is><t");
    if (!text.empty() && (is_blank(text.front()) || is_blank(text.back())))
        out = put(out, " xml:space=\"preserve\"");
    *out++ = '>';
    out = put_text(out, text);
    out = put(out, "</t></is></c>");
    part.advance(static_cast<std::size_t>(out - start));
}

void XlsxWorkbookWriter::write_cell(std::size_t col, std::string_view value, bool gap) {
    const OutputColumn& column = job_.columns[col];
    const std::uint64_t data_row = rows_ + 1;
    DeflatedFile& part = *part_;
    switch (column.kind) {
        case ColumnKind::integer:
        case ColumnKind::decimal: {
            // Beyond what a workbook's number holds, the digits stay text.
            if (checked_number_digits(column, data_row, value) > kExactNumberDigits) break;
            char* const start = part.room(value.size() + 128);
            char* out = start_cell(start, col, gap);
            out = put(out, number_styles_[col]);
            out = put(out, "><v>");
            out = put_number(out, value);
            out = put(out, "</v></c>");
            part.advance(static_cast<std::size_t>(out - start));
            return;
        }
        case ColumnKind::date: {
            const IsoDate day = checked_iso_date(column, data_row, value);
            if (day.year < 1900) break;  // before the workbook's first day
            char* const start = part.room(128);
            char* out = start_cell(start, col, gap);
            out = put(out, " s=\"2\"><v>");
            out = std::to_chars(out, out + 16, date_serial(day)).ptr;
            out = put(out, "</v></c>");
            part.advance(static_cast<std::size_t>(out - start));
            return;
        }
        case ColumnKind::text:
            return write_text_cell(col, utf8_(value), gap, {});
    }
    write_text_cell(col, value, gap, {});
}

void XlsxWorkbookWriter::add_row(const std::vector<std::string_view>& values) {
    if (values.size() != job_.columns.size())
        throw UserError("Row " + std::to_string(rows_ + 1) + " has " + std::to_string(values.size()) +
                        " values for " + std::to_string(job_.columns.size()) + " columns");
    if (sheet_rows_ == job_.rows_per_sheet) add_sheet();
    DeflatedFile& part = *part_;
    part.write("<row>");
    row_number_size_ = 0;
    bool gap = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].empty()) {
            gap = true;
            continue;
        }
        write_cell(i, values[i], gap);
        gap = false;
    }
    part.write("</row>");
    ++sheet_rows_;
    ++rows_;
}

void XlsxWorkbookWriter::end_sheet() {
    // Margins as the workbook's own program gives a new sheet, for printing.
    part_->write(
        "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
        "header=\"0.3\" footer=\"0.3\"/></worksheet>");
    part_->finish();
    part_ = nullptr;
}

namespace {

std::string styles_part(const std::vector<std::string>& codes) {
    std::string formats = "<numFmt numFmtId=\"164\" formatCode=\"yyyy-mm-dd\"/>";
    std::string styles =
        "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
        "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
        "applyNumberFormat=\"1\"/>";
    int next_id = 165;
    int custom = 1;
    for (const std::string& format : codes) {
        // The workbook's own formats have numbers of their own.
        int id = format == "General" ? 0 : format == "0" ? 1 : format == "0.00" ? 2 : 0;
        if (id == 0 && format != "General") {
            id = next_id++;
            ++custom;
            formats += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"" + format + "\"/>";
        }
        styles += "<xf numFmtId=\"" + std::to_string(id) +
                  "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>";
    }
    const std::string font =
        "<sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/>"
        "<scheme val=\"minor\"/></font>";
    return std::string(kXmlHead) + "<styleSheet xmlns=\"" QVR_MAIN "\"><numFmts count=\"" +
           std::to_string(custom) + "\">" + formats + "</numFmts><fonts count=\"2\"><font>" + font +
           "<font><b/>" + font +
           "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills><borders "
           "count=\"1\"><border><left/><right/><top/><bottom/>"
           "<diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
           "fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"" +
           std::to_string(3 + codes.size()) + "\">" + styles +
           "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
           "</cellStyles></styleSheet>";
}

}  // namespace

void XlsxWorkbookWriter::commit() {
    if (!begun_) return;
    end_sheet();
    begun_ = false;
    const std::shared_ptr<Book> book = std::move(book_);
    if (--book->writing == 0 && !book->abandoned) book->write();
}

void XlsxWorkbookWriter::Book::write() {
    std::string types = std::string(kXmlHead) +
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" ContentType=\"application/"
                        "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                        "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
                        "ContentType=\"" QVR_TYPE
                        "sheet.main+xml\"/><Override PartName=\"/xl/styles.xml\" "
                        "ContentType=\"" QVR_TYPE "styles+xml\"/>";
    std::string book = std::string(kXmlHead) +
                       "<workbook xmlns=\"" QVR_MAIN "\" xmlns:r=\"" QVR_RELATIONS
                       "\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>";
    std::string book_relations =
        std::string(kXmlHead) + "<Relationships xmlns=\"" QVR_PACKAGE_RELATIONS "\">";
    for (std::size_t i = 1; i <= sheets.size(); ++i) {
        const std::string n = std::to_string(i);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"" QVR_TYPE "worksheet+xml\"/>";
        book += "<sheet name=\"" + attribute_text(sheets[i - 1].name) + "\" sheetId=\"" + n +
                "\" r:id=\"rId" + n + "\"/>";
        book_relations += "<Relationship Id=\"rId" + n +
                          "\" Type=\"" QVR_RELATIONS "/worksheet\" Target=\"worksheets/sheet" + n +
                          ".xml\"/>";
    }
    book_relations += "<Relationship Id=\"rId" + std::to_string(sheets.size() + 1) +
                      "\" Type=\"" QVR_RELATIONS "/styles\" Target=\"styles.xml\"/></Relationships>";
    ZipArchive zip(*file);
    zip.add("[Content_Types].xml", types + "</Types>");
    zip.add("_rels/.rels", std::string(kXmlHead) +
                               "<Relationships xmlns=\"" QVR_PACKAGE_RELATIONS
                               "\"><Relationship Id=\"rId1\" Type=\"" QVR_RELATIONS
                               "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    zip.add("xl/workbook.xml", book + "</sheets></workbook>");
    zip.add("xl/_rels/workbook.xml.rels", book_relations);
    zip.add("xl/styles.xml", styles_part(formats));
    for (std::size_t i = 1; i <= sheets.size(); ++i)
        zip.add("xl/worksheets/sheet" + std::to_string(i) + ".xml", *sheets[i - 1].part);
    zip.finish();
    file->commit();
}

void XlsxWorkbookWriter::abandon() noexcept {
    // The last writer to let go of the workbook removes the file beside the target.
    if (book_ && begun_) book_->abandoned = true;
    begun_ = false;
    part_ = nullptr;
    book_.reset();
}

std::string xlsx_sheets_text(const XlsxWorkbookWriter& workbook, std::string_view first_sheet,
                             std::uint32_t rows_per_sheet) {
    if (workbook.sheets() <= 1) return {};
    const std::string first(first_sheet);
    return "The rows fill " + std::to_string(workbook.sheets()) + " sheets of " +
           std::to_string(rows_per_sheet) + " rows: " + XlsxWorkbookWriter::sheet_name(first, 1) + " to " +
           XlsxWorkbookWriter::sheet_name(first, workbook.sheets());
}

}  // namespace qvr
