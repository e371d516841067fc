#pragma once

#include <string>
#include <string_view>

namespace lumeward::memory {

// An item's identity across runs: the feed's address as listed with the item's
// id (RSS guid, Atom id, RDF rdf:about), else its link, else a hash of its title
// and description. The hash is FNV-1a over the bytes, so a key is the same on
// every machine and in every run. Ids and links are taken without the white
// space around them; one that is only white space counts as missing.
std::string itemKey(std::string_view feedAddress, std::string_view id, std::string_view link,
                    std::string_view title, std::string_view description);

}  // namespace lumeward::memory
