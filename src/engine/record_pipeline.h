#pragma once

#include <cstdint>
#include <span>
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
    void convert(std::span<std::string_view> fields, BadValueTally& bad, std::uint64_t line_number) {
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

/// One record's way from its source to its sink: cut, filtered, sampled and handed on. The loop of a job
/// with one output has one step; a job of several record types has one per type's output.
class RecordStep {
  public:
    /// `passed` counts the records handed on, current at every moment.
    RecordStep(const RecordRule& rule, RecordSink& sink, std::int64_t& passed)
        : rule_(rule),
          sink_(sink),
          passed_(passed),
          filtered_(!rule.filter.lets_all_pass()),
          takes_fields_(sink.takes_fields()),
          // A sink that writes fields apart needs the cut line only for the filter.
          cuts_(!takes_fields_ || filtered_),
          fields_(takes_fields_ ? rule.cutter.slices().size() : 0),
          typed_(rule.cutter.typed()),
          // The cut line counts the bad values when it is what is written, else the fields' values do.
          cut_bad_(typed_ && !takes_fields_ ? &line_bad_ : nullptr),
          values_(rule.cutter) {}

    /// Whether the sample is complete: no further record is taken.
    bool full() const { return rule_.sample_size > 0 && passed_ >= rule_.sample_size; }

    /// Fields put before each record's own (values carried from other records), as the cutter puts a
    /// field; the views must stay valid while take() runs.
    void set_front(const std::vector<std::string_view>* front) {
        front_ = front;
        fields_.resize(takes_fields_ ? rule_.cutter.slices().size() + front->size() : 0);
    }

    /// `line_number`: the record's in the input, where its bad values are counted. `raw`: the bytes `line`
    /// was decoded from (a byte a character), which packed and binary fields are read from; empty when
    /// the record was not decoded.
    void take(std::string_view line, std::uint64_t line_number, std::string_view raw = {}) {
        std::string_view cut_line;
        if (cuts_) {
            const std::size_t most = front_size() + rule_.cutter.max_cut_size(line.size());
            char* at = sink_.cut_room(most);
            if (!at) {
                if (own_room_.size() < most) own_room_.resize(most);
                at = own_room_.data();
            }
            char* end = at;
            if (front_)
                for (const std::string_view field : *front_) end = rule_.cutter.put_front(field, end);
            cut_line = std::string_view(
                at,
                static_cast<std::size_t>(rule_.cutter.cut_to(line, end, cut_bad_, line_number, raw) - at));
        }
        // A record's bad values count only once it passes.
        if (filtered_ && !rule_.filter.passes(cut_line)) {
            if (typed_) line_bad_.clear();
            return;
        }
        if (takes_fields_) {
            // The fields as the columns hold them, typed ones as their values. A line of ASCII has a byte
            // per column in either encoding, and is sliced as bytes.
            LineColumns columns(line, rule_.encoding == TextEncoding::utf8 && has_high_byte(line)
                                          ? TextEncoding::utf8
                                          : TextEncoding::cp1252);
            const std::size_t first = front_ ? front_->size() : 0;
            for (std::size_t i = 0; i < first; ++i) fields_[i] = (*front_)[i];
            const std::vector<FieldSlice>& slices = rule_.cutter.slices();
            for (std::size_t i = 0; i < slices.size(); ++i)
                fields_[first + i] = !raw.empty() && rule_.cutter.reads_bytes(i)
                                         ? field_slice(raw, slices[i], TextEncoding::cp1252)
                                         : field_slice(columns, slices[i]);
            if (typed_) values_.convert(std::span(fields_).subspan(first), line_bad_, line_number);
        }
        if (typed_) {
            if (rule_.bad && !line_bad_.fields().empty()) rule_.bad->merge(line_bad_);
            line_bad_.clear();
        }
        ++passed_;
        sink_.put({cut_line, passed_, takes_fields_ ? &fields_ : nullptr});
    }

  private:
    std::size_t front_size() const {
        std::size_t size = 0;
        if (front_)
            for (const std::string_view field : *front_) size += rule_.cutter.max_front_size(field.size());
        return size;
    }

    const RecordRule& rule_;
    RecordSink& sink_;
    std::int64_t& passed_;
    bool filtered_, takes_fields_, cuts_;
    std::vector<std::string_view> fields_;
    bool typed_;
    BadValueTally line_bad_;  // the record being taken's
    BadValueTally* cut_bad_;
    FieldValues values_;
    const std::vector<std::string_view>* front_ = nullptr;
    std::string own_room_;
};

/// The bytes a source's last record was decoded from (JobRecords::raw()); empty for a source that does
/// not decode.
template <class Source>
std::string_view raw_record(const Source& input) {
    if constexpr (requires { input.raw(); })
        return input.raw();
    else
        return {};
}

/// The one loop of every job: records from `input` (anything with next(std::string_view&): a file read
/// as a stream or taken whole; another framing of records is another source), cut into fields, filtered
/// and sampled, to `sink`. `passed` counts the records handed on and is current at every moment, so that
/// it is right also when a failure ends the loop. `before_line()` runs before each record is looked at
/// (a stop), `after_line()` after it (progress).
template <class Source, class BeforeLine, class AfterLine>
void pass_records(Source& input, const RecordRule& rule, RecordSink& sink, std::int64_t& passed,
                  BeforeLine&& before_line, AfterLine&& after_line) {
    RecordStep step(rule, sink, passed);
    std::uint64_t line_number = 0;
    std::string_view line;
    while (input.next(line)) {
        before_line();
        if (step.full()) break;
        step.take(line, ++line_number, raw_record(input));
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
    /// The first record's raw bytes stay the source's last until it reads on.
    std::string_view raw() const { return raw_record(source_); }

  private:
    Source& source_;
    std::string_view first_;
    bool any_;
    bool pending_ = true;
};

}  // namespace qvr
