#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/extract_job.h"
#include "engine/record_sink.h"

namespace qvr {

/// One output the program writes: its name (as a front end offers it), the extension of its files, and
/// how its sink is made from the job (its result path, its fields' names and slices, its text settings
/// and encoding); making it throws FileError when the result cannot be started. A job writes it when
/// its `output` is set from here.
struct OutputFormat {
    std::string_view name;
    std::string_view extension;
    OutputMaker maker;
};

/// Every output, one line each: a new output is its sink class and its line here.
const std::vector<OutputFormat>& output_formats();

/// The output called `name`, or null.
const OutputFormat* output_format(std::string_view name);

}  // namespace qvr
