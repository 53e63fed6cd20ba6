// Copybook items to columns: a picture and a usage give an elementary item's length and type, a group
// is its items one after the other, REDEFINES start again where the redefined item starts.
#include <algorithm>
#include <cstdint>

#include "fields/imported_layout.h"
#include "fields/layout_cobol_entries.h"
#include "fields/layout_text.h"

namespace qvr {

namespace {

// A field table holds 32-bit columns; a copybook that claims more was read wrong or is not one.
constexpr std::int64_t kLongestRecord = INT32_MAX;
// Nested OCCURS multiply; a layout of more fields than this is no layout a person can use.
constexpr std::size_t kMostFields = 1000000;

/// What a picture says about storage and meaning.
struct Picture {
    std::int64_t characters = 0;  // as displayed, a separate sign not counted
    std::int64_t digits = 0;      // 9s: the digits a numeric item stores
    std::int64_t decimals = 0;    // implied (after V, and P at the left) or written (after .)
    bool sign = false;
    bool alphanumeric = false;
    bool edited = false;
    bool plain_edit = true;  // edited with 9 Z + - . , only, which a written number reads
};

Picture read_picture(const CopybookItem& item, const std::string& file) {
    Picture p;
    const std::string& s = item.picture;
    bool after_point = false;  // after V or an explicit point
    bool digit_seen = false;
    auto fail = [&](const std::string& why) { return LayoutError(file, item.line, "PIC " + s + ": " + why); };
    for (std::size_t i = 0; i < s.size();) {
        char c = s[i++];
        std::int64_t n = 1;
        if ((c == 'C' && i < s.size() && s[i] == 'R') || (c == 'D' && i < s.size() && s[i] == 'B')) {
            ++i;
            p.characters += 2;
            p.edited = true;
            p.plain_edit = false;
            continue;
        }
        if (i < s.size() && s[i] == '(') {
            const std::size_t close = s.find(')', i);
            const auto count =
                close == std::string::npos ? std::nullopt : read_count(s.substr(i + 1, close - i - 1));
            if (!count || *count < 1 || *count > kLongestRecord)
                throw fail("a repeat count is not a whole number");
            n = *count;
            i = close + 1;
        }
        switch (c) {
            case 'X':
            case 'A':
                p.alphanumeric = true;
                p.characters += n;
                break;
            case '9':
                p.digits += n;
                if (after_point) p.decimals += n;
                p.characters += n;
                digit_seen = true;
                break;
            case 'S':
                if (i != 1 || n != 1) throw fail("S must come first, once");
                p.sign = true;
                break;
            case 'V':
                if (after_point) throw fail("a second decimal point");
                after_point = true;
                break;
            case 'P':
                // Scaling positions hold no byte: at the left they are decimals before the first digit;
                // at the right they would scale the value up, which no field type says.
                if (digit_seen && !after_point)
                    throw fail("P after the digits (a scaled-up value) is not supported");
                p.decimals += n;
                after_point = true;
                break;
            case '.':
                if (after_point) throw fail("a second decimal point");
                after_point = true;
                p.characters += n;
                p.edited = true;
                break;
            case 'Z':
            case '*':
                if (after_point) p.decimals += n;
                if (c == '*') p.plain_edit = false;
                p.characters += n;
                p.edited = true;
                digit_seen = true;
                break;
            case ',':
            case '+':
            case '-':
                p.characters += n;
                p.edited = true;
                break;
            case 'B':
            case '0':
            case '/':
            case '$':
                p.characters += n;
                p.edited = true;
                p.plain_edit = false;
                break;
            default:
                throw fail(std::string("'") + c + "' is not supported in a picture");
        }
        if (p.characters > kLongestRecord || p.decimals > kLongestRecord)
            throw fail("longer than a record can be");
    }
    if (p.characters == 0) throw fail("the picture holds no character");
    return p;
}

std::string with_decimals(const char* type, std::int64_t decimals) {
    return std::string(type) + "(" + std::to_string(decimals) + ")";
}

/// Length and type of an elementary item under its usage and sign.
void size_elementary(CopybookItem& item, CopybookUsage usage, CopybookSign sign, bool separate,
                     const std::string& file) {
    std::string& type = item.type;
    const Picture p = read_picture(item, file);
    auto fail = [&](const std::string& why) { return LayoutError(file, item.line, why); };
    const bool numeric = !p.alphanumeric && !p.edited;
    // Numbers are read exactly up to 38 digits; a picture beyond that could only give bad values.
    if (numeric && p.digits + (p.decimals > p.digits ? p.decimals - p.digits : 0) > 38)
        throw fail("PIC " + item.picture + " has more than 38 digits");
    if (usage == CopybookUsage::binary || usage == CopybookUsage::packed) {
        if (!numeric)
            throw fail("PIC " + item.picture + " cannot be binary or packed: it is not a plain number");
        if (usage == CopybookUsage::packed) {
            // Two digits a byte, the sign in the last half byte.
            item.size = p.digits / 2 + 1;
            type = with_decimals("packed", p.decimals);
        } else {
            if (p.digits > 18) throw fail("a binary number of more than 18 digits has no standard size");
            item.size = p.digits <= 4 ? 2 : p.digits <= 9 ? 4 : 8;
            type = with_decimals("binary", p.decimals);
        }
        return;
    }
    if (p.alphanumeric) {
        if (p.sign) throw fail("PIC " + item.picture + ": S in a picture of letters");
        item.size = p.characters;
        type = "text";
        return;
    }
    if (p.edited) {
        if (p.sign) throw fail("PIC " + item.picture + ": S in an edited picture");
        item.size = p.characters;
        type = p.plain_edit ? "num" : "text";
        return;
    }
    item.size = p.characters;
    if (!p.sign) {
        type = p.decimals == 0 ? "int" : with_decimals("dec", p.decimals);
        return;
    }
    if (separate) {
        ++item.size;
        type = p.decimals == 0 ? "int" : with_decimals("dec", p.decimals);
        return;
    }
    if (sign == CopybookSign::leading)
        throw fail("SIGN LEADING without SEPARATE (the sign punched into the first digit) is not supported");
    type = with_decimals("zoned", p.decimals);
}

class RecordBuilder {
  public:
    explicit RecordBuilder(const std::string& file) : file_(file) {}

