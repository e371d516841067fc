#include "workflows/Export.h"

#include "workflows/FileExists.h"
#include "workflows/WebPage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iterator>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace lumeward::workflows {

namespace {

constexpr std::string_view kFileNameCharacters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789- ";
constexpr std::size_t kMaxNameBaseLength = 200;

constexpr int kStepCreate = 118;
constexpr int kStepWrite = 126;
constexpr int kStepClose = 128;

using Report = std::function<void(const ExportFailure&)>;

void reportError(const Report& report, int step, int error) {
    report({step, std::generic_category().message(error)});
}

// Feed texts are written into .html files: "<" and ">" must not open mark-up, and
// "&" must not start a reference, so a browser shows the text as the list does.
void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '&') {
            out += "&amp;";
        } else {
            out += c;
        }
    }
}

std::string fileContent(const ResultRow& row) {
    std::string content;
    content.reserve(row.title.size() + row.description.size() + row.url.size() + 16);
    appendEscaped(content, row.title);
    content += "\r\n\r\n";
    appendEscaped(content, row.description);
    content += "\r\n\r\n";
    appendEscaped(content, row.url);
    content += "\r\n";
    return content;
}

// Lists the folder once so that each free-name test is a hash look-up; a folder
// that cannot be listed counts as empty, its creation failure is reported instead.
std::unordered_set<std::string> listNames(const std::string& folderText) {
    std::unordered_set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folderText + "/", error), end; !error && it != end;
         it.increment(error)) {
        names.insert(it->path().filename().string());
    }
    return names;
}

// Step 126. Returns false after reporting.
bool writeAll(int fd, std::string_view content, const Report& report) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            reportError(report, kStepWrite, errno);
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A file this export created but could not complete goes again, so no truncated
// file passes for a saved item. Only while the name still holds the very file it
// created: one put in its place since is someone else's.
void removeOwnFile(const std::string& path, const struct stat& created) {
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && now.st_dev == created.st_dev &&
        now.st_ino == created.st_ino) {
        ::unlink(path.c_str());
    }
}

}  // namespace

std::optional<SavedFileFormat> savedFileFormatNamed(std::string_view name) {
    if (name == "plain") {
        return SavedFileFormat::Plain;
    }
    if (name == "page") {
        return SavedFileFormat::Page;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> exportRows(
    const std::vector<ResultRow>& rows, const std::function<std::string()>& folder,
    const Report& report, SavedFileFormat format,
    const std::function<void(const ResultRow&, const std::filesystem::path&)>& written) {
    std::vector<std::filesystem::path> paths;
    std::unordered_map<std::string, std::unordered_set<std::string>> takenByFolder;
    std::uint64_t counter = 1;
    for (const ResultRow& row : rows) {
        if (!row.checked) {
            continue;
        }
        const std::string base = ShortenFileName(CleanFileName(withoutCredentials(row.feed)));
        std::string path;
        int fd = -1;
        int createError = 0;
        while (true) {
            const std::string name = base + std::to_string(counter) + ".html";
            const std::string folderText = folder();
            path = folderText + "/" + name;
            ++counter;
            auto listed = takenByFolder.find(folderText);
            if (listed == takenByFolder.end()) {
                listed = takenByFolder.emplace(folderText, listNames(folderText)).first;
            }
            std::unordered_set<std::string>& taken = listed->second;
            if (taken.contains(name)) {
                continue;
            }
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            createError = errno;
            // EEXIST: the name was taken after the listing; it costs a number like any other.
            if (fd >= 0 || createError == EEXIST) {
                taken.insert(name);
            }
            if (fd >= 0 || createError != EEXIST) {
                break;
            }
        }
        bool complete = fd >= 0;
        if (!complete) {
            reportError(report, kStepCreate, createError);
        }
        struct stat created {};
        const bool ownFile = fd >= 0 && ::fstat(fd, &created) == 0;
        // The write is attempted even without a file, so its failure is reported too.
        const std::string content =
            format == SavedFileFormat::Page ? webPageOf(row) : fileContent(row);
        complete = writeAll(fd, content, report) && complete;
        if (fd >= 0 && ::close(fd) != 0) {
            reportError(report, kStepClose, errno);
            complete = false;
        }
        if (complete) {
            paths.emplace_back(path);
            if (written) {
                written(row, paths.back());
            }
        } else if (ownFile) {
            removeOwnFile(path, created);
        }
    }
    return paths;
}

std::optional<std::string> outputFolderProblem(const std::string& folder) {
    if (folder.empty()) {
        return "No folder is given to save into";
    }
    const int error = folderCreateError(folder);
    if (error == 0) {
        return std::nullopt;
    }
    return "Cannot save into " + folder + ": " + std::generic_category().message(error);
}

std::string FilterCharacters(std::string_view text, std::string_view set) {
    std::array<bool, 256> kept{};
    for (const char c : set) {
        kept[static_cast<unsigned char>(c)] = true;
    }
    std::string filtered;
    std::copy_if(text.begin(), text.end(), std::back_inserter(filtered),
                 [&kept](char c) { return kept[static_cast<unsigned char>(c)]; });
    return filtered;
}

std::string CleanFileName(std::string_view text) {
    return FilterCharacters(text, kFileNameCharacters);
}

std::string ShortenFileName(std::string_view text) {
    return std::string(text.substr(0, kMaxNameBaseLength));
}

std::string withoutCredentials(std::string_view address) {
    // Without a scheme, libcurl still reads "user:pass@host" as credentials.
    const std::size_t schemeEnd = address.find("://");
    const std::size_t authorityStart = schemeEnd == std::string_view::npos ? 0 : schemeEnd + 3;
    const std::size_t authorityEnd =
        std::min(address.find_first_of("/?#", authorityStart), address.size());
    const std::size_t at = address.substr(authorityStart, authorityEnd - authorityStart).rfind('@');
    if (at == std::string_view::npos) {
        return std::string(address);
    }
    return std::string(address.substr(0, authorityStart)) +
           std::string(address.substr(authorityStart + at + 1));
}

std::string applicationErrorText(const ExportFailure& failure) {
    return failure.description + "\r\n" + "in Tessmoor.Form1.PushButton3_Click at line " +
           std::to_string(failure.step) + "\r\r" + "Please email " + std::string(kSupportAddress);
}

}  // namespace lumeward::workflows
