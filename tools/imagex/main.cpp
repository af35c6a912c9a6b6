// imagex: prints the XML description of a WIM file as UTF-8, the listing
// the image choice reads.
//
//   imagex /xml /info WIM
//
// Exit codes: 0 printed; 1 the file cannot be read or is no usable WIM
// (a sentence on standard error says why); 2 a wrong command line.
#include "images/wim_file.h"
#include "platform/ascii.h"
#include "tools/imagex/random_access_file.h"

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/text.h"

#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char kUsage[] = "usage: imagex /xml /info WIM\n  prints the XML description of the WIM file as UTF-8\n";

int Run(const std::vector<std::string>& args) {
    using qnb::ascii::EqualsIgnoringCase;
    if (args.size() != 3 || !EqualsIgnoringCase(args[0], "/xml") || !EqualsIgnoringCase(args[1], "/info")) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& path = args[2];
    std::unique_ptr<qnb::imagex::RandomAccessFile> file = qnb::imagex::OpenForReading(path);
    if (!file) {
        std::fprintf(stderr, "imagex: %s: the file cannot be opened\n", path.c_str());
        return 1;
    }
    qnb::wim::Problem problem;
    std::optional<std::string> xml = qnb::wim::ReadXml(
        [&](uint64_t offset, size_t length, uint8_t* out) { return file->ReadAt(offset, length, out); },
        file->size(), &problem);
    if (!xml) {
        std::fprintf(stderr, "imagex: %s: %s\n", path.c_str(), qnb::wim::Describe(problem));
        return 1;
    }
    xml->push_back('\n');
    if (std::fwrite(xml->data(), 1, xml->size(), stdout) != xml->size() || std::fflush(stdout) != 0) return 1;
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // The bytes as they are: no CR added before LF, no code page applied.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(qnb::text::Narrow(argv[i]));
    return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
