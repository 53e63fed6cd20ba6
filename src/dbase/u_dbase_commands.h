#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop.h"
#include "engine/extract_job.h"

namespace qvr {

class Tfrm_dlm;
class Tfrm_gen;
struct DbfExportJob;

/// File > "Extract .DBF file": the dBase table of the last run's input, beside it; with tables per record
/// type, a table per type named by the result's pattern.
class DbaseCommands {
  public:
    /// `show_general_data` brings the General data window, whose gauge the export uses, to the front.
    DbaseCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_dlm& dlm, const RunTally& tally,
                  std::function<void()> show_general_data);

    void export_table();

  private:
    void export_dbf();
    void export_types(const JobSettings& settings);
    std::optional<std::vector<std::int32_t>> checked_lengths();
    std::optional<std::string> table_name(const std::string& input_path);
    void write_table(DbfExportJob job);
    void inform(const QString& text);

    Desktop& desktop_;
    Tfrm_gen& gen_;
    Tfrm_dlm& dlm_;
    const RunTally& tally_;
    std::function<void()> show_general_data_;
};

}  // namespace qvr
