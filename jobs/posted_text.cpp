#include "jobs/posted_text.h"

#include <memory>

namespace qnb {

uintptr_t NewPostedText(std::string_view text) {
    return reinterpret_cast<uintptr_t>(new std::string(text));
}

std::string TakePostedText(uintptr_t parameter) {
    std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(parameter));
    return text ? std::move(*text) : std::string();
}

}  // namespace qnb
