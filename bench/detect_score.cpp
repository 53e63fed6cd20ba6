// Scores field detection on generated exports whose layout is known.
//   detect_score make FOLDER COUNT [FIRST_SEED]
//                                    writes COUNT files (export_NN.txt) and their true boundaries (.cuts),
//                                    from seeds FIRST_SEED (1) on. Tune on seeds 1 to 100 only; the
//                                    held-out seeds 100001 on tell how files never seen fare.
//   detect_score score FOLDER        detects the fields of every export there and scores the cuts found
//   detect_score time FILE           the speed and peak memory of detecting the fields of one file
// A cut is the start column of every field but the first. It is right when it falls anywhere in the
// columns between the last text of one field and the first text of the next (both included at the
// right), and each true boundary takes one right cut at most. detect_score.py scores pandas' read_fwf
// the same way on the same files.

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/whole_number.h"
#include "engine/propose_encoding.h"
#include "fields/field_detection.h"

namespace {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    int in(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }
    bool chance(double p) { return static_cast<double>(next() % 1000000) < p * 1e6; }
    template <class T>
    const T& pick(const std::vector<T>& v) {
        return v[next() % v.size()];
    }

  private:
    std::uint64_t state_;
};

enum class Type {
    id,
    letters,
    alnum,
    date,
    amount,
    quantity,
    name,
    address,
    city,
    flag,
    postcode,
    code,       // a fixed letter or two letters from a wide set, then digits: C0000123, AB1234
    time,       // hh:mm:ss, hh:mm or hhmmss
    zeros,      // a zero-padded number of fixed width
    cents,      // an amount without its point (implied decimals), right-aligned, signed
    long_name,  // several words, many beginning with the same particle
    money,      // thousands grouped, "1,234.56", "1.234,56" or a minus behind: "1234.56-"
    text,       // a free description of a few words, any case, with punctuation
};
constexpr int kTypes = 18;

struct Field {
    Type type;
    int width;
    bool right;
    int date_form = 0;
    std::string prefix;    // a code's fixed letter, or none: two letters from the alphabet
    bool sparse = false;   // blank in nine lines in ten
    int filled_after = 0;  // an optional field stays blank in the lines before
    int first = 1 << 30, last = -1;
    std::string heading;
};

const std::vector<std::string> kNames = {
    "Dupont Jean", "Van der Berg Anna", "de la Fontaine Marc", "Le Goff Yann",
    "Martin",      "Nguyen Thi Lan",    "O'Brien Sean",        "Garcia Lopez Maria",
    "Smith",       "Da Silva Joao",     "Muller Hans Peter",   "Li Wei"};
const std::vector<std::string> kStreets = {
    "rue de la Paix",  "avenue Victor Hugo", "boulevard Saint Michel", "chemin des Vignes",
    "place du Marche", "Main Street",        "impasse Verte",          "quai Voltaire"};
const std::vector<std::string> kCities = {"Paris",       "Saint Denis",     "Le Mans",
                                          "Lyon",        "Aix en Provence", "Nantes",
                                          "La Rochelle", "Brest",           "Fort de France"};
const std::vector<std::string> kLongNames = {"Le Gall Ana Maria",  "Le Goff Yann",   "Le Bris Jean Paul",
                                             "de la Tour Anne",    "de Souza Maria", "Le Roux Marie Anne",
                                             "Van Dijk Pieter",    "Le Pen Loic",    "de Oliveira Joao",
                                             "Le Meur Erwan Yves", "Dos Santos Ana", "Bernard"};
const char* const kHeadings[kTypes] = {"ID",   "CODE",    "REF",  "DATE",   "AMOUNT",  "QTY",
                                       "NAME", "ADDRESS", "CITY", "FLAG",   "ZIP",     "CUST",
                                       "TIME", "SEQ",     "AMT",  "HOLDER", "BALANCE", "REMARKS"};

// Columns are characters: a UTF-8 file's accents take one column each.
std::size_t columns(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char b) { return (static_cast<unsigned char>(b) & 0xC0) != 0x80; }));
}

