#include "window/StatusText.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace lumeward::window {

namespace {

// The engine's English words for a failed read (feed::failureInFewWords and
// describeRead's own), looked up by their text.
constexpr const char* kFailureWords[] = {
    QT_TRANSLATE_NOOP("StatusText", "Server not found"),
    QT_TRANSLATE_NOOP("StatusText", "Could not connect"),
    QT_TRANSLATE_NOOP("StatusText", "Timed out"),
    QT_TRANSLATE_NOOP("StatusText", "Stopped"),
    QT_TRANSLATE_NOOP("StatusText", "Too many redirects"),
    QT_TRANSLATE_NOOP("StatusText", "Too large"),
    QT_TRANSLATE_NOOP("StatusText", "Secure connection failed"),
    QT_TRANSLATE_NOOP("StatusText", "Not a web address"),
    QT_TRANSLATE_NOOP("StatusText", "Connection broken"),
    QT_TRANSLATE_NOOP("StatusText", "Not a feed"),
    QT_TRANSLATE_NOOP("StatusText", "Could not read"),
    QT_TRANSLATE_NOOP("StatusText", "Not an RSS, RDF or Atom feed"),
};

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Words the engine has no translation for (a libcurl message) stay as they are.
QString failureWords(const std::string& english) {
    const auto known = std::ranges::find(kFailureWords, english);
    return known != std::end(kFailureWords) ? QCoreApplication::translate("StatusText", *known)
                                            : fromUtf8(english);
}

StatusText itemsText(const workflows::FeedStatus& status) {
    // A feed's body is at most 64 MiB: its item count fits an int.
    const int count = static_cast<int>(status.items);
    QString items = QCoreApplication::translate("StatusText", "%n items", nullptr, count);
    if (!status.waitUntil.empty()) {
        items = QCoreApplication::translate("StatusText",
                                            "%1, kept copy: the server asked to wait until %2")
                    .arg(items, fromUtf8(status.waitUntil));
        return {items, items};
    }
    if (!status.foundAt.empty()) {
        items = QCoreApplication::translate("StatusText", "%1, from the feed found at %2")
                    .arg(items, fromUtf8(status.foundAt));
    } else if (status.notChanged) {
        items = QCoreApplication::translate("StatusText", "%1, not changed").arg(items);
    }
    if (!status.movedTo.empty()) {
        const QString moved = fromUtf8(status.movedTo);
        return {QCoreApplication::translate("StatusText", "Moved to %1").arg(moved),
                QCoreApplication::translate("StatusText", "Moved permanently to %1; %2")
                    .arg(moved, items)};
    }
    return {items, fromUtf8(status.detail)};
}

}  // namespace

StatusText statusText(const workflows::FeedStatus& status) {
    using Kind = workflows::FeedStatus::Kind;
    switch (status.kind) {
        case Kind::Items:
            return itemsText(status);
        case Kind::NotRead:
            return {QCoreApplication::translate("StatusText", "Not read"),
                    QCoreApplication::translate(
                        "StatusText", "The run was stopped before this address was read.")};
        case Kind::ServerAnswer:
            break;
        case Kind::Failure:
            if (!status.waitUntil.empty()) {
                const QString waits =
                    QCoreApplication::translate("StatusText", "The server asked to wait until %1")
                        .arg(fromUtf8(status.waitUntil));
                return {waits, waits};
            }
            return {failureWords(status.summary), failureWords(status.detail)};
    }
    return {fromUtf8(status.summary), fromUtf8(status.detail)};
}

}  // namespace lumeward::window
