#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/xml/document.h"

namespace kovrel::conversion {

// Finds the first node in document order for the absolute paths "//a/b/c" that the section
// mappings use, remembering each answer so that a run does not search the whole document once
// per record. Appends and removals must go through it to keep the answers true. Paths are
// remembered by view, so they must outlive the locator: the mappings' constants do.
class SectionLocator {
  public:
    explicit SectionLocator(platform::xml::Document& doc) : doc_(doc) {}

    platform::xml::Node find(std::string_view path);
    // Like find, but a missing node is an Error naming the path.
    platform::xml::Node require(std::string_view path);

    platform::xml::Node append(platform::xml::Node parent, std::string_view name);
    platform::xml::Node appendWithText(platform::xml::Node parent, std::string_view name,
                                       std::string_view utf8Text);
    // A row of leaves, kept compact (see Node::appendCompactElement).
    platform::xml::Node appendRow(platform::xml::Node parent, std::string_view name,
                                  const std::vector<platform::xml::Node::Leaf>& leaves);
    void remove(platform::xml::Node parent, platform::xml::Node child);

  private:
    void noteAppended(platform::xml::Node node);

    platform::xml::Document& doc_;
    // path -> first match (an empty Node when there is none)
    std::unordered_map<std::string_view, platform::xml::Node> known_;
    // parent -> how its rows are laid out; appends never change it
    std::unordered_map<platform::xml::Node, platform::xml::Node::ChildLayout> layouts_;
};

}  // namespace kovrel::conversion
