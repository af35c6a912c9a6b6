#include "platform/failure.h"

namespace qnb {

std::string Failure::Describe() const {
    std::string line = what.empty() ? std::string("failed") : what;
    if (!where.empty()) line += " " + where;
    if (code != 0) line += ": error " + std::to_string(code);
    return line;
}

}  // namespace qnb
