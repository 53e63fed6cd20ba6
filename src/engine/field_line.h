#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

/// The fields of a record held as one line where a list of lines holds them (the sorted result of a job
/// whose output writes fields apart): joined by `separator` (a tab when it is empty), a field quoted as
/// quoted_field() quotes it where it holds the separator, a quote, a CR or a LF. The line sorts as the
/// record's separated text does, and two records are the same line only when their fields are the same.
void join_fields(const std::vector<std::string_view>& fields, std::string_view separator, std::string& out);

/// The `count` fields of a line join_fields() made, as views into `line` or into `room`.
void split_fields(std::string_view line, std::string_view separator, std::size_t count, std::string& room,
                  std::vector<std::string_view>& fields);

}  // namespace qvr
