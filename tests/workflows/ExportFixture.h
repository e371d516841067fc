#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "workflows/Export.h"

// What the export tests share: two feeds, the names their files get, and an
// export that collects its reports instead of showing them.
namespace lumeward::test {

inline const std::string kFeedA = "http://a.example/feed";
inline const std::string kFeedB = "http://b.example/feed";

inline std::string nameA(int number) {
    return "httpaexamplefeed" + std::to_string(number) + ".html";
}
inline std::string nameB(int number) {
    return "httpbexamplefeed" + std::to_string(number) + ".html";
}

struct ExportResult {
    std::vector<std::filesystem::path> written;
    std::vector<std::string> failures;  // "step: description"
};

inline ExportResult exportInto(const std::vector<workflows::ResultRow>& rows,
                               const std::function<std::string()>& folder) {
    ExportResult result;
    result.written =
        workflows::exportRows(rows, folder, [&result](const workflows::ExportFailure& failure) {
            result.failures.push_back(std::to_string(failure.step) + ": " + failure.description);
        });
    return result;
}

inline ExportResult exportInto(const std::vector<workflows::ResultRow>& rows,
                               const std::string& folder) {
    return exportInto(rows, [folder] { return folder; });
}

// One line per file written, then one per failure, for results that cross a fork.
inline std::string describe(const ExportResult& result) {
    std::ostringstream out;
    for (const auto& path : result.written) {
        out << "written " << path.string() << "\n";
    }
    for (const auto& failure : result.failures) {
        out << "failed " << failure << "\n";
    }
    return out.str();
}

inline std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<std::string> fileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return sorted(std::move(names));
}

inline std::vector<std::filesystem::path> pathsIn(const std::string& folder,
                                                  const std::vector<std::string>& names) {
    std::vector<std::filesystem::path> paths;
    for (const auto& name : names) {
        paths.emplace_back(folder + "/" + name);
    }
    return paths;
}

}  // namespace lumeward::test
