#include "conversion/section_locator.h"

#include "platform/error.h"
#include "platform/messages.h"
#include "platform/xml/path.h"

namespace kovrel::conversion {

using platform::xml::Node;

Node SectionLocator::find(std::string_view path) {
    if (const auto known = known_.find(path); known != known_.end())
        return known->second;
    const Node node = doc_.firstOnPath(path);
    known_.emplace(path, node);
    return node;
}

Node SectionLocator::require(std::string_view path) {
    const Node node = find(path);
    if (!node)
        throw Error(messages::declarationLacks(path));
    return node;
}

Node SectionLocator::append(Node parent, std::string_view name) {
    const Node node = parent.appendElement(name);
    noteAppended(node);
    return node;
}

Node SectionLocator::appendWithText(Node parent, std::string_view name, std::string_view utf8Text) {
    const Node node = append(parent, name);
    node.setText(utf8Text);
    return node;
}

Node SectionLocator::appendRow(Node parent, std::string_view name,
                               const std::vector<Node::Leaf>& leaves) {
    auto layout = layouts_.find(parent);
    if (layout == layouts_.end())
        layout = layouts_.emplace(parent, parent.childLayout()).first;
    const Node node = parent.appendCompactElement(name, leaves, layout->second);
    noteAppended(node);
    return node;
}

void SectionLocator::remove(Node parent, Node child) {
    parent.removeChild(child);
    // Removals happen only while a run prepares the document.
    known_.clear();
    layouts_.clear();
}

void SectionLocator::noteAppended(Node node) {
    for (auto& [path, first] : known_) {
        if (platform::xml::isOnPath(node, path) && (!first || node.precedes(first)))
            first = node;
    }
}

}  // namespace kovrel::conversion
