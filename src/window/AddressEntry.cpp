#include "window/AddressEntry.h"

#include "window/ListModel.h"
#include "window/ListView.h"
#include "workflows/AddressLines.h"

namespace lumeward::window {

void addAddressLines(ListView& list, const QString& text) {
    appendAddresses(list, workflows::addressesOfText(text.toStdString()));
}

void appendAddresses(ListView& list, const std::vector<std::string>& addresses) {
    std::vector<ListRow> rows;
    rows.reserve(addresses.size());
    for (const auto& address : addresses) {
        rows.push_back({QString::fromStdString(address), {}, false, {}});
    }
    list.insert(list.count() + 1, std::move(rows));
}

}  // namespace lumeward::window
