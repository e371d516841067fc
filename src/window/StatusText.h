#pragma once

#include <QString>

#include "workflows/RetrievalRun.h"

namespace lumeward::window {

// A read's Status and its tooltip in the user's language. A server's status
// line ("HTTP 404 Not Found") and the engine's detailed error texts (libcurl's,
// the XML parser's) stay as they are.
struct StatusText {
    QString summary;
    QString detail;
};

StatusText statusText(const workflows::FeedStatus& status);

}  // namespace lumeward::window
