#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_encoding.h"
#include "common/utf8_chars.h"
#include "engine/line_cutter.h"
#include "engine/record_sink.h"
#include "fields/field_columns.h"

namespace qvr {

/// What the pipeline does to each record between its source and its sink.
struct RecordRule {
    /// Cuts the record into the cut line the filter tests (and a text sink writes): the fields, trimmed
    /// as asked, joined.
    const LineCutter& cutter;
    const LineFilter& filter;
    std::int32_t sample_size = 0;  ///< the most records passed; 0 or less: no limit
    /// What a column is: the fields a sink that takes fields gets are cut by the cutter's slices in it.
    TextEncoding encoding = TextEncoding::cp1252;
    /// Counts the values of typed fields that could not be read, in the records passed, at their input
    /// line numbers; null: not counted.
    BadValueTally* bad = nullptr;
};

/// The typed fields of a record as their values (convert_value()), in room of its own: a value that
/// cannot be read becomes empty and is counted.
class FieldValues {
  public:
    explicit FieldValues(const LineCutter& cutter)
        : types_(cutter.types()), room_(types_.size() * kMostValueBytes, '\0') {}
    void convert(std::vector<std::string_view>& fields, BadValueTally& bad, std::uint64_t line_number) {
        for (std::size_t i = 0; i < types_.size() && i < fields.size(); ++i) {
            if (types_[i].is_text()) continue;
            char* at = room_.data() + i * kMostValueBytes;
            const char* end = convert_value(types_[i], fields[i], at);
            if (!end) bad.add(i, line_number);
            fields[i] = std::string_view(at, end ? static_cast<std::size_t>(end - at) : 0);
        }
    }

  private:
    const std::vector<FieldType>& types_;
    std::string room_;
};

/// The one loop of every job: records from `input` (anything with next(std::string_view&): a file read
/// as a stream or taken whole; another framing of records is another source), cut into fields, filtered
/// and sampled, to `sink`. `passed` counts the records handed on and is current at every moment, so that
/// it is right also when a failure ends the loop. `before_line()` runs before each record is looked at
/// (a stop), `after_line()` after it (progress).
template <class Source, class BeforeLine, class AfterLine>
void pass_records(Source& input, const RecordRule& rule, RecordSink& sink, std::int64_t& passed,
                  BeforeLine&& before_line, AfterLine&& after_line) {
    const bool filtered = !rule.filter.lets_all_pass();
    const bool takes_fields = sink.takes_fields();
    // A sink that writes fields apart needs the cut line only for the filter.
    const bool cuts = !takes_fields || filtered;
    const std::vector<FieldSlice>& slices = rule.cutter.slices();
    std::vector<std::string_view> fields(takes_fields ? slices.size() : 0);
    std::string own_room;
    // A record's bad values count only once it passes; the cut line counts them when it is what is
    // written, else the fields' values do.
    const bool typed = rule.cutter.typed();
    BadValueTally line_bad;
    BadValueTally* const cut_bad = typed && !takes_fields ? &line_bad : nullptr;
    FieldValues values(rule.cutter);
    std::uint64_t line_number = 0;
    std::string_view line;
    while (input.next(line)) {
        before_line();
        ++line_number;
        if (rule.sample_size > 0 && passed >= rule.sample_size) break;
        std::string_view cut_line;
        if (cuts) {
            const std::size_t most = rule.cutter.max_cut_size(line.size());
            char* at = sink.cut_room(most);
            if (!at) {
                if (own_room.size() < most) own_room.resize(most);
                at = own_room.data();
            }
            cut_line = std::string_view(
                at, static_cast<std::size_t>(rule.cutter.cut_to(line, at, cut_bad, line_number) - at));
        }
        if (!filtered || rule.filter.passes(cut_line)) {
            if (takes_fields) {
                // The fields as the columns hold them, typed ones as their values. A line of ASCII
                // has a byte per column in either encoding, and is sliced as bytes.
                LineColumns columns(line, rule.encoding == TextEncoding::utf8 && has_high_byte(line)
                                              ? TextEncoding::utf8
                                              : TextEncoding::cp1252);
                for (std::size_t i = 0; i < slices.size(); ++i) fields[i] = field_slice(columns, slices[i]);
                if (typed) values.convert(fields, line_bad, line_number);
            }
            if (rule.bad && !line_bad.fields().empty()) rule.bad->merge(line_bad);
            ++passed;
            sink.put({cut_line, passed, takes_fields ? &fields : nullptr});
        }
        if (typed) line_bad.clear();
        after_line();
    }
}

/// A source whose first record was read already (to settle something before the rest: the encoding, the
/// field positions), handed out again first.
template <class Source>
class FirstLineAgain {
  public:
    FirstLineAgain(Source& source, std::string_view first, bool any)
        : source_(source), first_(first), any_(any) {}
    bool next(std::string_view& line) {
        if (!any_) return false;
        if (pending_) {
            pending_ = false;
            line = first_;
            return true;
        }
        return source_.next(line);
    }

  private:
    Source& source_;
    std::string_view first_;
    bool any_;
    bool pending_ = true;
};

}  // namespace qvr