// Names and places as a French export in UTF-8 spells them.
std::string accented(std::string s) {
    static const std::pair<const char*, const char*> kAccents[] = {
        {"e", "\xC3\xA9"}, {"a", "\xC3\xA0"}, {"o", "\xC3\xB4"}, {"c", "\xC3\xA7"}, {"E", "\xC3\x89"}};
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char* with = nullptr;
        // about one letter in four of those that can carry an accent
        for (const auto& [plain, accent] : kAccents)
            if (s[i] == *plain && (i * 7 + s.size()) % 4 == 0) with = accent;
        out += with ? std::string(with) : std::string(1, s[i]);
    }
    return out;
}

// The first byte of the character at byte `at` (damage takes whole characters of a UTF-8 file).
std::size_t char_start(const std::string& line, std::size_t at) {
    while (at > 0 && at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) --at;
    return at;
}

std::string digits(Random& r, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.in(0, 9));
    return s;
}

std::string value(Random& r, const Field& f) {
    char buf[64];
    switch (f.type) {
        case Type::id:
            return digits(r, f.width);
        case Type::letters: {
            std::string s;
            for (int i = 0; i < f.width; ++i) s += static_cast<char>('A' + r.in(0, 25));
            return s;
        }
        case Type::alnum: {
            std::string s;
            for (int i = 0; i < f.width; ++i)
                s += r.chance(0.5) ? static_cast<char>('A' + r.in(0, 25))
                                   : static_cast<char>('0' + r.in(0, 9));
            return s;
        }
        case Type::date: {
            const int y = r.in(1950, 2030), m = r.in(1, 12), d = r.in(1, 28);
            const char* forms[] = {"%04d%02d%02d",         "%3$02d/%2$02d/%1$04d", "%04d-%02d-%02d",
                                   "%3$02d.%2$02d.%1$04d", "%04d/%02d/%02d",       "%3$02d-%2$02d-%1$02d"};
            std::snprintf(buf, sizeof buf, forms[f.date_form], f.date_form == 5 ? y % 100 : y, m, d);
            return buf;
        }
        case Type::amount: {
            const double v =
                std::pow(10.0, r.in(0, (f.width - 4) * 1000) / 1000.0) * (r.chance(0.1) ? -1 : 1);
            std::snprintf(buf, sizeof buf, "%.2f", v);
            return buf;
        }
        case Type::quantity:
            return std::to_string(static_cast<long>(std::pow(10.0, r.in(0, f.width * 1000 - 1) / 1000.0)));
        case Type::name:
            return r.pick(kNames);
        case Type::address:
            return std::to_string(r.in(1, 250)) + " " + r.pick(kStreets);
        case Type::city:
            return r.pick(kCities);
        case Type::flag:
            return std::string(1, "YNAB"[r.in(0, 3)]);
        case Type::postcode:
            return digits(r, 5);
        case Type::code: {
            std::string s = f.prefix.empty() ? std::string{static_cast<char>('A' + r.in(0, 25)),
                                                           static_cast<char>('A' + r.in(0, 25))}
                                             : f.prefix;
            std::snprintf(buf, sizeof buf, "%0*d", f.width - static_cast<int>(s.size()),
                          r.in(0, f.date_form == 0 ? 999 : 99999));
            return s + buf;
        }
        case Type::time: {
            const int h = r.in(0, 23), m = r.in(0, 59), sec = r.in(0, 59);
            const char* forms[] = {"%02d:%02d:%02d", "%02d:%02d", "%02d%02d%02d"};
            std::snprintf(buf, sizeof buf, forms[f.date_form % 3], h, m, sec);
            return buf;
        }
        case Type::zeros:
            std::snprintf(buf, sizeof buf, "%0*ld", f.width,
                          static_cast<long>(std::pow(10.0, r.in(0, (f.width - 2) * 1000) / 1000.0)));
            return buf;
        case Type::cents:
            return (r.chance(0.1) ? "-" : "") +
                   std::to_string(static_cast<long>(std::pow(10.0, r.in(0, (f.width - 2) * 1000) / 1000.0)));
        case Type::long_name:
            return r.pick(kLongNames);
        case Type::money: {
            const long cents = static_cast<long>(std::pow(10.0, r.in(0, (f.width - 4) * 1000) / 1000.0));
            std::string whole = std::to_string(cents / 100), grouped;
            const char group = f.date_form % 2 ? '.' : ',', point = f.date_form % 2 ? ',' : '.';
            for (std::size_t i = 0; i < whole.size(); ++i) {
                if (i > 0 && (whole.size() - i) % 3 == 0) grouped += group;
                grouped += whole[i];
            }
            std::snprintf(buf, sizeof buf, "%c%02ld", point, cents % 100);
            const bool minus = r.chance(0.15);
            return f.date_form >= 2 ? grouped + buf + (minus ? "-" : " ")
                                    : (minus ? "-" : "") + grouped + buf;
        }
        case Type::text: {
            static const std::vector<std::string> kWords = {
                "paid",   "late",  "see",    "invoice", "No.",   "ref", "DELIVERED", "to",    "the",
                "client", "(2nd)", "notice", "OK",      "stock", "-",   "back",      "order", "urgent;"};
            std::string t = r.pick(kWords);
            for (int n = r.in(0, 5); n > 0; --n) t += (r.chance(0.1) ? "  " : " ") + r.pick(kWords);
            return t;
        }
    }
    return {};
}

