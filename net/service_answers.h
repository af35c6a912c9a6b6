// The service's answers: the image catalogue and the update answer, parsed
// from the UTF-8 JSON the service sends. A value of another JSON type than
// the answer's format gives makes the whole answer one that does not parse.
#pragma once

#include "app/catalogue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qnb::net {

struct Catalogue {
    std::vector<CatalogueEntry> entries;  // in the answer's order, index from 0
    std::vector<CatalogueGroup> groups;
};

// Nothing for an empty text, a text that does not parse (or passes the
// bounded reader's limits), a "list" with no element, or a value of the
// wrong type. size and date are decimal numbers in JSON strings (64-bit); a
// missing key reads as "", 0 or false. An entry's "sha256" (64 hex digits,
// optional) and its size go into its url's fragment ("#sha256=..&size=..",
// see app/download_address.h, replacing a fragment of its own), which the
// download checks. An entry starts selected when it is recommended and made
// for this machine's OS type code.
std::optional<Catalogue> ParseCatalogue(std::string_view body, int osTypeCode);

// The package query's answer is the package's address as plain text. It is
// taken (without blanks and line ends around it) only when it is an address
// the program may download from (app/download_address.h) and any hash in
// its fragment is one; otherwise "", as when no answer came.
std::string PackageUrlFromAnswer(std::string_view body);

enum class UpdateAnswer {
    kEmpty,       // nothing to take: the answer (or its failure) changes nothing
    kUnparsable,  // not JSON, or values of the wrong type
    kAnswered,
};

// must, description, url and vername are read only when status is true.
UpdateAnswer ParseUpdate(std::string_view body, UpdateInfo* info);

}  // namespace qnb::net
