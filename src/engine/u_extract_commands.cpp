#include "engine/u_extract_commands.h"

#include <algorithm>
#include <filesystem>
#include <new>

#include "desktop/busy_cursor.h"
#include "desktop/path_text.h"
#include "desktop/qt_line_view.h"
#include "desktop/qt_run_stop.h"
#include "desktop/text_box.h"
#include "engine/extract_messages.h"
#include "engine/fast_extract.h"
#include "engine/run_files.h"
#include "engine/standard_extract.h"
#include "engine/typed_extract.h"
#include "engine/u_gen.h"
#include "fields/u_dlm.h"

namespace qvr {

ExtractCommands::ExtractCommands(Desktop& desktop, Tfrm_gen& gen, Tfrm_dlm& dlm, LineView& input_view,
                                 LineView& result_view, RunTally& tally, FileDialogState& save_dialog,
                                 const MemoryProbe& memory, ExtractSteps steps)
    : desktop_(desktop),
      gen_(gen),
      dlm_(dlm),
      input_view_(input_view),
      result_view_(result_view),
      tally_(tally),
      save_dialog_(save_dialog),
      memory_(memory),
      steps_(std::move(steps)) {}

void ExtractCommands::tell(const char* text) {
    desktop_.message_box(BoxKind::information, QString::fromLatin1(text), kOk);
}

bool ExtractCommands::ask(const char* text) {
    return desktop_.message_box(BoxKind::confirmation, QString::fromLatin1(text), kYes | kNo) == kYes;
}

void ExtractCommands::choose_output() {
    steps_.show_general_data();
    save_dialog_.filter = QStringLiteral("Result file|*.qvo");
    save_dialog_.default_ext = QStringLiteral("qvo");
    if (desktop_.save_file(save_dialog_)) gen_.set_output_path(from_path_text(save_dialog_.file_name));
}

// The checks on the input and output files; false when the run must not start.
bool ExtractCommands::files_ready(const JobSettings& settings, const char* replace_table_text) {
    switch (check_run_files(settings.input_path, settings.output_path)) {
        case RunFiles::input_missing:
            tell(kInputMissingText);
            return false;
        case RunFiles::same_file:
            tell(kSameFilesText);
            return false;
        case RunFiles::output_folder:
            tell(kOutputFolderText);
            return false;
        case RunFiles::output_exists:
            return ask(settings.output_format == "sqlite"
                           ? with_table_name(replace_table_text, settings.output_table).c_str()
                           : kOverwriteText);
        case RunFiles::ready:
            break;
    }
    return true;
}

// The user may give the input view's memory to the run.
void ExtractCommands::offer_input_view() {
    if (line_count(&input_view_) < 1 || ask(kKeepInputViewText)) return;
    clear_box(&input_view_);
    steps_.input_view_emptied();
}

// The run itself, the only part of File > Go under the run's guard: what it has to tell comes back, and is
// told once the guard is gone, since a box shown under it could take no key and no click.
ExtractCommands::RunEnd ExtractCommands::guarded(const std::function<RunEnd(ExtractHooks&)>& body) {
    ExtractHooks hooks(memory_);
    RunStopGuard stop_guard(gen_.stop_button(), stop_);
    hooks.gauge = [gen = &gen_, guard = &stop_guard](int position) {
        gen->set_gauge(position);
        guard->poll();
    };
    hooks.stop = &stop_;
    try {
        return body(hooks);
    } catch (const std::bad_alloc&) {
        return {Ended::out_of_memory};
    } catch (const RunStopped&) {
        // The run left the former result as it was: nothing to tell, nothing to log.
        return {Ended::stopped};
    } catch (const std::exception& e) {
        return {Ended::failed, e.what()};
    }
}

bool ExtractCommands::finished(const RunEnd& end, BusyCursor& busy) {
    busy.restore();
    if (end.ended != Ended::done) {
        gen_.set_gauge(0);
        gen_.show_gauge(false);
        if (end.ended == Ended::out_of_memory) tell(kOutOfMemoryText);
        if (end.ended == Ended::failed) show_general_error(desktop_, end.failure);
        return false;
    }
    gen_.set_gauge(100);
    return true;
}

ExtractCommands::RunEnd ExtractCommands::run(const ExtractJob& job, bool fast) {
    // The view shows the result in the encoding it is written in: a UTF-8 result by characters.
    result_view_.edit_lines(
        [utf8 = converted_output(job.encoding, job.output_encoding).value_or(job.encoding) ==
                TextEncoding::utf8](LineList& lines) { lines.count_characters(utf8); });
    return guarded([&](ExtractHooks& hooks) -> RunEnd {
        if (!fast)
            return standard_extract(job, hooks, tally_) == ExtractOutcome::out_of_memory
                       ? RunEnd{Ended::out_of_memory}
                       : RunEnd{Ended::done};
        // The fast extract's first lines go to the result view as they pass.
        hooks.view_line = [view = &result_view_](std::string_view line) { append_line(view, line); };
        fast_extract(job, hooks, tally_);
        return {Ended::done};
    });
}

// The result view maps the result file the run has just written, so the window's run needs no more memory
// than the front end's: the view holds a line table, and of the file the pages it shows. The line table
// may take a quarter of the memory available; a result of more lines is shown in part, and the user is
// told, as the run is done and the file written whatever the view can hold.
void ExtractCommands::show_result(const std::string& path) {
    // A device or a pipe cannot be read back; the result view then stays empty.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return;
    constexpr std::uint64_t kBytesPerViewLine = 24;  // its start and length, and its place once scrolled to
    const auto room =
        static_cast<std::size_t>(std::max<std::uint64_t>(memory_.available() / 4 / kBytesPerViewLine, 1));
    bool whole = false;
    try {
        whole = set_file_lines(&result_view_, path, room);
    } catch (const std::bad_alloc&) {
        clear_box(&result_view_);
    }
    if (!whole)
        desktop_.message_box(
            BoxKind::information,
            QStringLiteral("The result is too big for the result view: it shows the first %1 lines.")
                .arg(line_count(&result_view_)),
            kOk);
}

void ExtractCommands::go() {
    steps_.show_general_data();
    JobSettings settings = gen_.settings();
    if (!settings.framing_problem.empty()) {
        tell(settings.framing_problem.c_str());
        return;
    }
    if (settings.quotes_in_separator()) {
        tell(kQuoteInSeparatorText);
        return;
    }
    if (dlm_.has_record_types()) {
        go_typed(settings);
        return;
    }
    if (!files_ready(settings) || !dlm_.table_check()) return;
    const bool text = settings.output_format == "text";
    // Asked and answered: the table of a database there may go.
    settings.replace_table = true;
    if (settings.sample_text.empty()) {
        settings.sample_text.push_back('0');  // not = "0": GCC 12 warns wrongly of overlap there
        gen_.set_sample_text(settings.sample_text);
    }
    if (settings.fast) {
        gen_.set_unique(false);
        gen_.set_sorted(false);
        gen_.set_header(false);
    }
    const FieldTable& table = dlm_.field_table();
    ExtractJob job = ExtractJob::from(settings, table.slices(), table.names(), table.types());
    if (steps_.output_named) job.output = steps_.output_named(settings.output_format);
    clear_box(&result_view_);
    offer_input_view();

    gen_.set_gauge_colour(Qt::black);
    gen_.show_gauge(true);
    gen_.set_gauge(5);
    BusyCursor busy;
    tally_.output_note.clear();
    const RunEnd end = run(job, settings.fast);
    if (!finished(end, busy)) return;
    if (settings.fast) {
        tell(kFirstLinesSentText);
    } else if (text) {
        if (tally_.input_grew) tell(input_grew_text(job.input_path).c_str());
        show_result(job.output_path);
    }
    // Values written empty are told in the last box, a line per field.
    std::string generated =
        (text                                 ? std::string(kGeneratedText)
         : settings.output_format == "sqlite" ? with_table_name(kTableWrittenText, settings.output_table)
                                              : std::string(kWorkbookWrittenText)) +
        replaced_text(tally_.replaced_chars) +
        (tally_.output_note.empty() ? "" : "\n\r" + tally_.output_note);
    const std::string bad = tally_.bad_values.report(job.names);
    for (std::size_t at = 0, end; at < bad.size(); at = end + 1) {
        end = bad.find('\n', at);
        generated += "\n\r" + bad.substr(at, end - at);
    }
    if (encoding_needs_a_word(settings.encoding, tally_.input_text))
        tell((generated + "\n\r" + encoding_line(settings.encoding, tally_.input_text)).c_str());
    else
        tell(generated.c_str());
    gen_.show_gauge(false);
    // The dBase export cannot drop duplicates, so it is offered only after a run that kept them all.
    steps_.run_finished(!gen_.settings().unique);
}

// The results of the types: each type's file checked as the one result is; one question for them all,
// naming every table a database is to replace.
bool ExtractCommands::typed_files_ready(const JobSettings& settings, const TypedExtractJob& typed) {
    std::string tables;
    for (const RecordTypeTable& t : typed.tables) tables += (tables.empty() ? "" : ", ") + t.output_table;
    bool asked = false;
    for (const RecordTypeTable& t : typed.tables) {
        JobSettings one = settings;
        one.output_path = type_file_name(typed.output_pattern, t.value);
        one.output_table = tables;
        if (check_run_files(one.input_path, one.output_path) == RunFiles::output_exists) {
            if (asked) continue;
            asked = true;
        }
        if (!files_ready(one, typed.tables.size() > 1 ? kReplaceTablesText : kReplaceTableText)) return false;
    }
    return true;
}

// File > Go with tables per record type: one pass writes a result per type, all replaced together.
void ExtractCommands::go_typed(JobSettings settings) {
    if (settings.fast) {
        tell(kTypedOptionsText);
        return;
    }
    TypedExtractJob typed;
    try {
        take_layout_set(dlm_.layout_set(), typed);
    } catch (const UserError& e) {
        tell(e.what());
        return;
    }
    steps_.name_typed_results(settings, typed);
    if (!typed_files_ready(settings, typed)) return;
    // Asked and answered: the tables of a database there may go.
    settings.replace_table = true;
    if (settings.sample_text.empty()) {
        settings.sample_text.push_back('0');
        gen_.set_sample_text(settings.sample_text);
    }
    typed.job = ExtractJob::from(settings, {}, {});
    if (steps_.output_named) typed.job.output = steps_.output_named(settings.output_format);
    clear_box(&result_view_);
    offer_input_view();
    gen_.set_gauge_colour(Qt::black);
    gen_.show_gauge(true);
    gen_.set_gauge(5);
    BusyCursor busy;
    tally_.generated_line_count = 0;
    tally_.bad_values = {};
    tally_.output_note.clear();
    tally_.input_grew = false;
    TypedTally typed_tally;
    const RunEnd end = guarded([&](ExtractHooks& hooks) -> RunEnd {
        typed_extract(typed, hooks, typed_tally);
        return {Ended::done};
    });
    if (!finished(end, busy)) return;
    const bool text = settings.output_format == "text";
    std::string done = text                                 ? kTypedGeneratedText
                       : settings.output_format == "sqlite" ? kTypedTablesText
                                                            : kTypedSheetsText;
    for (std::size_t t = 0; t < typed_tally.outputs.size(); ++t) {
        const std::string& table = typed.tables[t].output_table;
        done += "\n\r" + typed_tally.outputs[t] + (table.empty() ? "" : " (" + table + ")") + ": " +
                std::to_string(typed_tally.written[t]) + " lines";
        tally_.generated_line_count += typed_tally.written[t];
    }
    tally_.replaced_chars = typed_tally.replaced_chars;
    done += replaced_text(typed_tally.replaced_chars);
    // Values written empty are told a line per field, each named with its type.
    for (std::size_t t = 0; t < typed_tally.bad_values.size(); ++t) {
        const std::string bad = typed_tally.bad_values[t].report(type_field_names(typed.tables[t]));
        for (std::size_t at = 0, end; at < bad.size(); at = end + 1) {
            end = bad.find('\n', at);
            done += "\n\r" + bad.substr(at, end - at);
        }
    }
    for (const std::string& note : typed_tally.notes)
        if (!note.empty()) done += "\n\r" + note;
    if (typed_tally.unknown > 0) done += "\n\r" + typed_tally.unknown_text + ".";
    if (typed.output_pattern != settings.output_path) done += "\n\r" + std::string(kTypedNameText);
    if (text && !typed_tally.outputs.empty()) show_result(typed_tally.outputs.front());
    desktop_.message_box(BoxKind::information, to_path_text(done), kOk);
    gen_.show_gauge(false);
    // The dBase export writes a table per type; it cannot drop duplicates, as after the one-table run.
    steps_.run_finished(!gen_.settings().unique);
}

}  // namespace qvr
