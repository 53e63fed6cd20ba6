#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

enum class CopybookUsage { inherit, display, binary, packed };
enum class CopybookSign { inherit, trailing, leading };

/// One data description entry of a copybook, with the entries below it.
struct CopybookItem {
    int level = 0;
    std::string name;  // empty for FILLER or an unnamed item
    int line = 0;
    std::string picture;
    CopybookUsage usage = CopybookUsage::inherit;
    CopybookSign sign = CopybookSign::inherit;
    bool sign_separate = false;
    bool has_occurs = false;
    std::int64_t occurs = 1;
    std::string redefines;
    std::vector<std::unique_ptr<CopybookItem>> children;
    // Set by the layout pass: where one occurrence starts within its parent, and its length.
    std::int64_t offset = 0;
    std::int64_t size = 0;
    std::string type;
};

/// The items of a copybook as a tree: one root per 01 level, and one of level 0 holding the items that
/// stand under no 01 level (a copybook meant to be copied under one). Level 88 entries are left out.
/// Throws LayoutError naming the file and line of what it cannot read.
std::vector<std::unique_ptr<CopybookItem>> copybook_items(std::string_view text, const std::string& file);

}  // namespace qvr
