#pragma once

#include <array>

namespace qvr::bench {

/// One field of the generated records: its name and width.
struct Column {
    const char* name;
    int width;
};

/// The ten fields of a generated record, 128 bytes, so a line with its CR LF is 130 bytes.
inline constexpr std::array<Column, 10> kColumns = {{
    {"Id", 8},
    {"Last name", 20},
    {"First name", 15},
    {"City", 14},
    {"Post code", 5},
    {"Date", 10},
    {"Amount", 12},
    {"Code", 3},
    {"Comment", 25},
    {"Reference", 16},
}};

}  // namespace qvr::bench
