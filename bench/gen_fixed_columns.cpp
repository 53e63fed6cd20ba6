// Writes a fixed-column text file for the benchmarks: the same bytes for the same line count on every
// machine. Ten fields of mixed widths, mixed case, Latin-1 accents, CR LF line ends; one line in ten
// repeats an earlier record with its letter case changed, so that dropping duplicates has work to do.
// With "utf8" after the line count the accents are written in UTF-8, the columns staying characters.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fixed_columns.h"

namespace {

class Random {
  public:
    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

  private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

// Latin-1 bytes: e acute, e grave, u diaeresis, c cedilla, A ring, n tilde, o circumflex, s sharp.
const char* const kLastNames[] = {"Dupont", "Müller", "Lefèvre", "GARÇON",       "Åström",  "Núñez",
                                  "Ôtake",  "dubois", "Strauß",  "Hélène-Smith", "o'brien", "Van der Berg"};
const char* const kFirstNames[] = {"Amélie", "JOSÉ", "françois", "Zoë", "Björn", "Anaïs", "peter", "Inès"};
const char* const kCities[] = {"Paris", "Zürich", "Besançon", "MÁLAGA", "Köln", "saint-étienne", "Genève"};
const char* const kWords[] = {"livraison", "Retour", "URGENT", "déjà payé", "à vérifier", "note", "Échange"};

bool g_utf8 = false;

std::string latin1(const char* utf8) {
    if (g_utf8) return utf8;
    // The pools are written in UTF-8 here; the file holds one byte per character.
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
        if ((*p & 0xE0) == 0xC0 && p[1]) {
            out += static_cast<char>(((*p & 0x1F) << 6) | (p[1] & 0x3F));
            ++p;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out;
}

template <std::size_t N>
std::vector<std::string> pool(const char* const (&words)[N]) {
    std::vector<std::string> out;
    for (const char* w : words) out.push_back(latin1(w));
    return out;
}

// Characters, not bytes: a UTF-8 continuation byte adds no column.
std::size_t columns(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

void put(std::string& line, std::string text, int width, bool right = false) {
    while (columns(text) > static_cast<std::size_t>(width)) {
        text.pop_back();
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
    }
    std::string pad(static_cast<std::size_t>(width) - columns(text), ' ');
    line += right ? pad + text : text + pad;
}

std::string flip_case(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "utf8")) {
        std::fprintf(stderr, "usage: qvr_bench_gen <file> <lines> [utf8]\n");
        return 2;
    }
    g_utf8 = argc == 4;
    const std::uint64_t lines = std::strtoull(argv[2], nullptr, 10);
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    using qvr::bench::kColumns;
    const auto last = pool(kLastNames), first = pool(kFirstNames), cities = pool(kCities),
               words = pool(kWords);
    Random random;
    std::vector<std::string> recent;
    std::string line;
    for (std::uint64_t i = 0; i < lines; ++i) {
        if (i % 10 == 9 && !recent.empty()) {
            line = flip_case(recent[random.below(recent.size())]);
        } else {
            line.clear();
            put(line, std::to_string(10000000 + random.below(90000000)), kColumns[0].width);
            put(line, last[random.below(last.size())], kColumns[1].width);
            put(line, first[random.below(first.size())], kColumns[2].width);
            put(line, cities[random.below(cities.size())], kColumns[3].width);
            put(line, std::to_string(10000 + random.below(90000)), kColumns[4].width);
            char date[16];
            std::snprintf(date, sizeof date, "%04zu-%02zu-%02zu", 1990 + random.below(35),
                          1 + random.below(12), 1 + random.below(28));
            put(line, date, kColumns[5].width);
            char amount[24];
            std::snprintf(amount, sizeof amount, "%zu.%02zu", random.below(1000000), random.below(100));
            put(line, amount, kColumns[6].width, true);
            put(line,
                std::string(1, static_cast<char>('A' + random.below(26))) + "X" +
                    static_cast<char>('0' + random.below(10)),
                kColumns[7].width);
            put(line, words[random.below(words.size())] + " " + words[random.below(words.size())],
                kColumns[8].width);
            put(line, "REF-" + std::to_string(random.next() % 1000000000000ull), kColumns[9].width);
            if (recent.size() < 1000)
                recent.push_back(line);
            else
                recent[random.below(recent.size())] = line;
        }
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
            std::perror(argv[1]);
            return 1;
        }
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