    ImportedRecord build(CopybookItem& root, const std::string& name) {
        lay_out(root, CopybookUsage::display, CopybookSign::trailing, false);
        ImportedRecord record{name, root.line, root.size * root.occurs, {}};
        emit(root, 0, "", record);
        make_names_unique(record);
        return record;
    }

  private:
    const std::string& file_;

    std::int64_t times(const CopybookItem& item, std::int64_t a, std::int64_t b) const {
        if (b != 0 && a > kLongestRecord / b)
            throw LayoutError(file_, item.line, "the record would be longer than 2147483647 columns");
        return a * b;
    }

    void lay_out(CopybookItem& item, CopybookUsage usage, CopybookSign sign, bool separate) {
        if (item.usage != CopybookUsage::inherit) usage = item.usage;
        if (item.sign != CopybookSign::inherit) {
            sign = item.sign;
            separate = item.sign_separate;
        }
        if (item.children.empty()) {
            if (item.picture.empty())
                throw LayoutError(file_, item.line,
                                  describe(item) + " has neither a picture nor items below it");
            size_elementary(item, usage, sign, separate, file_);
            return;
        }
        // The alternatives of one area start where it starts; the longest sets its length.
        std::int64_t area_start = 0, area_end = 0;
        const CopybookItem* base = nullptr;
        for (auto& child : item.children) {
            lay_out(*child, usage, sign, separate);
            const std::int64_t length = times(*child, child->size, child->occurs);
            if (!child->redefines.empty()) {
                if (!base || upper_ascii(base->name) != upper_ascii(child->redefines))
                    throw LayoutError(file_, child->line,
                                      describe(*child) + " redefines " + child->redefines +
                                          ", which is not the item before it at its level");
                if (child->has_occurs)
                    throw LayoutError(file_, child->line, "REDEFINES with OCCURS is not supported");
            } else {
                area_start = area_end;
                base = child.get();
            }
            child->offset = area_start;
            area_end = std::max(area_end, area_start + length);
            if (area_end > kLongestRecord)
                throw LayoutError(file_, child->line, "the record would be longer than 2147483647 columns");
        }
        item.size = area_end;
    }

    static std::string describe(const CopybookItem& item) { return item.name.empty() ? "FILLER" : item.name; }

    void emit(const CopybookItem& item, std::int64_t at, const std::string& suffix, ImportedRecord& record) {
        for (std::int64_t i = 0; i < item.occurs; ++i) {
            const std::int64_t start = at + i * item.size;
            const std::string own = item.has_occurs ? suffix + "_" + std::to_string(i + 1) : suffix;
            if (item.children.empty()) {
                if (item.name.empty()) continue;  // FILLER holds its columns and gives no field
                if (record.fields.size() >= kMostFields)
                    throw LayoutError(file_, item.line, "the record would hold more than 1000000 fields");
                record.fields.push_back({item.name + own, start + 1, item.size, item.type, item.line});
                continue;
            }
            for (const auto& child : item.children) emit(*child, start + child->offset, own, record);
        }
    }
};

}  // namespace

ImportedLayout parse_copybook(std::string_view text, const std::string& file) {
    std::vector<std::unique_ptr<CopybookItem>> roots = copybook_items(text, file);
    ImportedLayout layout;
    RecordBuilder builder(file);
    for (auto& root : roots) {
        std::string name = root->name;
        if (name.empty()) name = root->level == 0 ? "RECORD" : "FILLER";
        root->redefines.clear();  // several 01 levels are several kinds of record anyway
        layout.records.push_back(builder.build(*root, name));
    }
    return layout;
}

}  // namespace qvr
