#include "engine/typed_extract.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <type_traits>

#include "common/file_error.h"
#include "common/whole_text.h"
#include "engine/job_records.h"
#include "engine/line_cutter.h"
#include "engine/memory_check.h"
#include "engine/record_pipeline.h"
#include "engine/sort_stage.h"
#include "engine/text_sink.h"

namespace qvr {

namespace {

// One table's output: its job (the sink refers to it), sink, sort stage, cutter and step.
struct TypeOutput {
    ExtractJob job;
    std::unique_ptr<RecordSink> sink;
    std::unique_ptr<SortStage> stage;
    LineCutter cutter;
    BadValueTally bad;
    RecordRule rule;
    std::int64_t passed = 0;
    RecordStep step;
    std::vector<std::string_view> front;

    // The sink refers to its job: `make` makes it of this one, in its place.
    TypeOutput(ExtractJob table_job,
               const std::function<std::unique_ptr<RecordSink>(const ExtractJob&)>& make,
               std::uint64_t sort_memory, std::uint64_t input_size, const StopRequest* stop,
               const RecordTypeTable& table, std::size_t carries)
        : job(std::move(table_job)),
          sink(make(job)),
          stage(job.sorted || job.unique ? std::make_unique<SortStage>(job, sort_memory, input_size, stop)
                                         : nullptr),
          cutter(table.slices, job.separator, job.trim, job.encoding, job.quote, table.types),
          rule{cutter, job.filter, job.sample_size, job.encoding, &bad},
          step(rule, stage ? stage->sink() : *sink, passed),
          front(carries) {
        if (!front.empty()) step.set_front(&front);
    }
};

// The output's job of a table: the carried fields first (text, as they stand in their records), then
// the table's own; its file, and its table's name.
ExtractJob job_of(const ExtractJob& base, const TypedExtractJob& typed, std::size_t table,
                  const RecordRouter& router) {
    ExtractJob job = base;
    const RecordTypeTable& t = typed.tables[table];
    job.slices.clear();
    job.names.clear();
    job.types.clear();
    for (const std::size_t c : router.carries_of(table)) {
        job.slices.push_back(router.carry(c).field);
        job.names.push_back(router.carry(c).name);
    }
    if (!t.types.empty()) job.types.assign(job.slices.size(), FieldType{});
    job.slices.insert(job.slices.end(), t.slices.begin(), t.slices.end());
    job.names.insert(job.names.end(), t.names.begin(), t.names.end());
    job.types.insert(job.types.end(), t.types.begin(), t.types.end());
    job.output_path = type_file_name(typed.output_pattern, t.value);
    if (!t.output_table.empty()) job.output_table = t.output_table;
    return job;
}

std::unique_ptr<RecordSink> make_output(const ExtractJob& job) {
    if (job.output.make) return job.output.make(job);
    return std::make_unique<SeparatedTextSink>(job);
}

// A strict run's bad values, of every table, refuse them all before any is put in place.
void refuse_bad_values(const TypedExtractJob& typed, const std::deque<TypeOutput>& outputs) {
    if (!typed.job.strict) return;
    std::string report;
    for (std::size_t t = 0; t < outputs.size(); ++t)
        report += outputs[t].bad.report(type_field_names(typed.tables[t]));
    if (report.empty()) return;
    throw BadValuesRefused(report + "Nothing was written: the former results are left as they were.");
}

}  // namespace

void take_layout_set(const LayoutSet& set, TypedExtractJob& job) {
    job.type_columns = set.type_columns;
    job.tables.clear();
    job.carries.clear();
    for (const TypeTable& t : set.tables) {
        if (t.rows.empty()) throw UserError("The table of record type '" + t.value + "' has no field");
        FieldTable table;
        table.assign_rows(t.rows);
        if (const int row = table.first_unusable_row())
            throw UserError("Record type '" + t.value + "', field " + std::to_string(row) +
                            ": the start or the length is 0");
        job.tables.push_back({t.value, table.slices(), table.names(), table.types(), {}});
    }
    for (const LayoutCarry& c : set.carries) {
        const RecordTypeTable* table = nullptr;
        for (const RecordTypeTable& t : job.tables)
            if (trim_blanks(t.value) == trim_blanks(c.type)) table = &t;
        if (!table) throw UserError("The carry " + c.type + ":" + c.field + " names a type without a table");
        std::size_t i = 0;
        while (i < table->names.size() && trim_blanks(table->names[i]) != trim_blanks(c.field)) ++i;
        if (i == table->names.size())
            throw UserError("The table of record type '" + c.type + "' has no field '" + c.field + "'");
        job.carries.push_back({c.type, table->slices[i], c.field});
    }
}

std::vector<std::string> type_field_names(const RecordTypeTable& table) {
    std::vector<std::string> names;
    for (const std::string& name : table.names)
        names.push_back(std::string(trim_blanks(name)) + " (type " + table.value + ")");
    return names;
}

namespace {

// Where a source is, for the gauge.
std::uint64_t position_of(const WholeTextReader& input) { return input.line_start(); }
std::uint64_t position_of(const JobRecords& input) { return input.bytes_read(); }

template <class Source>
void pass_types(const TypedExtractJob& typed, ExtractJob base, Source& input, const ExtractHooks& hooks,
                TypedTally& tally) {
    tally.encoding = base.encoding;
    std::vector<std::string> values;
    for (const RecordTypeTable& t : typed.tables) values.push_back(t.value);
    RecordRouter router(typed.type_columns, values, typed.carries, base.encoding);
    // One file for all tables: each table after the first goes into the first's file.
    const bool one_file = typed.output_pattern.find("{type}") == std::string::npos;
    const std::uint64_t sort_memory =
        sort_memory_budget(hooks.memory.available()) / std::max<std::size_t>(typed.tables.size(), 1);
    std::deque<TypeOutput> outputs;  // never moved: each step refers to its own rule and sink
    std::set<std::string> table_names;
    for (std::size_t t = 0; t < typed.tables.size(); ++t) {
        ExtractJob job = job_of(base, typed, t, router);
        if (one_file) {
            // Tables of one database (sheets of one workbook) are told apart by their names, letter case
            // aside as SQLite and workbooks do.
            std::string folded = job.output_table;
            for (char& c : folded) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (!table_names.insert(folded).second)
                throw UserError("Two record types would write the table " + job.output_table +
                                ": give {type} in its name");
        }
        RecordSink* const first = t > 0 && one_file ? outputs.front().sink.get() : nullptr;
        outputs.emplace_back(
            std::move(job),
            [first](const ExtractJob& own) {
                if (!first) return make_output(own);
                std::unique_ptr<RecordSink> next = first->next_table(own);
                if (!next)
                    throw UserError("The results of several record types need {type} in the output's name");
                return next;
            },
            sort_memory, input.size(), hooks.stop, typed.tables[t], router.carries_of(t).size());
        tally.outputs.push_back(outputs.back().job.output_path);
    }
    // Each table's step and carries by its number, looked up once a record.
    struct Route {
        RecordStep* step;
        std::vector<std::string_view>* front;
        const std::vector<std::size_t>* carries;
    };
    std::vector<Route> routes;
    for (std::size_t t = 0; t < outputs.size(); ++t)
        routes.push_back({&outputs[t].step, &outputs[t].front, &router.carries_of(t)});
    tally.written.assign(outputs.size(), 0);
    GaugeSteps gauge(hooks.gauge);
    gauge.set(15);
    const bool sorted = typed.job.sorted || typed.job.unique;
    const int span = sorted ? 50 : 84;
    const std::uint64_t size = input.size();
    std::uint64_t next_move = 0;  // the first byte at which the gauge moves again
    std::string_view record;
    std::uint64_t line_number = 0;
    while (input.next(record)) {
        ++line_number;
        check_stop(hooks.stop);
        const std::size_t table = router.route(record);
        if (table != RecordRouter::kNoTable) {
            const Route& to = routes[table];
            if (!to.step->full()) {
                for (std::size_t i = 0; i < to.carries->size(); ++i)
                    (*to.front)[i] = router.carried_value((*to.carries)[i]);
                to.step->take(record, line_number, raw_record(input));
            }
        }
        if (position_of(input) >= next_move && size > 0) {
            const std::uint64_t done = std::min(position_of(input), size);
            const int position = 15 + static_cast<int>(span * done / size);
            gauge.set(position);
            next_move = (static_cast<std::uint64_t>(position - 14) * size + span - 1) / span;
        }
    }
    if constexpr (std::is_same_v<Source, WholeTextReader>) {
        tally.input_grew = input.grew();
        tally.input_text = input.tally();
        // Lines lost at the end would make results that look whole: the run fails, the former ones stay.
        if (input.shrank())
            throw_file_error("Cannot read file", base.input_path,
                             std::string_view("It became shorter while it was read"));
    }
    for (std::size_t t = 0; t < outputs.size(); ++t) {
        TypeOutput& out = outputs[t];
        if (!out.stage) continue;
        out.stage->finish();
        check_stop(hooks.stop);
        out.stage->write_to(*out.sink);
        out.stage.reset();
        gauge.set(15 + span + static_cast<int>((99 - 15 - span) * (t + 1) / outputs.size()));
    }
    for (std::size_t t = 0; t < outputs.size(); ++t) {
        tally.written[t] = outputs[t].passed;
        tally.bad_values.push_back(outputs[t].bad);
    }
    refuse_bad_values(typed, outputs);
    // Every result complete and on the disk before the first replaces its former file.
    for (TypeOutput& out : outputs) out.sink->ready();
    for (TypeOutput& out : outputs) out.sink->commit();
    for (TypeOutput& out : outputs) {
        tally.replaced_chars += out.sink->replaced_chars();
        tally.notes.push_back(out.sink->closing_note());
    }
    tally.unknown = router.unknown_count();
    tally.unknown_text = router.unknown_types_text();
}

}  // namespace

void typed_extract(const TypedExtractJob& typed, const ExtractHooks& hooks, TypedTally& tally) {
    ExtractJob base = typed.job;
    if (base.reads_records()) {
        JobRecords input(base.input_path, base.framing, base.encoding, base.code_page);
        base.encoding = input.encoding();
        pass_types(typed, base, input, hooks, tally);
        return;
    }
    WholeTextReader input(base.input_path);
    if (base.encoding_from_first_block)
        base.encoding = input.settle_text_encoding();
    else
        input.read_text_in(base.encoding);
    pass_types(typed, base, input, hooks, tally);
}

}  // namespace qvr
