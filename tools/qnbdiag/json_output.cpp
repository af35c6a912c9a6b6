#include "tools/qnbdiag/json_output.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace qnb::diag {

void PrepareStandardOutput() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

void PrintJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    std::string text = Json::writeString(builder, value) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& message) {
    std::string line = "qnbdiag: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace qnb::diag
