#include "engine/typed_extract.h"

#include <deque>
#include <memory>

#include "engine/job_records.h"
#include "engine/record_pipeline.h"
#include "engine/text_sink.h"

namespace qvr {

namespace {

// One table's output: its job (the sink refers to it), sink, cutter and step.
struct TypeOutput {
    ExtractJob job;
    std::unique_ptr<SeparatedTextSink> sink;
    LineCutter cutter;
    RecordRule rule;
    std::int64_t passed = 0;
    RecordStep step;
    std::vector<std::string_view> front;

    TypeOutput(const ExtractJob& base, const TypedExtractJob& typed, std::size_t table,
               const RecordRouter& router)
        : job(job_of(base, typed, table, router)),
          sink(std::make_unique<SeparatedTextSink>(job)),
          cutter(job.cutter()),
          rule{cutter, job.filter, job.sample_size, job.encoding},
          step(rule, *sink, passed),
          front(router.carries_of(table).size()) {
        if (!front.empty()) step.set_front(&front);
    }

    // The table's job: its fields, the carried ones named first, and its file.
    static ExtractJob job_of(const ExtractJob& base, const TypedExtractJob& typed, std::size_t table,
                             const RecordRouter& router) {
        ExtractJob job = base;
        const RecordTypeTable& t = typed.tables[table];
        job.slices = t.slices;
        job.names.clear();
        for (const std::size_t c : router.carries_of(table)) job.names.push_back(router.carry(c).name);
        job.names.insert(job.names.end(), t.names.begin(), t.names.end());
        job.output_path = type_file_name(typed.output_pattern, t.value);
        return job;
    }
};

}  // namespace

void typed_extract(const TypedExtractJob& typed, const ExtractHooks& hooks, TypedTally& tally) {
    JobRecords input(typed.job.input_path, typed.job.framing, typed.job.encoding, typed.job.code_page);
    ExtractJob base = typed.job;
    base.encoding = input.encoding();
    std::vector<std::string> values;
    for (const RecordTypeTable& t : typed.tables) values.push_back(t.value);
    RecordRouter router(typed.type_columns, values, typed.carries, base.encoding);
    std::deque<TypeOutput> outputs;  // never moved: each step refers to its own rule and sink
    for (std::size_t t = 0; t < typed.tables.size(); ++t) {
        outputs.emplace_back(base, typed, t, router);
        tally.outputs.push_back(outputs.back().job.output_path);
    }
    tally.written.assign(outputs.size(), 0);
    GaugeSteps gauge(hooks.gauge);
    gauge.set(15);
    const std::uint64_t size = input.size();
    std::string_view record;
    std::uint64_t line_number = 0;
    while (input.next(record)) {
        ++line_number;
        check_stop(hooks.stop);
        const std::size_t table = router.route(record);
        if (table != RecordRouter::kNoTable && !outputs[table].step.full()) {
            TypeOutput& out = outputs[table];
            const std::vector<std::size_t>& carries = router.carries_of(table);
            for (std::size_t i = 0; i < carries.size(); ++i) out.front[i] = router.carried_value(carries[i]);
            out.step.take(record, line_number);
        }
        if (size > 0) gauge.set(15 + static_cast<int>(84 * std::min(input.bytes_read(), size) / size));
    }
    // Every result complete and on the disk before the first replaces its former file.
    for (TypeOutput& out : outputs) out.sink->ready();
    for (TypeOutput& out : outputs) out.sink->commit();
    for (std::size_t t = 0; t < outputs.size(); ++t) {
        tally.written[t] = outputs[t].passed;
        tally.replaced_chars += outputs[t].sink->replaced_chars();
    }
    tally.unknown = router.unknown_count();
    tally.unknown_text = router.unknown_types_text();
}

}  // namespace qvr
