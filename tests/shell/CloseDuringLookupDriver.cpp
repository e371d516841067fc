// Preloaded into the real lumeward, with the slow name lookup beside it: lists an
// address on the slow host through "Add RSS Feed URL", starts the run, and closes
// the window while the lookup is under way, writing "closed at N" (the steady
// clock in nanoseconds) on standard error. Only the window's object tree is used.
#include <QAbstractItemView>
#include <QApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "support/SlowLookup.h"

namespace {

QWidget* shownWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("Form1") && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

void press(QWidget* window, const char* name) {
    // Queued: the input box runs an event loop of its own, in which this driver goes on.
    QMetaObject::invokeMethod(window->findChild<QPushButton*>(QLatin1String(name)),
                              &QPushButton::click, Qt::QueuedConnection);
}

void drive() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, step = 0]() mutable {
        QWidget* window = shownWindow();
        if (window == nullptr) {
            return;
        }
        if (auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            box->setTextValue(
                QStringLiteral("http://%1/feed").arg(lumeward::test::kSlowLookupHost));
            box->accept();
            return;
        }
        const auto* list = window->findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
        const QString status = list->model()->index(0, 1).data().toString();
        if (step == 0) {
            press(window, "PushButton1");
            ++step;
        } else if (step == 1 && list->model()->rowCount() == 1) {
            press(window, "PushButton2");
            ++step;
        } else if (step == 2 && status == QLatin1String("Reading") &&
                   lumeward::test::slowLookupsUnderWay() > 0) {
            timer->stop();
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::fprintf(stderr, "closed at %lld\n",
                         static_cast<long long>(
                             std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            window->close();
        }
    });
    timer->start(20);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(drive)
