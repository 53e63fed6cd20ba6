#include "batch/batch_analyse.h"

#include "batch/batch_layout.h"

namespace qvr {

void run_batch_analyse(const BatchRequest&, const Console&) {
    throw BatchRefusal("The input analysis is not available in this build.");
}

}  // namespace qvr
