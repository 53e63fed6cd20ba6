#include "engine/line_cutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "common/byte_order.h"
#include "engine/collation.h"
#include "engine/extract_job.h"
#include "engine/result_list.h"

namespace qvr {
namespace {

// Columns are bytes ('b') or UTF-8 characters ('u': "é" 2 bytes, "€" 3, "😀" 4; a stray or cut-short byte
// one column each), quoted as RFC 4180 says ('q', UTF-8).
const std::string e = "\xc3\xa9", euro = "\xe2\x82\xac", smile = "\xf0\x9f\x98\x80";

TEST(LineCutter, CutsJoinsAndTrimsAndTheFilterComparesBytes) {
    const std::vector<FieldSlice> twice = {{1, 100}, {1, 100}};
    const std::tuple<char, std::vector<FieldSlice>, std::string, bool, std::string, std::string> cases[] = {
        {'b', {{1, 3}, {4, 2}}, ";", false, "ABCDEFGH", "ABC;DE"},
        {'b', {{1, 3}, {4, 2}}, ";", false, "AB", "AB;"},
        {'b', {{5, 4}}, ";", false, "1234567", "567"},
        {'b', {{-2, 3}}, ";", false, "ABCDEF", "ABC"},                  // a start below 1 counts as column 1
        {'b', {{2, 0}, {2, -1}, {2, 1}}, ";", false, "ABCDEF", ";;B"},  // no length, no field
        {'b', {{9, 2}}, ";", false, "ABCDEFGH", ""},                    // start one past the end
        {'b', {{1, 5}}, ";", true, "  x\t ", "x"},
        {'b', {{1, 5}}, ";", true, "\x01\x1f \x7f", "\x7f"},  // 127 is no blank
        {'b', {{1, 1}, {2, 1}, {3, 1}, {4, 1}}, ";", false, "", ";;;"},
        {'b', {{1, 1}, {2, 1}}, "<->", false, "AB", "A<->B"},
        {'b', {{1, 1}, {2, 1}, {9, 1}}, "", false, "AB", "AB"},
        {'b', {{1, 2147483647}}, ";", false, "AB", "AB"},
        {'b', {{2147483647, 2147483647}}, ";", false, "AB", ""},
        {'b', {{-2147483647 - 1, 1}}, ";", false, "AB", "A"},
        // Trimming looks at eight bytes at a time: runs of padding across word edges, bytes above 127 beside
        // blanks (which must not carry into their neighbours), and fields of exactly one or two words.
        {'b', twice, "|", true, "Dupont              ", "Dupont|Dupont"},
        {'b', twice, "|", true, "                 ", "|"},
        {'b', twice, "|", true, "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP|ABCDEFGHIJKLMNOP"},
        {'b', twice, "|", true, "        \xe9", "\xe9|\xe9"},
        {'b', twice, "|", true, "\xff\xff\xff\xff\xff\xff\xff \x20\x20",
         "\xff\xff\xff\xff\xff\xff\xff|\xff\xff\xff\xff\xff\xff\xff"},
        {'b', twice, "|", true, "\xa0 x \xa0", "\xa0 x \xa0|\xa0 x \xa0"},  // a no-break space is no blank
        {'b', twice, "|", true, "\t\r\n\x01\x1f \x02\x03 x \x04\x05\x06\x07\x08\x10\x11\x12", "x|x"},
        {'b', twice, "|", true, "  a       b       c  ", "a       b       c|a       b       c"},
        {'b', twice, "|", true, std::string("\0\0\0\0\0\0\0\0\0z", 10), "z|z"},
        {'u', {{1, 2}, {3, 2}}, ";", false, e + "a" + euro + smile + "z", e + "a;" + euro + smile},
        {'u', {{2, 3}}, ";", false, "\xff" + e + "\xff" + smile, e + "\xff" + smile},
        {'u', {{1, 1}, {2, 1}, {3, 1}}, ";", false, "\xe2\x82" + e, "\xe2;\x82;" + e},
        {'u', {{4, 9}}, ";", true, "ab" + e + "  " + euro + " ", euro},
        {'u', {{3, 1}, {1, 1}}, ";", false, e + "a" + euro, euro + ";" + e},  // a field before the last
        {'u', {{10, 2}, {20, 1}}, ";", false, "abcdefghi" + e + "x" + smile, e + "x;"},
        {'q', {{1, 3}, {4, 3}}, ";", false, "a;" + e + "\"d", "\"a;" + e + "\";\"\"\"d\""},
        {'q', {{1, 2}, {3, 2}}, "<>", false, "<>x>", "\"<>\"<>x>"},
        {'q', {{1, 9}}, "\t", true, " a\rb\nc ", "\"a\rb\nc\""},
        {'q', {{1, 9}}, "", false, "a;b", "a;b"},
    };
    std::string out = "stale";
    for (const auto& [how, slices, separator, trim, line, expected] : cases) {
        const TextEncoding encoding = how == 'b' ? TextEncoding::cp1252 : TextEncoding::utf8;
        LineCutter(slices, separator, trim, encoding, how == 'q').cut(line, out);
        EXPECT_EQ(expected, out) << "line '" << line << "'";
    }
    EXPECT_EQ("Nb;\"a;b\";\"q\"\"\";plain", header_line({" a;b ", "q\"", "plain"}, ";", true, true));
    const std::tuple<LineFilter, std::string, bool> filters[] = {
        {{"", "", ""}, "", true},          {{"AB", "", ""}, "ab", false},    {{"AB", "", ""}, "xABx", true},
        {{"", "M", ""}, "M", true},        {{"", "M", ""}, "m", true},       {{"", "M", ""}, "L", false},
        {{"", "", "C"}, "C;x", false},  // the separator is part of what is compared
        {{"", "", "C"}, "C", true},        {{"", "\x7f", ""}, "\xe9", true},  // bytes compare unsigned
        {{"", "", "\x7f"}, "\xe9", false},
    };
    for (const auto& [filter, cut_line, passes] : filters)
        EXPECT_EQ(passes, filter.passes(cut_line)) << cut_line;
}

// Typed fields are written as their values, a bad one empty and counted with its line; text fields as ever.
TEST(LineCutter, WritesTypedValuesAndCountsTheBadOnes) {
    const std::vector<FieldSlice> slices = {{1, 4}, {5, 6}, {11, 8}};
    const std::vector<FieldType> types = {{}, parse_field_type("dec(2)"), parse_field_type("date(YYYYMMDD)")};
    const std::tuple<char, std::string, std::string, std::string> cases[] = {
        {'b', ";", "ab  00123-20261207", "ab;-1.23;2026-12-07"},
        {'b', ";", "ab        00000000", "ab;;"},
        {'b', ";", "ab  12x45620260230", "ab;;"},
        {'q', ".", "a.b 00012320240229", "\"a.b\".\"1.23\".2024-02-29"},
        {'u', ";", "\xc3\xa9t\xc3\xa9 00001220261207", "\xc3\xa9t\xc3\xa9;0.12;2026-12-07"}};
    BadValueTally bad;
    std::string out;
    std::uint64_t line = 0;
    for (const auto& [how, separator, in, expected] : cases) {
        LineCutter(slices, separator, true, how == 'u' ? TextEncoding::utf8 : TextEncoding::cp1252,
                   how == 'q', types)
            .cut(in, out, &bad, ++line);
        EXPECT_EQ(expected, out) << in;
    }
    EXPECT_EQ("Field 2: 1 value could not be read (line 3).\nDate: 1 value could not be read (line 3).\n",
              bad.report({"Code", "", "Date"}));
    // Packed bytes are cut by bytes in UTF-8 too, and never trimmed.
    LineCutter(slices, ";", true, TextEncoding::utf8, false,
               {parse_field_type("packed(0)"), parse_field_type("binary(0)")})
        .cut(std::string("\x00\x00\x12\x3D\x00\x00\x00\x00\x01\x00", 10), out);
    EXPECT_EQ("-123;256;", out);
    BadValueTally counted, more;
    for (std::uint64_t l : {40, 9, 30, 20, 10, 50}) (l % 20 ? counted : more).add(0, l);
    counted.merge(more);
    EXPECT_EQ("A: 6 values could not be read (the first at lines 9, 10, 20, 30, 40).\n",
              counted.report({"A"}));
}

// A column's bytes at `p` as the Unicode standard's table of well-formed UTF-8 has it, written apart from
// the program's own decoder: a lead byte, its continuation bytes, no overlong form, no surrogate, nothing
// past U+10FFFF; anything else is one byte.
std::size_t reference_char(const unsigned char* p, std::size_t left) {
    const std::size_t n = p[0] < 0x80 ? 1 : p[0] >= 0xF0 ? 4 : p[0] >= 0xE0 ? 3 : p[0] >= 0xC0 ? 2 : 0;
    if (n <= 1 || n > left) return 1;
    std::uint32_t cp = p[0] & (0x7Fu >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 1;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 1 : n;
}

// The field as a plain reading takes it: the line split into its columns, the field's columns joined.
std::string reference_field(const std::string& line, FieldSlice slice, TextEncoding encoding) {
    std::vector<std::string> columns;
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t n = encoding == TextEncoding::utf8 ? reference_char(p + at, line.size() - at) : 1;
        columns.push_back(line.substr(at, n));
        at += n;
    }
    std::string field;
    const std::int64_t first = std::max(slice.start, 1) - 1;
    for (std::int64_t c = first; c < first + slice.length && c < std::ssize(columns); ++c)
        field += columns[static_cast<std::size_t>(c)];
    return field;
}

TEST(FieldSlice, EveryCutOfRandomLinesAgreesWithAPlainReadingOfTheirColumns) {
    // Runs of ASCII long enough for the eight-byte steps, characters of 2 to 4 bytes, and bytes that are
    // no character: stray, cut short, overlong, a surrogate, past U+10FFFF.
    const std::string pieces[] = {
        "a",        " ",        "12345678",     "abcdefghijk",      e,     euro, smile, "\xe9",
        "\xe2\x82", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\x80"};
    std::mt19937 random(28);
    auto draw = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 3000; ++round) {
        std::string line;
        for (int n = draw(0, 30); n > 0; --n) line += pieces[draw(0, std::size(pieces) - 1)];
        std::vector<FieldSlice> slices(static_cast<std::size_t>(draw(1, 6)));
        for (FieldSlice& s : slices) s = {draw(-1, 50), draw(-1, 30)};
        for (TextEncoding encoding : {TextEncoding::cp1252, TextEncoding::utf8}) {
            const auto where = [&] {
                return ::testing::Message()
                       << "round " << round << " utf8 " << (encoding == TextEncoding::utf8);
            };
            std::string joined;
            for (std::size_t i = 0; i < slices.size(); ++i) {
                const std::string expected = reference_field(line, slices[i], encoding);
                EXPECT_EQ(expected, field_slice(line, slices[i], encoding)) << where();
                joined += (i == 0 ? "" : "|") + expected;
            }
            // One walk over the line for fields in any order.
            LineColumns columns(line, encoding);
            std::vector<FieldSlice> shuffled = slices;
            std::shuffle(shuffled.begin(), shuffled.end(), random);
            for (const FieldSlice& s : shuffled)
                EXPECT_EQ(reference_field(line, s, encoding), field_slice(columns, s)) << where();
            // The cut line, and the same from only the bytes the fields can reach.
            const LineCutter cutter(slices, "|", false, encoding);
            std::string whole, prefix;
            cutter.cut(line, whole);
            EXPECT_EQ(joined, whole) << where();
            cutter.cut(std::string_view(line).substr(
                           0, std::min<std::uint64_t>(line.size(), bytes_used(slices, encoding))),
                       prefix);
            EXPECT_EQ(whole, prefix) << where();
        }
    }
}

using Lines = std::vector<std::string>;

// The texts sorted by their keys, ties kept in input order.
Lines sorted_by_key(const std::string& locale, Lines texts, TextEncoding encoding = TextEncoding::cp1252) {
    Collation collation(locale, encoding);
    std::stable_sort(texts.begin(), texts.end(), [&](const std::string& a, const std::string& b) {
        std::string ka, kb;
        collation.append_key(a, ka);
        collation.append_key(b, kb);
        return compare_bytes(ka, kb) < 0;
    });
    return texts;
}

TEST(Collation, FollowsThePosixLocaleIgnoresCaseButNotAccentsAndFallsBackToRoot) {
    // 0xE9 is e acute, 0xC9 E acute, 0xE4 a diaeresis in the program's 8-bit characters.
    EXPECT_EQ((Lines{"a", "A", "b", "C"}), sorted_by_key("", {"b", "a", "C", "A"}));
    EXPECT_EQ((Lines{"e", "E", "\xe9", "\xc9", "f"}), sorted_by_key("", {"\xe9", "f", "e", "\xc9", "E"}));
    EXPECT_EQ((Lines{"a;2", "ab;1", "B;0"}), sorted_by_key("", {"B;0", "ab;1", "a;2"}));
    // Swedish puts a diaeresis after z; the root order puts it beside a.
    EXPECT_EQ((Lines{"a", "\xe4", "z"}), sorted_by_key("", {"z", "\xe4", "a"}));
    EXPECT_EQ((Lines{"a", "z", "\xe4"}), sorted_by_key("sv_SE", {"z", "\xe4", "a"}));
    EXPECT_EQ((Lines{"a", "B"}), sorted_by_key("xx_NOWHERE", {"B", "a"}));
    // In UTF-8 "é" sorts beside e and Omega after the Latin letters; a stray byte 0xE9 sorts as the
    // Windows-1252 e acute. In Windows-1252 the same two bytes are "Ã©", beside A.
    EXPECT_EQ((Lines{"e", "\xc3\xa9", "\xe9", "f", "\xce\xa9"}),
              sorted_by_key("", {"\xce\xa9", "f", "\xc3\xa9", "e", "\xe9"}, TextEncoding::utf8));
    // A character beyond 16 bits (a symbol, before letters) takes two UTF-16 units.
    EXPECT_EQ((Lines{"\xf0\x9f\x98\x80", "a\xf0\x9f\x98\x80", "ab"}),
              sorted_by_key("", {"ab", "a\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"}, TextEncoding::utf8));
    EXPECT_EQ((Lines{"A", "\xc3\xa9"}), sorted_by_key("", {"\xc3\xa9", "A"}));
    // Keys longer than the first room for a key, in both orders (the first key made grows the room).
    const std::string x(100, 'x');
    for (const auto& texts : {Lines{x + "B", x + "a"}, {x + "a", x + "B"}})
        EXPECT_EQ((Lines{x + "a", x + "B"}), sorted_by_key("", texts));
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        {nullptr, nullptr, nullptr, ""},
        {"", "", "", ""},
        {"C", "fr_FR.UTF-8", "de_DE", ""},
        {"C.UTF-8", nullptr, nullptr, ""},
        {nullptr, "fr_FR.UTF-8", "de_DE", "fr_FR"},
        {"", "", "sv_SE.ISO-8859-1", "sv_SE"},
        {"de_DE@euro", "fr_FR", nullptr, "de_DE"},
        {nullptr, nullptr, "en_US", "en_US"}};
    for (const auto& [lc_all, lc_collate, lang, expected] : cases)
        EXPECT_EQ(expected, collation_locale(lc_all, lc_collate, lang)) << expected;
}

// The first bytes of a key, made alone, are those of the whole key, and two texts compare as their keys do:
// over random texts of letters in both cases, accents, blanks, digits, punctuation, ignorable control bytes,
// contractions and stray bytes, with ties equal and told apart by the case-folded texts.
TEST(Collation, AKeysFirstBytesAreThoseOfTheWholeKey) {
    const char* const pieces[] = {"a", "B",    "ch",   "C",        "\xe9",     "\xc9", " ",  "9",  ";",
                                  "-", "\x01", "\x7f", "\xc3\xa9", "\xce\xa9", "\xff", "ll", "aa", "\xe4"};
    std::mt19937 random(7);
    for (const char* locale : {"", "en_US", "sk_SK", "da_DK"})
        for (TextEncoding encoding : {TextEncoding::cp1252, TextEncoding::utf8})
            for (CollationTies ties : {CollationTies::equal, CollationTies::by_folded_text}) {
                Collation collation(locale, encoding, ties);
                std::string before, before_key;
                collation.append_key(before, before_key);
                for (int i = 0; i < 400; ++i) {
                    std::string text;
                    for (int k = random() % (i % 2 ? 40 : 6); k > 0; --k)
                        text += pieces[random() % std::size(pieces)];
                    std::string whole, first;
                    collation.append_key(text, whole);
                    for (std::size_t n : {1, 16, 40}) {
                        first.clear();
                        const bool longer = collation.append_key_prefix(text, n, first);
                        ASSERT_EQ(whole.substr(0, n), first) << locale << " " << text;
                        ASSERT_EQ(whole.size() > n, longer) << locale << " " << text;
                    }
                    const int by_keys = compare_bytes(whole, before_key);
                    ASSERT_EQ((by_keys > 0) - (by_keys < 0), collation.compare(text, before))
                        << locale << " " << text << " " << before;
                    before = text, before_key = whole;
                }
            }
}

Lines ordered(const Lines& passed, bool unique, std::size_t lines_per_worker,
              TextEncoding encoding = TextEncoding::cp1252, std::size_t key_room = SIZE_MAX) {
    Collation collation("en_US", encoding);
    ResultList list(true, unique, &collation, lines_per_worker);
    list.set_key_room(key_room);
    for (const std::string& line : passed) list.add(line);
    list.finish();
    Lines out;
    for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.line(i));
    return out;
}

