#include "workflows/AddressFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "feed/TextCleaning.h"
#include "text/TextDecoding.h"
#include "workflows/AddressLines.h"
#include "workflows/FileDescriptor.h"
#include "workflows/OpmlFile.h"

namespace lumeward::workflows {

namespace {

[[noreturn]] void throwReadError(const std::filesystem::path& path, const std::string& reason) {
    throw std::runtime_error("Cannot read " + path.string() + ": " + reason);
}

[[noreturn]] void throwReadError(const std::filesystem::path& path, int error) {
    throwReadError(path, std::generic_category().message(error));
}

bool hasTextExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".txt";
}

}  // namespace

std::vector<std::string> readAddressFile(const std::filesystem::path& path,
                                         const std::function<bool()>& yield) {
    // Non-blocking, so that opening a pipe with no writer does not wait for one.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        throwReadError(path, errno);
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        throwReadError(path, errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throwReadError(path, "it is not a regular file");
    }
    const std::string tooLarge =
        "it is larger than " + std::to_string(kMaxAddressFileBytes >> 20) + " MiB";
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxAddressFileBytes) {
        throwReadError(path, tooLarge);
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        if (yield && !yield()) {
            return {};
        }
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count > 0) {
            // The file may have grown since it was measured.
            if (content.size() + static_cast<std::size_t>(count) > kMaxAddressFileBytes) {
                throwReadError(path, tooLarge);
            }
            content.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            throwReadError(path, errno);
        }
    }
    const std::string text = text::decodeResponseBody(std::move(content), {});
    // Cleaned as feed text is, so that a document type declaration with an
    // internal subset, which exporters write, hides no OPML. Lines of a text
    // file are taken from the text as it is.
    const std::string cleaned = feed::cleanFeedText(std::string(text));
    if (!isOpmlDocument(cleaned)) {
        return addressesOfText(text);
    }
    // A declaration spread over lines took them with it; the error's line
    // counts them, as the file shows them.
    const auto lines = [](const std::string& of) { return std::ranges::count(of, '\n'); };
    const auto opml = readOpml(cleaned, static_cast<std::size_t>(lines(text) - lines(cleaned)));
    if (!opml.error.empty()) {
        throwReadError(path, "it is not well-formed OPML: " + opml.error);
    }
    std::vector<std::string> addresses;
    for (const auto& listed : opml.addresses) {
        if (const auto address = addressOfLine(listed)) {
            addresses.emplace_back(*address);
        }
    }
    return addresses;
}

void saveAddressFile(const std::filesystem::path& path, const std::vector<std::string>& addresses,
                     FileAccess access) {
    if (!hasTextExtension(path)) {
        replaceFile(path, writeOpml(addresses), access);
        return;
    }
    std::string content;
    for (const auto& address : addresses) {
        std::ranges::remove_copy_if(address, std::back_inserter(content),
                                    [](char c) { return c == '\r' || c == '\n'; });
        content += "\r\n";
    }
    replaceFile(path, content, access);
}

}  // namespace lumeward::workflows
