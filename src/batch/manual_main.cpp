// Writes the manual page of quarvel-batch: the page given (a roff page with marks) filled from the
// commands' declarations. Run by the build; not installed.
#include <fstream>
#include <iostream>
#include <iterator>

#include "batch/batch_usage.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quarvel-batch-manual PAGE.1.in PAGE.1\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream out(argv[2], std::ios::binary);
    out << qvr::manual_page(page);
    out.close();
    if (!in || !out) {
        std::cerr << "quarvel-batch-manual: cannot read " << argv[1] << " or write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
