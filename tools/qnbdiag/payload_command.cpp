// qnbdiag payload: placeholder until the archive reader lands.
#include "tools/qnbdiag/commands.h"
#include "tools/qnbdiag/json_output.h"

namespace qnb::diag {

int RunPayload(const Arguments&) {
    PrintError("payload: not built yet");
    return 2;
}

}  // namespace qnb::diag