// Sort keys are made on several cores when there are enough lines; a worker's share must not change the
// order, the ties or the duplicates kept, wherever the shares meet.
TEST(ResultList, SharingTheKeysAmongCoresKeepsTheOrder) {
    std::vector<std::string> passed;
    for (int i = 0; i < 40; ++i)
        for (const char* line : {"b", "A", "a", "C", "\xe9t\xe9", "ete", "ETE", "x;1"})
            passed.push_back(line + std::to_string(i % 7));
    for (bool unique : {false, true}) {
        const std::vector<std::string> alone = ordered(passed, unique, 1'000'000);
        for (std::size_t share : {1, 3, 7, 100, 319})
            EXPECT_EQ(alone, ordered(passed, unique, share)) << share;
        EXPECT_EQ(unique ? 6u * 7u : passed.size(), alone.size());  // a and A, ete and ETE are one
    }
    EXPECT_EQ((Lines{"a0", "A0", "b0", "C0"}), ordered({"b0", "A0", "a0", "C0"}, false, 1));
}

// Lines whose keys agree beyond the bytes kept beside them are ordered by their whole keys, in groups of a
// few lines and of many: equal keys in reverse pass order, and unique keeps the first line to pass. So they
// are when their keys find no room, or room for some groups only, and are compared two at a time.
TEST(ResultList, LinesAlikeInTheirFirstKeyBytesGoByTheirWholeKeys) {
    const char* const tails[] = {"x", "X", "\xe9", "\xc3\xa9", "e", "E", " ", "y"};
    std::mt19937 random(11);
    Lines passed;
    for (int group = 0; group < 15; ++group)
        for (int i = 0; i <= group * group / 4; ++i) {
            std::string line(24, static_cast<char>('a' + group));
            for (int k = random() % 3; k > 0; --k) line += tails[random() % std::size(tails)];
            passed.push_back(line);
        }
    std::shuffle(passed.begin(), passed.end(), random);
    for (TextEncoding encoding : {TextEncoding::cp1252, TextEncoding::utf8}) {
        const Lines by_key = sorted_by_key("en_US", Lines(passed.rbegin(), passed.rend()), encoding);
        Collation collation("en_US", encoding);
        Lines first_of_each;
        for (std::size_t i = 0; i < by_key.size(); ++i) {
            std::string key, next;
            collation.append_key(by_key[i], key);
            if (i + 1 < by_key.size()) collation.append_key(by_key[i + 1], next);
            if (i + 1 == by_key.size() || key != next) first_of_each.push_back(by_key[i]);
        }
        for (std::size_t share : {1'000'000, 40})
            for (std::size_t room : {SIZE_MAX, std::size_t{300}, std::size_t{0}}) {
                EXPECT_EQ(by_key, ordered(passed, false, share, encoding, room)) << room;
                EXPECT_EQ(first_of_each, ordered(passed, true, share, encoding, room)) << room;
            }
    }
}

}  // namespace
}  // namespace qvr
