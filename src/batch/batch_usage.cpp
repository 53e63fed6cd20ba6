#include "batch/batch_usage.h"

#include <algorithm>

#include "batch/batch_command.h"

namespace qvr {

namespace {

constexpr const char* kProgram = "quarvel-batch";
constexpr std::size_t kWidth = 106;
constexpr std::size_t kHelpColumn = 28;

constexpr const char* kGeneralNotes[] = {
    "An option takes its value as the next argument or after \"=\" (--output=-), and may be shortened while "
    "it stays unique; -- ends the options.",
    "Messages and the summary go to standard error. Exit status: 0 done, 1 refused or failed (check: a "
    "problem found), 2 usage error."};

bool takes_layout(const BatchCommandInfo& command) {
    return std::any_of(command.options.begin(), command.options.end(),
                       [](const BatchOption& o) { return o.need == Need::layout; });
}

// The command's word padded to `width`, then what it must be given and "[options]".
std::string synopsis(const BatchCommandInfo& command, std::size_t width) {
    std::string line = std::string(kProgram) + " " + command.word;
    line.append(width - std::min(width, std::string(command.word).size()), ' ');
    for (const BatchOption& o : command.options)
        if (o.need == Need::required) line += std::string(" ") + o.name + " " + o.value;
    if (takes_layout(command)) line += " LAYOUT";
    return line + " [options]";
}

std::size_t widest_word() {
    std::size_t width = 0;
    for (const BatchCommandInfo* c : batch_commands()) width = std::max(width, std::string(c->word).size());
    return width;
}

// `text` broken at blanks into lines of at most kWidth, the first going on from `column`, the others
// indented to `indent`.
std::string wrapped(std::string_view text, std::size_t column, std::size_t indent) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(pos, end - pos);
        if (!out.empty() && column + 1 + word.size() > kWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (!out.empty()) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        pos = end + 1;
    }
    return out;
}

std::string general_notes() {
    std::string text;
    for (const char* note : kGeneralNotes) text += wrapped(note, 0, 0) + "\n";
    return text;
}

std::string option_line(const std::string& left, std::string_view help) {
    std::string line = "  " + left;
    if (line.size() + 1 > kHelpColumn)
        line += "\n" + std::string(kHelpColumn, ' ');
    else
        line.append(kHelpColumn - line.size(), ' ');
    return line + wrapped(help, kHelpColumn, kHelpColumn) + "\n";
}

std::string option_left(const BatchOption& o) {
    return std::string(o.name) + (o.value ? std::string(" ") + o.value : "");
}

// Roff text: a backslash and the minus sign escaped, and a line that would start with a control character
// guarded.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

std::string with_stop(std::string text) {
    if (!text.empty() && text.back() != '.') text += '.';
    return text;
}

std::string capitalised(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

void replace(std::string& text, std::string_view mark, const std::string& by) {
    const std::size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), by);
}

}  // namespace

std::string usage_text(BatchCommand command) {
    if (const BatchCommandInfo* c = find_batch_command(command)) return "Usage: " + synopsis(*c, 0) + "\n";
    std::string text;
    for (const BatchCommandInfo* c : batch_commands())
        text += (text.empty() ? "Usage: " : "       ") + synopsis(*c, widest_word()) + "\n";
    return text + "       " + kProgram + " --help | --version\n";
}

std::string help_text() {
    std::string text =
        std::string(kProgram) +
        " cuts fixed-column text files into fields, as Quarvel does, without the windows.\n\n" +
        usage_text(BatchCommand::none) + "\nCommands:\n";
    for (const BatchCommandInfo* c : batch_commands()) text += option_line(c->word, c->summary);
    return text + "\n'" + kProgram + " COMMAND --help' lists the options of a command.\n" + general_notes();
}

std::string command_help_text(BatchCommand command) {
    const BatchCommandInfo* c = find_batch_command(command);
    if (!c) return help_text();
    std::string text = usage_text(command) + wrapped(capitalised(with_stop(c->summary)), 0, 0) + "\n\n";
    if (takes_layout(*c)) text += "LAYOUT is --layout FILE or one or more --field NAME:START:LENGTH.\n\n";
    text += "Options:\n";
    for (const BatchOption& o : c->options) text += option_line(option_left(o), o.help);
    return text + option_line("-h, --help", "show this help") + "\n" + general_notes();
}

std::string version_text() { return std::string(kProgram) + " " + QVR_VERSION + "\n"; }

std::string manual_page(std::string page) {
    std::string synopses, commands;
    for (const BatchCommandInfo* c : batch_commands()) {
        synopses += ".B " + roff(std::string(kProgram) + " " + c->word) + "\n";
        for (const BatchOption& o : c->options)
            if (o.need == Need::required) synopses += ".BI " + roff(o.name) + " \" " + roff(o.value) + "\"\n";
        if (takes_layout(*c)) synopses += ".I LAYOUT\n";
        synopses += ".RI [ options ]\n.br\n";
        commands += ".SS " + std::string(c->word) + "\n" + roff(capitalised(with_stop(c->summary))) + "\n";
        for (const BatchOption& o : c->options) {
            commands += ".TP\n";
            commands += o.value ? ".BI " + roff(o.name) + " \" " + roff(o.value) + "\"\n"
                                : ".B " + roff(o.name) + "\n";
            commands += roff(with_stop(o.help)) + "\n";
        }
    }
    replace(page, "@SYNOPSIS@\n", synopses);
    replace(page, "@COMMANDS@\n", commands);
    replace(page, "@VERSION@", QVR_VERSION);
    return page;
}

}  // namespace qvr
