#include "shell/LaunchArguments.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "window/Dialogs.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "workflows/AddressLines.h"

namespace lumeward::shell {

namespace {

// How long arguments wait before the window is asked again whether it is idle.
constexpr int kRetryMilliseconds = 250;

bool isWebAddress(const QString& text) {
    const QUrl url(text);
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
           !url.host().isEmpty();
}

// Browsers hand a subscription over as feed://host/path (the feed's http address
// under another scheme) or as feed:https://... (the address behind a prefix).
QString withoutFeedScheme(const QString& text) {
    if (!text.startsWith(u"feed:", Qt::CaseInsensitive)) {
        return text;
    }
    const QString rest = text.mid(5);
    return rest.startsWith(u"//") ? QStringLiteral("http:") + rest : rest;
}

}  // namespace

LaunchArgument interpretArgument(const QString& argument, const QString& workingFolder) {
    // An address means the same whichever way it comes in: blanks around it are not part of it.
    const QByteArray line = argument.toUtf8();
    const auto trimmed = workflows::addressOfLine({line.constData(), std::size_t(line.size())});
    if (!trimmed && argument.trimmed().isEmpty()) {
        return {LaunchArgument::Kind::Nothing, {}};
    }
    if (trimmed) {
        const QString address = withoutFeedScheme(
            QString::fromUtf8(trimmed->data(), static_cast<qsizetype>(trimmed->size())));
        if (isWebAddress(address)) {
            return {LaunchArgument::Kind::Address, address};
        }
    }
    // File managers hand files over as file: URLs.
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    if (const QFileInfo file(QDir(workingFolder), path); !path.isEmpty() && file.exists()) {
        return {LaunchArgument::Kind::File, file.absoluteFilePath()};
    }
    return {LaunchArgument::Kind::Unusable, argument};
}

LaunchArguments::LaunchArguments(window::Form1& form, window::Dialogs& dialogs)
    : QObject(&form), m_form(form), m_dialogs(dialogs) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMilliseconds);
    connect(&m_retry, &QTimer::timeout, this, &LaunchArguments::applyPending);
}

void LaunchArguments::open(const QString& workingFolder, const QStringList& arguments) {
    for (const QString& argument : arguments) {
        m_pending.push_back({argument, workingFolder});
    }
    applyPending();
}

void LaunchArguments::applyPending() {
    if (m_applying) {
        return;  // the call under way goes on with what came in
    }
    m_applying = true;
    while (!m_pending.empty() && !m_form.isClosing()) {
        if (m_form.isBusy() || !m_form.isVisible()) {
            m_retry.start();
            break;
        }
        const Pending next = std::move(m_pending.front());
        m_pending.pop_front();
        apply(next);
    }
    m_applying = false;
}

void LaunchArguments::apply(const Pending& pending) {
    const LaunchArgument argument = interpretArgument(pending.argument, pending.workingFolder);
    switch (argument.kind) {
        case LaunchArgument::Kind::Address:
            m_form.ListView1()->add(argument.value);
            break;
        case LaunchArgument::Kind::File:
            m_form.loadAddressFile(argument.value);
            break;
        case LaunchArgument::Kind::Nothing:
            break;
        case LaunchArgument::Kind::Unusable:
            m_dialogs.message(
                &m_form, tr("Lumeward"),
                tr("\"%1\" is neither a file nor a feed address (http, https or feed).")
                    .arg(pending.argument),
                window::Dialogs::Icon::Warning);
            break;
    }
}

}  // namespace lumeward::shell
