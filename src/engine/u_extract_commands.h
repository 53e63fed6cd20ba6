#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/available_memory.h"
#include "common/stop_request.h"
#include "desktop/desktop.h"
#include "engine/extract_job.h"
#include "engine/extract_messages.h"

namespace qvr {

class BusyCursor;

class LineView;
class Tfrm_dlm;
class Tfrm_gen;
struct TypedExtractJob;

/// What the windows above the extract do around a run; the main window supplies them.
struct ExtractSteps {
    std::function<void()> show_general_data;
    /// The input view was emptied to give its memory to the run.
    std::function<void()> input_view_emptied;
    /// A run finished; the dBase export may follow when `dbase_export`.
    std::function<void(bool dbase_export)> run_finished;
    /// The output of that name in the list of outputs ("sqlite"); none: the separated text.
    std::function<OutputMaker(const std::string& name)> output_named;
    /// The result file(s) and the table or sheet names of a run of record types for the output chosen.
    std::function<void(const JobSettings& settings, TypedExtractJob& typed)> name_typed_results;
};

/// File > "Output" and File > "Go": the result file and the extract run, from the General data window's
/// settings and the field table to the result view.
class ExtractCommands {
  public:
    ExtractCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_dlm& dlm, LineView& input_view,
                    LineView& result_view, RunTally& tally, FileDialogState& save_dialog,
                    const MemoryProbe& memory, ExtractSteps steps);

    void choose_output();
    void go();

  private:
    bool files_ready(const JobSettings& settings, const char* replace_table_text = kReplaceTableText);
    void offer_input_view();
    enum class Ended { done, out_of_memory, stopped, failed };
    struct RunEnd {
        Ended ended;
        std::string failure{};  ///< the system's message of a failed run
    };
    RunEnd run(const ExtractJob& job, bool fast);
    /// Runs `body` under the run's guard: the gauge polls Stop, and what it throws comes back as its end.
    RunEnd guarded(const std::function<RunEnd(ExtractHooks&)>& body);
    /// Ends a run's gauge and busy cursor; tells why a run that did not finish ended. False then.
    bool finished(const RunEnd& end, BusyCursor& busy);
    void go_typed(JobSettings settings);
    bool typed_files_ready(const JobSettings& settings, const TypedExtractJob& typed);
    void show_result(const std::string& path);
    void tell(const char* text);
    bool ask(const char* text);

    Desktop& desktop_;
    Tfrm_gen& gen_;
    Tfrm_dlm& dlm_;
    LineView& input_view_;
    LineView& result_view_;
    RunTally& tally_;
    FileDialogState& save_dialog_;
    const MemoryProbe& memory_;
    ExtractSteps steps_;
    StopRequest stop_;
};

}  // namespace qvr
