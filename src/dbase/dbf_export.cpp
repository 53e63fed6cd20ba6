#include "dbase/dbf_export.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "common/file_error.h"
#include "common/line_reader.h"
#include "common/regular_file.h"
#include "common/whole_number.h"
#include "engine/extract_job.h"
#include "engine/job_records.h"
#include "engine/record_pipeline.h"

namespace qvr {

namespace {
// The columns as their types make them; without the values seen, as wide as their fields allow.
std::vector<DbfField> fields_of(const std::vector<DbfColumn>& columns, const std::vector<FieldType>& types,
                                const std::vector<NumberShape>& seen = {}) {
    std::vector<DbfField> fields;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const DbfColumn& c = columns[i];
        fields.push_back(i < types.size() ? dbf_typed_field(c.field.name, c.field.length, types[i],
                                                            i < seen.size() ? &seen[i] : nullptr)
                                          : c.field);
    }
    return fields;
}

bool any_number(const std::vector<FieldType>& types) {
    for (const FieldType& t : types)
        if (t.is_number()) return true;
    return false;
}

// Takes the values of the records that pass, and keeps the widest number of each column.
class ShapeSink : public RecordSink {
  public:
    explicit ShapeSink(std::size_t columns) : shapes_(columns) {}
    bool takes_fields() const override { return true; }
    void put(const PassedRecord& record) override {
        for (std::size_t i = 0; i < shapes_.size(); ++i) {
            const std::string_view value = (*record.fields)[i];
            if (value.empty()) continue;
            const NumberShape shape = number_shape(value);
            NumberShape& most = shapes_[i];
            most.whole_digits = std::max(most.whole_digits, shape.whole_digits);
            most.decimals = std::max(most.decimals, shape.decimals);
            most.negative = most.negative || shape.negative;
        }
    }
    void commit() override {}
    void abandon() noexcept override {}
    std::vector<NumberShape>& shapes() { return shapes_; }

  private:
    std::vector<NumberShape> shapes_;
};
}  // namespace

int dbf_gauge_position(std::uint64_t lines_read, std::uint64_t expected) {
    if (expected == 0) return 15;
    std::uint64_t position = 15 + 84 * lines_read / expected;
    return static_cast<int>(std::min<std::uint64_t>(position, 99));
}

DbfExport::DbfExport(DbfExportJob job)
    : job_(std::move(job)),
      sink_(job_.target, fields_of(job_.columns, job_.types), job_.record_count, job_.encoding) {}

std::vector<NumberShape> dbf_number_shapes(const DbfInput& input, const LineCutter& cutter,
                                           const LineFilter& filter) {
    ShapeSink shapes(cutter.slices().size());
    std::int64_t passed = 0;
    const RecordRule rule{cutter, filter, 0, input.encoding};
    // The values are read as the table's records are: framed, skipped and decoded alike.
    if (input.framing.format != RecordFormat::lines || input.framing.skip_first > 0 ||
        input.framing.skip_last > 0 || input.code_page) {
        JobRecords records(input.path, input.framing, input.encoding, input.code_page);
        pass_records(
            records, rule, shapes, passed, [] {}, [] {});
    } else {
        LineReader reader(input.path);
        reader.read_text_in(input.encoding);
        reader.keep_line_prefix(input.line_prefix);
        pass_records(
            reader, rule, shapes, passed, [] {}, [] {});
    }
    return std::move(shapes.shapes());
}

std::vector<NumberShape> DbfExport::number_shapes(const LineCutter& cutter) const {
    return dbf_number_shapes({job_.input_path, job_.framing, job_.encoding, job_.code_page, line_prefix()},
                             cutter, job_.filter);
}

bool DbfExport::reads_records() const {
    return job_.framing.format != RecordFormat::lines || job_.framing.skip_first > 0 ||
           job_.framing.skip_last > 0 || job_.code_page;
}

std::vector<FieldSlice> DbfExport::read_slices() const {
    std::vector<FieldSlice> slices;
    for (const DbfColumn& c : job_.columns)
        slices.push_back({strict_whole_number(c.start_text), c.field.length});
    return slices;
}

std::size_t DbfExport::line_prefix() const {
    try {
        // A settled encoding keeps a character's width, so that a UTF-8 character that would contradict
        // it is seen whole.
        return static_cast<std::size_t>(
            bytes_used(read_slices(), job_.encoding_from_first_block ? TextEncoding::utf8 : job_.encoding));
    } catch (const NotAWholeNumber&) {
        return 0;
    }
}

std::uint64_t DbfExport::run(const DbfProgress& progress) {
    std::string_view first;
    if (reads_records()) {
        JobRecords input(job_.input_path, job_.framing, job_.encoding, job_.code_page);
        job_.encoding = input.encoding();
        sink_.set_encoding(job_.encoding);
        const bool any = input.next(first);
        FirstLineAgain<JobRecords> records(input, first, any);
        pass_all(records, any, progress);
        return sink_.records();
    }
    LineReader reader(job_.input_path);
    if (job_.encoding_from_first_block) {
        job_.encoding = reader.settle_text_encoding();
        sink_.set_encoding(job_.encoding);
    } else {
        reader.read_text_in(job_.encoding);
    }
    // A line of gigabytes takes no more memory than its columns of the table.
    reader.keep_line_prefix(line_prefix());
    const bool any = reader.next(first);
    FirstLineAgain<LineReader> lines(reader, first, any);
    pass_all(lines, any, progress);
    input_text_ = reader.tally();
    return sink_.records();
}

template <class Source>
void DbfExport::pass_all(Source& input, bool any, const DbfProgress& progress) {
    // The start positions are read at the first line: an empty input has none to refuse. The filter
    // tests the fields joined by nothing.
    const LineCutter cutter(any ? read_slices() : std::vector<FieldSlice>{}, std::string(), job_.trim,
                            job_.encoding, false, any ? job_.types : std::vector<FieldType>{});
    // A number column is as wide as its widest value: a pass over the values finds it, where the input
    // can be read twice and the header written again; else the column is as wide as its field allows.
    if (any && any_number(job_.types) && job_.input_path != kStandardInputPath &&
        !job_.encoding_from_first_block && sink_.can_set_fields())
        sink_.set_fields(fields_of(job_.columns, job_.types, number_shapes(cutter)));
    std::int64_t passed = 0;
    std::uint64_t lines_read = 0;
    try {
        pass_records(
            input, RecordRule{cutter, job_.filter, 0, job_.encoding, &bad_values_}, sink_, passed, [] {},
            [&] {
                ++lines_read;
                if (progress) progress(lines_read);
            });
        refuse_bad_values(job_.strict, bad_values_, job_.names);
        sink_.commit();
    } catch (...) {
        sink_.abandon();
        throw;
    }
}

}  // namespace qvr
