#include "support/nacha_file.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>

namespace qvr::test {

namespace {

constexpr std::size_t kRecordSize = 94;

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull | 1) {}
    std::uint64_t below(std::uint64_t n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_ % n;
    }

  private:
    std::uint64_t state_;
};

/// Builds one record field by field, numbers right-aligned with zeros, texts left-aligned with blanks.
class Record {
  public:
    Record& num(std::uint64_t value, std::size_t width) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%0*llu", static_cast<int>(width),
                      static_cast<unsigned long long>(value));
        // A total that outgrows its field keeps its low digits, as the entry hash does by rule.
        text_ += std::string(digits).substr(std::string(digits).size() - width);
        return *this;
    }
    Record& text(std::string_view value, std::size_t width) {
        std::string field(value.substr(0, width));
        field.resize(width, ' ');
        text_ += field;
        return *this;
    }
    void end_into(std::string& out, const std::string& line_end) {
        if (text_.size() != kRecordSize)
            throw std::logic_error("a record of " + std::to_string(text_.size()));
        out += text_;
        out += line_end;
    }

  private:
    std::string text_;
};

const char* const kNames[] = {"ALICE MARTIN", "BOB O'NEIL",   "CHEN WEI",     "DIANA PRINCE-ROSS",
                              "EMRE YILMAZ",  "FATIMA ZAHRA", "GEORGE BAKER", "HANA SATO"};
const char* const kCompanies[] = {"ACME PAYROLL", "GLOBEX UTIL", "INITECH", "UMBRELLA CORP"};

}  // namespace

std::string nacha_file(const NachaOptions& options) {
    if (options.entries_per_batch == 0) throw std::invalid_argument("a batch needs room for an entry");
    Random random(options.seed);
    std::string out;
    out.reserve((options.entries * 5 / 4 + options.entries / options.entries_per_batch * 2 + 20) *
                (kRecordSize + options.line_end.size()));
    constexpr std::uint64_t kOrigin = 12100035;  // the originating bank's 8 digits
    std::uint64_t lines = 0;
    auto put = [&](Record& r) {
        r.end_into(out, options.line_end);
        ++lines;
    };
    Record header;
    header.num(1, 1)
        .num(1, 2)
        .text(" 091000019", 10)
        .text(" 121000358", 10)
        .num(261207, 6)
        .num(1405, 4)
        .text("A", 1)
        .num(94, 3)
        .num(10, 2)
        .num(1, 1)
        .text("FED RESERVE BANK", 23)
        .text("ORIGIN BANK NA", 23)
        .text("", 8);
    put(header);
    std::uint64_t file_count = 0, file_hash = 0, file_debit = 0, file_credit = 0, batches = 0;
    for (std::uint64_t done = 0; done < options.entries || batches == 0;) {
        ++batches;
        const std::string company = kCompanies[random.below(std::size(kCompanies))];
        const std::uint64_t company_id = 1000000000 + random.below(900000000);
        Record batch;
        batch.num(5, 1)
            .num(200, 3)
            .text(company, 16)
            .text("", 20)
            .num(company_id, 10)
            .text("PPD", 3)
            .text("PAYROLL", 10)
            .num(261207, 6)
            .num(261208, 6)
            .text("", 3)
            .num(1, 1)
            .num(kOrigin, 8)
            .num(batches, 7);
        put(batch);
        std::uint64_t count = 0, hash = 0, debit = 0, credit = 0;
        const std::uint64_t in_batch =
            std::min<std::uint64_t>(options.entries_per_batch, options.entries - done);
        for (std::uint64_t i = 0; i < in_batch; ++i, ++done) {
            static constexpr std::uint64_t kCodes[] = {22, 27, 32, 37};
            const std::uint64_t code = kCodes[random.below(4)];
            const std::uint64_t amount = 1 + random.below(9999999);  // file totals stay within 12 digits
            const std::uint64_t bank = 10000000 + random.below(90000000);
            const bool addenda = options.addenda_every > 0 && (done + 1) % options.addenda_every == 0;
            (code % 10 == 7 ? debit : credit) += amount;
            hash += bank;
            Record entry;
            entry.num(6, 1)
                .num(code, 2)
                .num(bank, 8)
                .num(random.below(10), 1)
                .text(std::to_string(random.below(1000000000000ull)), 17)
                .num(amount, 10)
                .text("EMP" + std::to_string(random.below(100000)), 15)
                .text(kNames[random.below(std::size(kNames))], 22)
                .text("", 2)
                .num(addenda ? 1 : 0, 1)
                .num(kOrigin, 8)
                .num(done + 1, 7);
            put(entry);
            ++count;
            if (addenda) {
                Record more;
                more.num(7, 1)
                    .num(5, 2)
                    .text("INVOICE " + std::to_string(random.below(1000000)) + " PAID", 80)
                    .num(1, 4)
                    .num(done + 1, 7);
                put(more);
                ++count;
            }
        }
        Record control;
        control.num(8, 1)
            .num(200, 3)
            .num(count, 6)
            .num(hash, 10)
            .num(debit, 12)
            .num(credit, 12)
            .num(company_id, 10)
            .text("", 19)
            .text("", 6)
            .num(kOrigin, 8)
            .num(batches, 7);
        put(control);
        file_count += count;
        file_hash += hash;
        file_debit += debit;
        file_credit += credit;
    }
    const std::uint64_t blocks = (lines + 1 + 9) / 10;
    Record trailer;
    trailer.num(9, 1)
        .num(batches, 6)
        .num(blocks, 6)
        .num(file_count, 8)
        .num(file_hash, 10)
        .num(file_debit, 12)
        .num(file_credit, 12)
        .text("", 39);
    put(trailer);
    for (; lines % 10 != 0; ++lines) out += std::string(kRecordSize, '9') + options.line_end;
    return out;
}

