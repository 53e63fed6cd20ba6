#include "common/byte_order.h"

#include <algorithm>
#include <cstring>

namespace qvr {

int compare_bytes(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    if (n > 0) {
        int c = std::memcmp(a.data(), b.data(), n);
        if (c != 0) return c;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace qvr
