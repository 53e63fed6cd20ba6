#include "engine/job_settings.h"

#include "common/whole_number.h"

namespace qvr {

std::int32_t JobSettings::sample_size() const { return whole_number_or_zero(sample_text); }

}  // namespace qvr
