// Preloaded into the real lumeward with the slow lookup: through the window's own
// controls, lists an address on the slow host, starts the run and closes the window
// once the lookup is under way, writing "closed at N" (steady clock, ns) to stderr.
#include <QAbstractItemView>
#include <QApplication>
#include <QInputDialog>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include "support/SlowLookup.h"

namespace {

void drive() {
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, step = 0]() mutable {
        if (auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            box->setTextValue(QStringLiteral("http://%1/").arg(lumeward::test::kSlowLookupHost));
            box->accept();
            return;
        }
        QWidget* window = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            window = widget->objectName() == "Form1" && widget->isVisible() ? widget : window;
        }
        if (window == nullptr) {
            return;
        }
        // Clicks are queued: the input box runs an event loop of its own.
        const auto press = [window](const char* name) {
            QMetaObject::invokeMethod(window->findChild<QPushButton*>(name), &QPushButton::click,
                                      Qt::QueuedConnection);
        };
        const auto* list = window->findChild<QAbstractItemView*>("ListView1")->model();
        if (step == 0) {
            press("PushButton1");
            ++step;
        } else if (step == 1 && list->rowCount() == 1) {
            press("PushButton2");
            ++step;
        } else if (step == 2 && list->index(0, 1).data() == "Reading" &&
                   lumeward::test::slowLookupsUnderWay() > 0) {
            timer->stop();
            std::fprintf(stderr, "closed at %lld\n",
                         static_cast<long long>(
                             std::chrono::steady_clock::now().time_since_epoch().count()));
            window->close();
        }
    });
    timer->start(20);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(drive)
