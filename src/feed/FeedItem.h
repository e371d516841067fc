#pragma once

#include <optional>
#include <string>

#include "feed/ItemDates.h"

namespace lumeward::feed {

// One feed entry. Written once by the reader, read-only for everybody else.
class FeedItem {
public:
    // The feed's own id of the item (RSS guid, Atom id, RDF rdf:about) as written;
    // empty when it gives none.
    const std::string& Id() const { return m_id; }
    const std::string& URL() const { return m_url; }
    const std::string& Title() const { return m_title; }
    const std::string& Description() const { return m_description; }
    // When the item was published (else last updated), as the feed says; none when
    // it says nothing readable.
    const std::optional<ItemDate>& Date() const { return m_date; }

private:
    friend class FeedReader;

    void Id(std::string value) { m_id = std::move(value); }
    void URL(std::string value) { m_url = std::move(value); }
    void Title(std::string value) { m_title = std::move(value); }
    void Description(std::string value) { m_description = std::move(value); }
    void Date(std::optional<ItemDate> value) { m_date = value; }

    std::string m_id;
    std::string m_url;
    std::string m_title;
    std::string m_description;
    std::optional<ItemDate> m_date;
};

}  // namespace lumeward::feed
