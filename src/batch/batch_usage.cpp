#include "batch/batch_usage.h"

namespace qvr {

namespace {

constexpr const char* kExtractUsage = "quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]";
constexpr const char* kDbfUsage =
    "quarvel-batch dbf     --input FILE [--output FILE.dbf] LAYOUT [--trim] [--lower TEXT] [--upper TEXT] "
    "[--contains TEXT] [--encoding E] [--overwrite]";
constexpr const char* kAnalyseUsage = "quarvel-batch analyse --input FILE";
constexpr const char* kDetectUsage =
    "quarvel-batch detect  --input FILE --output LAYOUT.tab|- [--lines N] [--overwrite]";
constexpr const char* kCheckUsage = "quarvel-batch check   --input FILE LAYOUT [--encoding E]";
constexpr const char* kHelpUsage = "quarvel-batch --help | --version";

constexpr const char* kOptions =
    "LAYOUT is --layout FILE.tab or one or more --field NAME:START:LENGTH.\n"
    "\n"
    "  --input FILE|-            the fixed-column text file to read, - for standard input (a pipe or a\n"
    "                            redirected file: the fast extract and dbf stream it)\n"
    "  --output FILE|-           extract: the result file, - for standard output; dbf: the table (default:\n"
    "                            the input file's name with .dbf); detect: the field definition file, -\n"
    "                            for standard output\n"
    "  --layout FILE.tab         the fields, read from a field definition file\n"
    "  --field NAME:START:LENGTH one field, split at the last two colons (NAME may be empty); repeat it\n"
    "  --separator TEXT          the text between two fields (default \";\", may be empty)\n"
    "  --tab                     a tab between two fields\n"
    "  --no-header               no first line of field names\n"
    "  --sorted                  sort the lines, letter case ignored, by the collation of the locale\n"
    "  --unique                  drop lines equal to one already kept but for letter case (implies\n"
    "                            --sorted)\n"
    "  --numbers                 number the lines\n"
    "  --trim                    remove leading and trailing blanks of each field\n"
    "  --lower TEXT              keep only lines not below TEXT (byte order, case-sensitive)\n"
    "  --upper TEXT              keep only lines not above TEXT (byte order, case-sensitive)\n"
    "  --contains TEXT           keep only lines that contain TEXT (case-sensitive)\n"
    "  --sample N                keep at most N lines (0: all, the default)\n"
    "  --memory SIZE             memory a sorted run may use (512M, 2G); beyond it sorts on disk\n"
    "  --fast                    read and write line by line, for big files (no header, no --sorted,\n"
    "                            --unique or --numbers)\n"
    "  --encoding cp1252|utf-8|auto\n"
    "                            what a column is: a byte (Windows-1252) or a character (UTF-8); auto\n"
    "                            (the default) takes UTF-8 for a file that begins with a UTF-8 byte\n"
    "                            order mark, or whose first 64 MiB and last 64 KiB are UTF-8 beyond\n"
    "                            ASCII with at most 1 invalid byte per 1,000 characters; cp1252 for\n"
    "                            any other file and for standard input. In UTF-8 a byte order mark is\n"
    "                            skipped; a UTF-16 file is refused. The summary names the encoding\n"
    "                            used and counts invalid bytes met\n"
    "  --quote                   write a field holding the separator, a quote, CR or LF between quotes\n"
    "  --line-end crlf|lf        what ends each line written (default crlf)\n"
    "  --lines N                 detect: read only the first N lines\n"
    "  --overwrite               replace an existing result file, table or field definition file\n"
    "  --help                    show this help\n"
    "  --version                 show the version\n"
    "\n"
    "An option takes its value as the next argument or after \"=\" (--output=-), and may be shortened\n"
    "while it stays unique; -- ends the options.\n"
    "Messages and the summary go to standard error. Exit status: 0 done, 1 refused or failed (check: a "
    "problem found), 2 usage error.\n";

}  // namespace

std::string usage_text(BatchCommand command) {
    switch (command) {
        case BatchCommand::extract:
            return std::string("Usage: ") + kExtractUsage + "\n";
        case BatchCommand::dbf:
            return std::string("Usage: ") + kDbfUsage + "\n";
        case BatchCommand::analyse:
            return std::string("Usage: ") + kAnalyseUsage + "\n";
        case BatchCommand::detect:
            return std::string("Usage: ") + kDetectUsage + "\n";
        case BatchCommand::check:
            return std::string("Usage: ") + kCheckUsage + "\n";
        case BatchCommand::none:
        case BatchCommand::help:
        case BatchCommand::version:
            break;
    }
    return std::string("Usage: ") + kExtractUsage + "\n       " + kDbfUsage + "\n       " + kAnalyseUsage +
           "\n       " + kDetectUsage + "\n       " + kCheckUsage + "\n       " + kHelpUsage + "\n";
}

std::string help_text() {
    return "quarvel-batch cuts fixed-column text files into fields, as Quarvel does, without the "
           "windows.\n\n" +
           usage_text(BatchCommand::none) + "\n" + kOptions;
}

std::string version_text() { return std::string("quarvel-batch ") + QVR_VERSION + "\n"; }

}  // namespace qvr
