// Scores field detection on generated exports whose layout is known.
//   detect_score make FOLDER COUNT   writes COUNT files (export_NN.txt) and their true boundaries (.cuts)
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

enum class Type { id, letters, alnum, date, amount, quantity, name, address, city, flag, postcode };
constexpr int kTypes = 11;

struct Field {
    Type type;
    int width;
    bool right;
    int date_form = 0;
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
const char* const kHeadings[kTypes] = {"ID",   "CODE",    "REF",  "DATE", "AMOUNT", "QTY",
                                       "NAME", "ADDRESS", "CITY", "FLAG", "ZIP"};

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
            const char* forms[] = {"%04d%02d%02d", "%3$02d/%2$02d/%1$04d", "%04d-%02d-%02d",
                                   "%3$02d.%2$02d.%1$04d"};
            std::snprintf(buf, sizeof buf, forms[f.date_form], y, m, d);
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
    }
    return 1;
}

// Fields touch only where something other than blanks can tell them apart: a date after a code, digits
// after letters and letters after digits.
bool may_touch(const Field& a, const Field& b) {
    auto digits_first = [](Type t) {
        return t == Type::id || t == Type::postcode || t == Type::quantity || t == Type::amount ||
               t == Type::address;
    };
    auto letters_last = [](Type t) {
        return t == Type::letters || t == Type::name || t == Type::city || t == Type::flag;
    };
    auto letters_first = [](Type t) {
        return t == Type::letters || t == Type::name || t == Type::city || t == Type::flag;
    };
    if (b.type == Type::date)
        return a.type != Type::date && a.type != Type::quantity && a.type != Type::amount;
    if (a.type == Type::amount || a.type == Type::quantity || a.type == Type::id ||
        a.type == Type::postcode || a.type == Type::date)
        return letters_first(b.type);
    return letters_last(a.type) && digits_first(b.type);
}

void make_one(const std::string& base, std::uint64_t seed) {
    Random r(seed);
    const int count = r.in(4, 14), lines = r.in(1500, 12000);
    std::vector<Field> fields;
    std::vector<int> gaps;
    for (int i = 0; i < count; ++i) {
        Field f;
        f.type = static_cast<Type>(r.in(0, kTypes - 1));
        f.width = width_of(r, f.type);
        f.date_form = r.in(0, 3);
        if (f.type == Type::date) f.width = f.date_form == 0 ? 8 : 10;
        f.right = f.type == Type::amount || f.type == Type::quantity;
        if (i > 0 && r.chance(0.3)) f.filled_after = r.in(200, 900);
        f.heading = kHeadings[static_cast<int>(f.type)];
        fields.push_back(f);
    }
    for (int i = 0; i + 1 < count; ++i)
        gaps.push_back(may_touch(fields[i], fields[i + 1]) && r.chance(0.8) ? 0 : r.in(1, 2));
    const bool pad = r.chance(0.5), heading = r.chance(0.3);
    std::ofstream out(base + ".txt", std::ios::binary);
    auto record = [&](bool track) {
        std::string line;
        for (int i = 0; i < count; ++i) {
            Field& f = fields[i];
            std::string v = f.filled_after > 0 && (!track || r.chance(0.4)) ? "" : value(r, f);
            if (static_cast<int>(v.size()) > f.width) v.resize(f.width);
            const std::string padding(f.width - v.size(), ' ');
            const std::size_t at = line.size() + (f.right ? padding.size() : 0);
            line += f.right ? padding + v : v + padding;
            if (track)
                for (std::size_t c = at; c < at + v.size(); ++c)
                    if (line[c] != ' ') {
                        f.first = std::min(f.first, static_cast<int>(c));
                        f.last = std::max(f.last, static_cast<int>(c));
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
        if (r.chance(0.004)) {  // a record cut off
            line.resize(r.in(1, static_cast<int>(line.size())));
        } else if (r.chance(0.002)) {  // a record with a character lost
            line.erase(r.in(0, static_cast<int>(line.size()) - 1), 1);
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
        const qvr::FieldDetection d = qvr::detect_fields(path.string(), qvr::TextEncoding::cp1252);
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
    if (verb == "make" && argc == 4) {
        std::filesystem::create_directories(argv[2]);
        const int count = std::atoi(argv[3]);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/export_%02d", i);
            make_one(argv[2] + std::string(name), static_cast<std::uint64_t>(i) + 1);
        }
        return 0;
    }
    if (verb == "score" && argc == 3) return score_folder(argv[2]);
    if (verb == "time" && argc == 3) {  // one big file, such as the one qvr_bench_gen writes
        const auto t0 = std::chrono::steady_clock::now();
        const qvr::FieldDetection d = qvr::detect_fields(argv[2], qvr::TextEncoding::cp1252);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%d fields, %.0f MB/s, peak memory %.1f MB\n", d.table.row_count(),
                    std::filesystem::file_size(argv[2]) / 1e6 / s, usage.ru_maxrss / 1024.0);
        return 0;
    }
    std::fprintf(stderr, "usage: detect_score make FOLDER COUNT | score FOLDER | time FILE\n");
    return 2;
}