const std::vector<NachaLayout>& nacha_layouts() {
    static const std::vector<NachaLayout> layouts = {
        {'1',
         "1-file-header.tab",
         {{"RecType", 1, 1},
          {"Priority", 2, 2},
          {"ImmDest", 4, 10},
          {"ImmOrigin", 14, 10},
          {"FileDate", 24, 6},
          {"FileTime", 30, 4},
          {"FileIdMod", 34, 1},
          {"RecSize", 35, 3},
          {"BlockFact", 38, 2},
          {"FormatCode", 40, 1},
          {"DestName", 41, 23},
          {"OriginName", 64, 23},
          {"RefCode", 87, 8}}},
        {'5',
         "5-batch-header.tab",
         {{"RecType", 1, 1},
          {"ServClass", 2, 3},
          {"CoName", 5, 16},
          {"CoDiscData", 21, 20},
          {"CoId", 41, 10},
          {"SecCode", 51, 3},
          {"EntryDesc", 54, 10},
          {"DescDate", 64, 6},
          {"EffDate", 70, 6},
          {"SettleDate", 76, 3},
          {"OrigStatus", 79, 1},
          {"OrigDfi", 80, 8},
          {"BatchNum", 88, 7}}},
        {'6',
         "6-entry-detail.tab",
         {{"RecType", 1, 1},
          {"TranCode", 2, 2},
          {"RecvDfi", 4, 8},
          {"CheckDigit", 12, 1},
          {"AccountNum", 13, 17},
          {"Amount", 30, 10},
          {"IndivId", 40, 15},
          {"IndivName", 55, 22},
          {"DiscData", 77, 2},
          {"AddendaInd", 79, 1},
          {"TraceNum", 80, 15}}},
        {'7',
         "7-addenda.tab",
         {{"RecType", 1, 1},
          {"AddendaTyp", 2, 2},
          {"PaymentInf", 4, 80},
          {"AddendaSeq", 84, 4},
          {"EntrySeq", 88, 7}}},
        {'8',
         "8-batch-control.tab",
         {{"RecType", 1, 1},
          {"ServClass", 2, 3},
          {"EntryCount", 5, 6},
          {"EntryHash", 11, 10},
          {"TotalDebit", 21, 12},
          {"TotalCredt", 33, 12},
          {"CoId", 45, 10},
          {"MacCode", 55, 19},
          {"Reserved", 74, 6},
          {"OrigDfi", 80, 8},
          {"BatchNum", 88, 7}}},
        {'9',
         "9-file-control.tab",
         {{"RecType", 1, 1},
          {"BatchCount", 2, 6},
          {"BlockCount", 8, 6},
          {"EntryCount", 14, 8},
          {"EntryHash", 22, 10},
          {"TotalDebit", 32, 12},
          {"TotalCredt", 44, 12},
          {"Reserved", 56, 39}}},
    };
    return layouts;
}

}  // namespace qvr::test