int width_of(Random& r, Type t) {
    switch (t) {
        case Type::id:
            return r.in(4, 8);
        case Type::letters:
            return r.in(2, 4);
        case Type::alnum:
            return r.in(4, 6);
        case Type::date:
            return 0;
        case Type::amount:
            return r.in(9, 12);
        case Type::quantity:
            return r.in(3, 6);
        case Type::name:
            return r.in(14, 22);
        case Type::address:
            return r.in(20, 30);
        case Type::city:
            return r.in(10, 16);
        case Type::flag:
            return 1;
        case Type::postcode:
            return 5;
        case Type::code:
            return r.in(5, 9);
        case Type::time:
            return 0;
        case Type::zeros:
            return r.in(4, 9);
        case Type::cents:
            return r.in(6, 11);
        case Type::long_name:
            return r.in(18, 26);
        case Type::money:
            return r.in(10, 15);
        case Type::text:
            return r.in(16, 40);
    }
    return 1;
}

// Fields touch only where something other than blanks can tell them apart: a date or a time after a
// code, digits after letters of varied length and letters after digits. Letters of fixed width that
// touch digits read as one code, and are left apart.
bool may_touch(const Field& a, const Field& b) {
    auto digits_first = [](Type t) {
        return t == Type::id || t == Type::postcode || t == Type::quantity || t == Type::amount ||
               t == Type::address || t == Type::zeros || t == Type::cents || t == Type::money;
    };
    auto letters_last = [](Type t) {
        return t == Type::name || t == Type::city || t == Type::flag || t == Type::long_name;
    };
    auto letters_first = [](Type t) {
        return t == Type::letters || t == Type::name || t == Type::city || t == Type::flag ||
               t == Type::code || t == Type::long_name;
    };
    auto digits_last = [](Type t) {
        return t == Type::amount || t == Type::quantity || t == Type::id || t == Type::postcode ||
               t == Type::date || t == Type::time || t == Type::zeros || t == Type::cents ||
               t == Type::code || t == Type::money;
    };
    if (a.type == Type::text || b.type == Type::text) return false;
    if (a.type == Type::flag && (b.type == Type::code || b.type == Type::letters)) return true;
    if (b.type == Type::date || b.type == Type::time)
        return a.type != Type::date && a.type != Type::quantity && a.type != Type::amount &&
               a.type != Type::cents && a.type != Type::money && a.type != b.type;
    if (digits_last(a.type)) return letters_first(b.type) && b.type != Type::code;
    return letters_last(a.type) && digits_first(b.type);
}

