#include "batch/BatchCommands.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string_view>

#include "batch/JsonWriter.h"
#include "feed/FeedReader.h"
#include "workflows/AddressFile.h"
#include "workflows/Export.h"
#include "workflows/RetrievalRun.h"

namespace lumeward::batch {

namespace {

constexpr std::string_view kHelp =
    "Usage: lumeward-batch list ADDRESS...\n"
    "       lumeward-batch save FOLDER ADDRESS...\n"
    "       lumeward-batch --help | --version\n"
    "\n"
    "list    reads each feed in order and prints one JSON object per line with the\n"
    "        result of the read and the feed's items (url, title, description).\n"
    "save    reads each feed in order and writes one HTML file per item into FOLDER,\n"
    "        never overwriting a file; prints the path of each file written, and\n"
    "        each feed that could not be read and each failed file on standard error.\n"
    "\n"
    "ADDRESS is a feed URL, or @FILE for a file of addresses: one per line, or an\n"
    "OPML feed list (the xmlUrl of each outline).\n"
    "\n"
    "Exit status: 0 when every feed was read (and, for save, every file written),\n"
    "1 otherwise, 2 for a usage error.\n";

int usageError(std::ostream& err, std::string_view message) {
    err << "lumeward-batch: " << message << "\nTry 'lumeward-batch --help' for more information.\n";
    return kExitUsage;
}

// Replaces each @FILE argument by the addresses the file holds, in place.
std::vector<std::string> expandAddresses(std::span<const std::string> arguments) {
    std::vector<std::string> addresses;
    for (const auto& argument : arguments) {
        if (argument.starts_with('@')) {
            auto fromFile = workflows::readAddressFile(argument.substr(1));
            addresses.insert(addresses.end(), std::make_move_iterator(fromFile.begin()),
                             std::make_move_iterator(fromFile.end()));
        } else {
            addresses.push_back(argument);
        }
    }
    return addresses;
}

void appendNumberMember(std::string& line, std::string_view key, std::int32_t value) {
    line += key;
    line += std::to_string(value);
}

void appendStringMember(std::string& line, std::string_view key, std::string_view value) {
    line += key;
    appendJsonString(line, value);
}

// Writes one line through a small reused buffer: a feed of several MB then
// needs no line of the same size in memory, nor the fresh pages it would take.
void writeListLine(std::ostream& out, std::string& buffer, std::string_view address, bool ok,
                   const feed::FeedReader& reader) {
    constexpr std::size_t kFlushAt = 64 * 1024;
    const auto flushIfFull = [&] {
        if (buffer.size() >= kFlushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };
    buffer.clear();
    appendStringMember(buffer, "{\"feed\":", address);
    buffer += ok ? ",\"ok\":true" : ",\"ok\":false";
    appendNumberMember(buffer, ",\"type\":", reader.FeedType());
    appendStringMember(buffer, ",\"typeName\":", reader.FeedTypeString());
    appendNumberMember(buffer, ",\"status\":", reader.LastHTTPStatus());
    appendStringMember(buffer, ",\"statusText\":", reader.LastHTTPStatusText());
    appendNumberMember(buffer, ",\"errorCode\":", reader.LastErrorCode());
    appendStringMember(buffer, ",\"errorDesc\":", reader.LastErrorDesc());
    buffer += ",\"items\":[";
    const auto items = reader.FeedItems();
    for (const auto& item : *items) {
        if (&item != &items->front()) {
            buffer += ',';
        }
        appendStringMember(buffer, "{\"url\":", item.URL());
        appendStringMember(buffer, ",\"title\":", item.Title());
        appendStringMember(buffer, ",\"description\":", item.Description());
        buffer += '}';
        flushIfFull();
    }
    buffer += "]}\n";
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

int listFeeds(const std::vector<std::string>& addresses, std::ostream& out, std::ostream& err) {
    feed::FeedReader reader;
    bool everyReadSucceeded = true;
    std::string line;
    for (const auto& address : addresses) {
        std::int32_t type = feed::kUnknownFeed;
        const bool ok = reader.ReadFeed(address, {}, {}, type, false);
        everyReadSucceeded = everyReadSucceeded && ok;
        writeListLine(out, line, address, ok, reader);
        // Flushed per line, so a reader of the output sees each feed as it completes.
        out.flush();
        if (!out) {
            err << "lumeward-batch: cannot write the output\n";
            return kExitFailure;
        }
    }
    return everyReadSucceeded ? kExitSuccess : kExitFailure;
}

// Holds the addresses of a save, collects the rows of its retrieval run and
// reports each feed that could not be read.
class CollectingTarget : public workflows::RetrievalTarget {
public:
    CollectingTarget(std::vector<std::string> addresses, std::ostream& err)
        : m_addresses(std::move(addresses)), m_err(err) {}

    std::size_t addressCount() const override { return m_addresses.size(); }
    std::string address(std::size_t index) const override { return m_addresses.at(index - 1); }
    void clearRows() override { m_rows.clear(); }
    void addRow(const workflows::RetrievedRow& row) override {
        m_rows.push_back({true, row.feed, row.title, row.description, row.url});
    }
    void setProgress(double) override {}
    bool yieldToEvents() override { return true; }
    void feedRead(const workflows::FeedOutcome& outcome) override {
        if (!outcome.ok) {
            m_err << "lumeward-batch: " << outcome.address << ": " << outcome.failure << '\n';
            m_anyFeedFailed = true;
        }
    }

    const std::vector<workflows::ResultRow>& rows() const { return m_rows; }
    bool anyFeedFailed() const { return m_anyFeedFailed; }

private:
    std::vector<std::string> m_addresses;
    std::ostream& m_err;
    std::vector<workflows::ResultRow> m_rows;
    bool m_anyFeedFailed = false;
};

int saveFeeds(const std::string& given, std::vector<std::string> addresses, std::ostream& out,
              std::ostream& err) {
    CollectingTarget target(std::move(addresses), err);
    workflows::runRetrieval(target);
    if (!target.rows().empty()) {
        if (const auto problem = workflows::outputFolderProblem(given)) {
            err << "lumeward-batch: " << *problem << '\n';
            return kExitFailure;
        }
    }
    // The export puts its own "/" between folder and file name.
    std::string folder = given;
    while (folder.ends_with('/')) {
        folder.pop_back();
    }
    bool anyFailure = target.anyFeedFailed();
    const auto written = workflows::exportRows(
        target.rows(), [&folder] { return folder; },
        [&](const workflows::ExportFailure& failure) {
            anyFailure = true;
            // The report separates its lines with CR, which a terminal would overprint.
            auto text = workflows::applicationErrorText(failure);
            std::replace(text.begin(), text.end(), '\r', '\n');
            err << text << '\n';
        });
    for (const auto& path : written) {
        out << path.string() << '\n';
    }
    out.flush();
    if (!out) {
        err << "lumeward-batch: cannot write the output\n";
        return kExitFailure;
    }
    return anyFailure ? kExitFailure : kExitSuccess;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        return usageError(err, "no command given");
    }
    const auto& command = args.front();
    if (command == "--help" || command == "--version") {
        if (args.size() > 1) {
            return usageError(err, "unexpected argument '" + args[1] + "' after " + command);
        }
        if (command == "--help") {
            out << kHelp;
        } else {
            out << "lumeward-batch " LUMEWARD_VERSION "\n";
        }
        return kExitSuccess;
    }
    if (command != "list" && command != "save") {
        return usageError(err, "unknown command '" + command + "'");
    }
    const bool saving = command == "save";
    const std::size_t firstAddress = saving ? 2 : 1;
    if (args.size() <= firstAddress) {
        return usageError(err, saving ? "save needs a folder and at least one address"
                                      : "list needs at least one address");
    }
    if (saving && args[1].empty()) {
        // An empty folder would put the files at the root of the file system.
        return usageError(err, "save needs a folder that is not empty");
    }
    std::vector<std::string> addresses;
    try {
        addresses = expandAddresses(std::span(args).subspan(firstAddress));
    } catch (const std::runtime_error& error) {
        err << "lumeward-batch: " << error.what() << '\n';
        return kExitUsage;
    }
    if (saving) {
        return saveFeeds(args[1], std::move(addresses), out, err);
    }
    return listFeeds(addresses, out, err);
}

}  // namespace lumeward::batch
