#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "workflows/ReplaceFile.h"

namespace lumeward::workflows {

// The largest address file that is read.
inline constexpr std::size_t kMaxAddressFileBytes = std::size_t{64} << 20;

// Reads an address file, decodes it (a byte-order mark is not text; then UTF-8
// when valid, else Windows-1252) and takes its addresses line by line, by the
// address-line rule of AddressLines.h. An OPML document (recognised once a
// document type declaration, internal subset and all, is taken out, as feeds
// are cleaned) gives the xmlUrl of its outlines instead, each by the same
// rule; one that is not well-formed is a read error that names the line. Only a regular file of at
// most kMaxAddressFileBytes is read, so a pipe or a device cannot hang the caller. yield, when
// given, runs between chunks of the file; when it returns false the read stops and no address is
// returned. Throws std::runtime_error naming the file and the reason when it cannot be read.
std::vector<std::string> readAddressFile(const std::filesystem::path& path,
                                         const std::function<bool()>& yield = {});

// Writes the addresses to path, each as it is: as lines ended by CR LF when the
// name ends in ".txt", else as OPML (leaving out only the characters XML cannot
// hold). A line break inside an address is left out of a text file, so that an
// address is never split in two; URL parsers drop it too. The file is replaced
// in one step by replaceFile, with the access given, so a save that fails
// leaves it whole. Throws std::runtime_error naming the file and the reason.
void saveAddressFile(const std::filesystem::path& path, const std::vector<std::string>& addresses,
                     FileAccess access = FileAccess::AsTheUserChose);

}  // namespace lumeward::workflows
