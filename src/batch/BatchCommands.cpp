#include "batch/BatchCommands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include "batch/JsonWriter.h"
#include "feed/FeedReader.h"
#include "memory/ResponseCache.h"
#include "memory/StorePaths.h"
#include "memory/UserStore.h"
#include "workflows/AddressFile.h"
#include "workflows/Export.h"
#include "workflows/RetrievalRun.h"
#include "workflows/SavedItems.h"

namespace lumeward::batch {

namespace {

constexpr char kDescription[] =
    "Reads feeds (RSS 2.0, RSS 1.0/RDF, Atom, JSON Feed) without a window: lists their\n"
    "items as JSON lines, or saves them as one HTML file each, as plain text or as web\n"
    "pages.";
constexpr char kFooter[] =
    "In full:\n"
    "  lumeward-batch [--no-cache] list [--jobs N] ADDRESS...\n"
    "  lumeward-batch [--no-cache] save [--jobs N] [--format plain|page] [--new-only] FOLDER "
    "ADDRESS...\n"
    "\n"
    "ADDRESS is a feed URL, or @FILE for a file of addresses: one per line, or an\n"
    "OPML feed list (the xmlUrl of each outline).\n"
    "Feeds are read side by side (--jobs at once, at most 2 per listed host); the\n"
    "output keeps the order of the addresses. list gives each item's url, its title\n"
    "and description as text (mark-up removed, character references decoded) and its\n"
    "date (RFC 3339 in UTC, or null). save --format page writes web pages (title, date,\n"
    "paragraphs, link) instead of the plain title, description and link lines.\n"
    "An ADDRESS that gives a web page is read through the first feed the page names\n"
    "in a <link rel=\"alternate\">; list's foundAt is that feed's address, else null.\n"
    "\n"
    "Runs remember. A feed read before is asked only for what changed (If-None-Match,\n"
    "If-Modified-Since); when it has not, its kept copy is read: list says status 304\n"
    "\"Not Modified\" with the same items. --no-cache reads every feed in full. A server\n"
    "that answered 429 or 503 with Retry-After is not asked before then (at most a\n"
    "day): its feeds give their kept copy, or fail, and list's errorDesc says \"...the\n"
    "server asked to wait until HH:MM\"; --no-cache does not change that. A feed that\n"
    "moved for good (301, 308) adds \"movedTo\" to its list line, and save names the\n"
    "new address on standard error; the address is never changed for you. list gives\n"
    "each item's \"id\" as the feed writes it (empty when it has none).\n"
    "Every file save writes is recorded as saved into its folder; save --new-only\n"
    "writes only the items not yet recorded there, even when the file was deleted since.\n"
    "Kept copies: $XDG_CACHE_HOME/lumeward/cache.sqlite (~/.cache/lumeward); the record\n"
    "of saved items: $XDG_DATA_HOME/lumeward/memory.sqlite (~/.local/share/lumeward).\n"
    "Delete a file to forget what it holds.\n"
    "\n"
    "Exit status: 0 when every feed was read (and, for save, every file written),\n"
    "1 otherwise, 2 for a usage error.";

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
void writeListLine(std::ostream& out, std::string& buffer, const workflows::FeedRead& read) {
    const feed::FeedReader& reader = *read.reader;
    constexpr std::size_t kFlushAt = 64 * 1024;
    const auto flushIfFull = [&] {
        if (buffer.size() >= kFlushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };
    buffer.clear();
    appendStringMember(buffer, "{\"feed\":", read.address);
    buffer += read.ok ? ",\"ok\":true" : ",\"ok\":false";
    appendNumberMember(buffer, ",\"type\":", reader.FeedType());
    appendStringMember(buffer, ",\"typeName\":", reader.FeedTypeString());
    appendNumberMember(buffer, ",\"status\":", reader.LastHTTPStatus());
    appendStringMember(buffer, ",\"statusText\":", reader.LastHTTPStatusText());
    appendNumberMember(buffer, ",\"errorCode\":", reader.LastErrorCode());
    // A server not asked has no status of its own to show: the reason goes here.
    appendStringMember(
        buffer, ",\"errorDesc\":",
        read.heldUntil ? workflows::describeRead(read).detail : reader.LastErrorDesc());
    if (const std::string movedTo = workflows::movedTo(read); !movedTo.empty()) {
        appendStringMember(buffer, ",\"movedTo\":", movedTo);
    }
    if (!reader.FoundAt().empty()) {
        appendStringMember(buffer, ",\"foundAt\":", reader.FoundAt());
    } else {
        buffer += ",\"foundAt\":null";
    }
    buffer += ",\"items\":[";
    const auto items = reader.FeedItems();
    for (const auto& item : *items) {
        if (&item != &items->front()) {
            buffer += ',';
        }
        appendStringMember(buffer, "{\"url\":", item.URL());
        appendStringMember(buffer, ",\"title\":", item.Title());
        appendStringMember(buffer, ",\"description\":", item.Description());
        if (item.Date()) {
            appendStringMember(buffer, ",\"date\":", feed::formatUtcDate(*item.Date()));
        } else {
            buffer += ",\"date\":null";
        }
        appendStringMember(buffer, ",\"id\":", item.Id());
        buffer += '}';
        flushIfFull();
    }
    buffer += "]}\n";
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

// Thrown when the output takes no more, with the failed write's errno: the
// run ends then, since nothing it reads could be shown.
struct OutputFailed {
    int error;
};

// Runs write, which writes to out, and flushes out; a failure of either ends
// the command. A failed stream writes nothing more, so errno still tells why.
void writeOrFail(std::ostream& out, const std::function<void()>& write) {
    errno = 0;
    write();
    if (!out.flush()) {
        throw OutputFailed{errno};
    }
}

// A failed output is a failure; a reader that went away (EPIPE, "| head")
// asked for no more, so it gets no message.
int outputFailure(const OutputFailed& failure, std::ostream& err) {
    if (failure.error != EPIPE) {
        err << "lumeward-batch: cannot write the output\n";
    }
    return kExitFailure;
}

// The stores a command uses, each named once on standard error when it could not
// be used; the run then goes on as a first run would.
struct BatchMemory {
    workflows::RunMemory run;
    std::unique_ptr<memory::UserStore> saved;  // only for save

    BatchMemory(bool readInFull, bool forSave)
        : run{std::make_shared<memory::ResponseCache>(memory::defaultCacheFile()), readInFull},
          saved(forSave ? std::make_unique<memory::UserStore>(memory::defaultUserFile())
                        : nullptr) {}

    void reportWarnings(std::ostream& err) const {
        for (const auto& warning :
             {run.cache->takeWarning(), saved ? saved->takeWarning() : std::nullopt}) {
            if (warning) {
                err << "lumeward-batch: " << *warning << '\n';
            }
        }
    }
};

int listFeeds(std::vector<std::string> addresses, workflows::RetrievalLimits limits,
              const BatchMemory& memory, std::ostream& out, std::ostream& err) {
    bool everyReadSucceeded = true;
    std::string line;
    try {
        workflows::readInOrder(
            std::move(addresses), limits,
            [&](workflows::FeedRead& read) {
                everyReadSucceeded = everyReadSucceeded && read.ok;
                // Flushed per line, so a reader of the output sees each feed as it completes.
                writeOrFail(out, [&] { writeListLine(out, line, read); });
            },
            memory.run);
    } catch (const OutputFailed& failure) {
        return outputFailure(failure, err);
    }
    return everyReadSucceeded ? kExitSuccess : kExitFailure;
}

// Why nothing can be saved into the folder, on standard error; false when it can.
bool reportFolderProblem(const std::string& folder, std::ostream& err) {
    const auto problem = workflows::outputFolderProblem(folder);
    if (problem) {
        err << "lumeward-batch: " << *problem << '\n';
    }
    return problem.has_value();
}

// What save is asked to do beyond reading.
struct SaveOptions {
    std::string folder;
    workflows::SavedFileFormat format = workflows::SavedFileFormat::Plain;
    bool newOnly = false;
};

int saveFeeds(const SaveOptions& options, std::vector<std::string> addresses,
              workflows::RetrievalLimits limits, const BatchMemory& memory, std::ostream& out,
              std::ostream& err) {
    const std::string& given = options.folder;
    // Before the first read: with slow feeds, the reads would take minutes for nothing.
    if (reportFolderProblem(given, err)) {
        return kExitFailure;
    }
    std::vector<workflows::ResultRow> rows;
    bool anyFailure = false;
    workflows::readInOrder(
        std::move(addresses), limits,
        [&](workflows::FeedRead& read) {
            // A kept copy read instead says so too, in the same words as list.
            if (!read.ok || read.heldUntil) {
                err << "lumeward-batch: " << read.address << ": "
                    << workflows::describeRead(read).detail << '\n';
                anyFailure = anyFailure || !read.ok;
            }
            if (const std::string movedTo = workflows::movedTo(read); !movedTo.empty()) {
                err << "lumeward-batch: " << read.address << ": moved permanently to " << movedTo
                    << '\n';
            }
            for (auto& row : workflows::rowsOf(read)) {
                rows.push_back({true, std::move(row.feed), std::move(row.title),
                                std::move(row.description), std::move(row.url), row.date,
                                std::move(row.id)});
            }
        },
        memory.run);
    if (options.newOnly) {
        rows = workflows::unsavedRows(*memory.saved, given, std::move(rows));
    }
    // Again before the first file, for a folder that went away during the reads:
    // one line, not a report per file.
    if (!rows.empty() && reportFolderProblem(given, err)) {
        return kExitFailure;
    }
    // The export puts its own "/" between folder and file name.
    std::string folder = given;
    while (folder.ends_with('/')) {
        folder.pop_back();
    }
    workflows::SavedRecord record(*memory.saved);
    const auto written = workflows::exportRows(
        rows, [&folder] { return folder; },
        [&](const workflows::ExportFailure& failure) {
            anyFailure = true;
            // The report separates its lines with CR, which a terminal would overprint.
            auto text = workflows::applicationErrorText(failure);
            std::replace(text.begin(), text.end(), '\r', '\n');
            err << text << '\n';
        },
        options.format,
        [&record](const workflows::ResultRow& row, const std::filesystem::path& file) {
            record.add(row, file);
        });
    record.flush();
    try {
        writeOrFail(out, [&] {
            for (const auto& path : written) {
                out << path.string() << '\n';
            }
        });
    } catch (const OutputFailed& failure) {
        return outputFailure(failure, err);
    }
    return anyFailure ? kExitFailure : kExitSuccess;
}

}  // namespace

int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app(kDescription, "lumeward-batch");
    app.footer(kFooter);
    app.set_version_flag("--version", "lumeward-batch " LUMEWARD_VERSION);
    app.require_subcommand(0, 1);
    bool noCache = false;
    app.add_flag("--no-cache", noCache,
                 "Reads every feed in full instead of asking only for what changed");
    workflows::RetrievalLimits limits;
    app.add_option("-j,--jobs", limits.jobs, "How many feeds are read at once (default 8)")
        ->check(CLI::Range(1, 64));
    std::vector<std::string> arguments;
    std::string folder;
    CLI::App* list = app.add_subcommand("list", "Prints one JSON line per feed with its items");
    list->fallthrough();
    list->add_option("ADDRESS", arguments, "Feed URLs or @FILEs")->required();
    CLI::App* save =
        app.add_subcommand("save", "Writes one HTML file per item into FOLDER, never over a file");
    save->fallthrough();
    std::string formatName = "plain";
    save->add_option("--format", formatName,
                     "plain (the default): title, description and link as lines of text; "
                     "page: a web page")
        ->check(CLI::IsMember({"plain", "page"}));
    bool newOnly = false;
    save->add_flag("--new-only", newOnly,
                   "Writes only the items not yet saved into FOLDER by an earlier save");
    save->add_option("FOLDER", folder, "Where the files go")->required();
    save->add_option("ADDRESS", arguments, "Feed URLs or @FILEs")->required();
    // Kept for a message of our own: CLI11 would name only the missing command.
    app.allow_extras();
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::Success& success) {
        return app.exit(success, out, err);
    } catch (const CLI::ParseError& error) {
        return usageError(err, error.what());
    }
    if (!app.remaining().empty()) {
        const std::string first = app.remaining().front();
        const bool command = !list->parsed() && !save->parsed() && !first.starts_with('-');
        return usageError(err,
                          (command ? "unknown command '" : "unexpected argument '") + first + "'");
    }
    if (!list->parsed() && !save->parsed()) {
        return usageError(err, "no command given");
    }
    if (save->parsed() && folder.empty()) {
        // An empty folder would put the files at the root of the file system.
        return usageError(err, "save needs a folder that is not empty");
    }
    std::vector<std::string> addresses;
    try {
        addresses = expandAddresses(arguments);
    } catch (const std::runtime_error& error) {
        err << "lumeward-batch: " << error.what() << '\n';
        return kExitUsage;
    }
    const BatchMemory memory(noCache, save->parsed());
    const int status =
        save->parsed()
            ? saveFeeds({folder, workflows::savedFileFormatNamed(formatName).value(), newOnly},
                        std::move(addresses), limits, memory, out, err)
            : listFeeds(std::move(addresses), limits, memory, out, err);
    memory.reportWarnings(err);
    return status;
}

}  // namespace lumeward::batch
