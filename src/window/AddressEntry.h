#pragma once

#include <QString>

#include <string>
#include <vector>

namespace lumeward::window {

class ListView;

// Appends the addresses a text holds to the address list, by the address-line
// rule every way in shares (workflows/AddressLines.h): typed, pasted, dropped.
void addAddressLines(ListView& list, const QString& text);

// Appends UTF-8 addresses to the address list in one insertion, however many:
// a row at a time, a shown list would lay itself out again for each.
void appendAddresses(ListView& list, const std::vector<std::string>& addresses);

}  // namespace lumeward::window
