#include "batch/batch_usage.h"

namespace qvr {

namespace {

constexpr const char* kExtractUsage = "quarvel-batch extract --input FILE --output FILE|- LAYOUT [options]";
constexpr const char* kDbfUsage =
    "quarvel-batch dbf     --input FILE [--output FILE.dbf] LAYOUT [--trim] [--lower TEXT] [--upper TEXT] "
    "[--contains TEXT] [--overwrite]";
constexpr const char* kAnalyseUsage = "quarvel-batch analyse --input FILE";
constexpr const char* kDetectUsage =
    "quarvel-batch detect  --input FILE --output LAYOUT.tab|- [--lines N] [--overwrite]";
constexpr const char* kCheckUsage = "quarvel-batch check   --input FILE LAYOUT";
constexpr const char* kHelpUsage = "quarvel-batch --help | --version";

constexpr const char* kOptions =
    "LAYOUT is --layout FILE.tab or one or more --field NAME:START:LENGTH.\n"
    "\n"
    "  --input FILE              the fixed-column text file to read\n"
    "  --output FILE|-           extract: the result file, - for standard output; dbf: the table (default:\n"
    "                            the input file's name with .dbf); detect: the field definition file, -\n"
    "                            for standard output\n"
    "  --layout FILE.tab         the fields, read from a field definition file\n"
    "  --field NAME:START:LENGTH one field, split at the last two colons (NAME may be empty); repeat it\n"
    "  --separator TEXT          the text between two fields (default \";\", may be empty)\n"
    "  --tab                     a tab between two fields\n"
    "  --no-header               no first line of field names\n"
    "  --sorted                  sort the lines, letter case ignored, by the collation of the locale\n"
    "  --unique                  drop lines equal to one already kept (implies --sorted)\n"
    "  --numbers                 number the lines\n"
    "  --trim                    remove leading and trailing blanks of each field\n"
    "  --lower TEXT              keep only lines not below TEXT (byte order, case-sensitive)\n"
    "  --upper TEXT              keep only lines not above TEXT (byte order, case-sensitive)\n"
    "  --contains TEXT           keep only lines that contain TEXT (case-sensitive)\n"
    "  --sample N                keep at most N lines (0: all, the default)\n"
    "  --fast                    read and write line by line, for big files (no header, no --sorted,\n"
    "                            --unique or --numbers)\n"
    "  --lines N                 detect: read only the first N lines\n"
    "  --overwrite               replace an existing result file, table or field definition file\n"
    "  --help                    show this help\n"
    "  --version                 show the version\n"
    "\n"
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
