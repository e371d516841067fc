#include "window/LoadListFromFile.h"

#include <QCoreApplication>

#include <stdexcept>

#include "window/AddressEntry.h"
#include "window/Dialogs.h"
#include "workflows/AddressFile.h"
#include "workflows/FileExists.h"

namespace lumeward::window {

void LoadListFromFile(ListView& list, const QString& path, Dialogs& dialogs, QWidget* parent,
                      const std::function<bool()>& yield) {
    const QString caption = QCoreApplication::translate("Form1", "Lumeward");
    const std::filesystem::path file = path.toStdString();
    if (!workflows::FileExists(file)) {
        dialogs.message(parent, caption, QCoreApplication::translate("Form1", "File not found"));
        return;
    }
    std::vector<std::string> addresses;
    try {
        addresses = workflows::readAddressFile(file, yield);
    } catch (const std::runtime_error& error) {
        dialogs.message(parent, caption, QString::fromStdString(error.what()),
                        Dialogs::Icon::Warning);
        return;
    }
    appendAddresses(list, addresses);
}

}  // namespace lumeward::window