void make_one(const std::string& base, std::uint64_t seed) {
    Random r(seed);
    // a small file as often as not: a sample, a day's export
    const int count = r.in(4, 16), lines = r.chance(0.3) ? r.in(60, 400) : r.in(1500, 12000);
    // damaged records: up to one in a hundred, cut off, with a character lost or one too many, overlong
    const double damage = r.in(0, 10) / 1000.0;
    std::vector<Field> fields;
    std::vector<int> gaps;
    for (int i = 0; i < count; ++i) {
        Field f;
        f.type = static_cast<Type>(r.in(0, kTypes - 1));
        f.width = width_of(r, f.type);
        f.date_form = r.in(0, 5);
        if (f.type == Type::date) f.width = f.date_form == 0 || f.date_form == 5 ? 8 : 10;
        if (f.type == Type::time) f.width = f.date_form % 3 == 1 ? 5 : 6 + (f.date_form % 3 == 0) * 2;
        if (f.type == Type::code && r.chance(0.5))
            f.prefix = std::string(1, static_cast<char>('A' + r.in(0, 25)));
        f.right = f.type == Type::amount || f.type == Type::quantity || f.type == Type::cents ||
                  f.type == Type::money;
        f.sparse = i > 0 && r.chance(0.08);
        if (i > 0 && r.chance(0.3)) f.filled_after = r.in(200, 900);
        f.heading = kHeadings[static_cast<int>(f.type)];
        fields.push_back(f);
    }
    for (int i = 0; i + 1 < count; ++i)
        gaps.push_back(may_touch(fields[i], fields[i + 1]) && r.chance(0.7) ? 0
                                                                            : r.in(1, r.chance(0.2) ? 5 : 2));
    const bool pad = r.chance(0.5), heading = r.chance(0.3), utf8 = r.chance(0.25);
    std::ofstream out(base + ".txt", std::ios::binary);
    auto record = [&](bool track) {
        std::string line;
        for (int i = 0; i < count; ++i) {
            Field& f = fields[i];
            std::string v = (f.filled_after > 0 && (!track || r.chance(0.4))) || (f.sparse && r.chance(0.9))
                                ? ""
                                : value(r, f);
            if (utf8) v = accented(v);
            while (columns(v) > static_cast<std::size_t>(f.width)) v.pop_back();
            while (!v.empty() && (static_cast<unsigned char>(v.back()) & 0xC0) == 0xC0) v.pop_back();
            const std::string padding(f.width - columns(v), ' ');
            const std::size_t at = columns(line) + (f.right ? padding.size() : 0);
            line += f.right ? padding + v : v + padding;
            std::size_t c = at;
            for (std::size_t b = 0; track && b < v.size(); ++b) {
                if ((static_cast<unsigned char>(v[b]) & 0xC0) == 0x80) continue;
                if (v[b] != ' ') {
                    f.first = std::min(f.first, static_cast<int>(c));
                    f.last = std::max(f.last, static_cast<int>(c));
                }
                ++c;
            }
            if (i + 1 < count) line += std::string(gaps[i], ' ');
        }
        if (!pad) line.erase(line.find_last_not_of(' ') + 1);
        return line;
    };
    if (heading) {
        std::string line;
        for (int i = 0; i < count; ++i) {
            const Field& f = fields[i];
            std::string h = f.heading.substr(0, f.width);
            const std::string padding(f.width - h.size(), ' ');
            line += f.right ? padding + h : h + padding;
            if (i + 1 < count) line += std::string(gaps[i], ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << "\r\n";
    }
    for (int n = 0; n < lines; ++n) {
        const bool optional_on = true;
        for (Field& f : fields)
            if (f.filled_after > 0 && n == f.filled_after) f.filled_after = -1;  // filled from here on
        (void)optional_on;
        std::string line = record(true);
        if (r.chance(damage)) {
            switch (r.in(0, 3)) {
                case 0:  // cut off
                    line.resize(char_start(line, r.in(0, static_cast<int>(line.size()))));
                    break;
                case 1: {  // a character lost
                    const std::size_t at = char_start(line, r.in(0, static_cast<int>(line.size()) - 1));
                    line.erase(
                        at,
                        char_start(line, at + 1 + (line.size() > at + 1 && (line[at + 1] & 0xC0) == 0x80)) -
                            at);
                    break;
                }
                case 2:  // a character too many
                    line.insert(char_start(line, r.in(0, static_cast<int>(line.size()) - 1)), 1, 'X');
                    break;
                default:  // text past the record
                    line += std::string(r.in(0, 4), ' ') + "EXTRA " + digits(r, r.in(1, 20));
            }
        }
        out << line << "\r\n";
    }
    out << "TOTAL RECORDS " << lines << "\r\n";
    std::ofstream cuts(base + ".cuts");
    for (int i = 0; i + 1 < count; ++i) cuts << fields[i].last + 2 << ' ' << fields[i + 1].first + 1 << '\n';
}

struct Score {
    int right = 0, wrong = 0, missed = 0;
    void add(const Score& s) {
        right += s.right;
        wrong += s.wrong;
        missed += s.missed;
    }
    double precision() const { return right + wrong ? double(right) / (right + wrong) : 1; }
    double recall() const { return right + missed ? double(right) / (right + missed) : 1; }
    double f1() const { return 2 * precision() * recall() / std::max(1e-9, precision() + recall()); }
};

Score score(const std::vector<std::pair<int, int>>& truth, const std::vector<int>& cuts) {
    Score s;
    std::vector<bool> taken(truth.size());
    for (int cut : cuts) {
        bool hit = false;
        for (std::size_t i = 0; i < truth.size() && !hit; ++i)
            if (!taken[i] && truth[i].first <= cut && cut <= truth[i].second) hit = taken[i] = true;
        hit ? ++s.right : ++s.wrong;
    }
    s.missed = static_cast<int>(std::count(taken.begin(), taken.end(), false));
    return s;
}

int score_folder(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().extension() == ".txt") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    Score total;
    std::uint64_t bytes = 0;
    double seconds = 0;
    for (const auto& path : files) {
        std::vector<std::pair<int, int>> truth;
        std::ifstream in(std::filesystem::path(path).replace_extension(".cuts"));
        for (int lo, hi; in >> lo >> hi;) truth.emplace_back(lo, hi);
        const auto t0 = std::chrono::steady_clock::now();
        const qvr::FieldDetection d = qvr::detect_fields(path.string(), qvr::propose_encoding(path.string()));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        bytes += std::filesystem::file_size(path);
        std::vector<int> cuts;
        for (int row = 2; row <= d.table.row_count(); ++row)
            cuts.push_back(qvr::whole_number_or_zero(d.table.cell(qvr::FieldTable::kStart, row)));
        const Score s = score(truth, cuts);
        total.add(s);
        std::printf("%s  right %d wrong %d missed %d  cuts", path.filename().c_str(), s.right, s.wrong,
                    s.missed);
        for (int cut : cuts) std::printf(" %d", cut);
        std::printf("\n");
    }
    std::printf("quarvel: %zu files, precision %.3f recall %.3f F1 %.3f (%.0f MB/s on small files)\n",
                files.size(), total.precision(), total.recall(), total.f1(),
                bytes / 1e6 / std::max(seconds, 1e-9));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "make" && (argc == 4 || argc == 5)) {
        std::filesystem::create_directories(argv[2]);
        const int count = std::atoi(argv[3]);
        const std::uint64_t first = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : 1;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/export_%02d", i);
            make_one(argv[2] + std::string(name), first + static_cast<std::uint64_t>(i));
        }
        return 0;
    }
    if (verb == "score" && argc == 3) return score_folder(argv[2]);
    if (verb == "time" && argc == 3) {  // one big file, such as the one qvr_bench_gen writes
        // the encoding is proposed before the clock starts: detection alone is timed
        const qvr::TextEncoding encoding = qvr::propose_encoding(argv[2]);
        const auto t0 = std::chrono::steady_clock::now();
        const qvr::FieldDetection d = qvr::detect_fields(argv[2], encoding);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%d fields%s, %.0f MB/s, peak memory %.1f MB\n", d.table.row_count(),
                    encoding == qvr::TextEncoding::utf8 ? " (UTF-8)" : "",
                    std::filesystem::file_size(argv[2]) / 1e6 / s, usage.ru_maxrss / 1024.0);
        return 0;
    }
    std::fprintf(stderr, "usage: detect_score make FOLDER COUNT [FIRST_SEED] | score FOLDER | time FILE\n");
    return 2;
}
