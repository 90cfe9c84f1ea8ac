#include "conversion/section_locator.h"

#include <libxml/xpathInternals.h>

#include "conversion/conversion_error.h"

namespace kovrel::conversion {
namespace {

using platform::xml::Node;

// Whether node is reached by the absolute path "//a/b/c": its own name is the last step and its
// ancestors carry the earlier steps, the first of them anywhere in the document.
bool matchesPath(Node node, std::string_view path) {
    std::string_view steps = path.substr(2);  // after "//"
    while (true) {
        if (!node)
            return false;
        const auto slash = steps.rfind('/');
        const std::string_view step =
            slash == std::string_view::npos ? steps : steps.substr(slash + 1);
        if (!node.hasName(step))
            return false;
        if (slash == std::string_view::npos)
            return true;
        steps = steps.substr(0, slash);
        node = node.parent();
    }
}

bool precedes(Node a, Node b) {
    return xmlXPathCmpNodes(a.raw(), b.raw()) == 1;
}

}  // namespace

Node SectionLocator::find(std::string_view path) {
    if (const auto known = known_.find(path); known != known_.end())
        return known->second;
    const Node node = doc_.selectSingleNode(path);
    known_.emplace(path, node);
    return node;
}

Node SectionLocator::require(std::string_view path) {
    const Node node = find(path);
    if (!node)
        throw ConversionError("the declaration has no " + std::string(path));
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
    auto layout = layouts_.find(parent.raw());
    if (layout == layouts_.end())
        layout = layouts_.emplace(parent.raw(), parent.childLayout()).first;
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
        if (matchesPath(node, path) && (!first || precedes(node, first)))
            first = node;
    }
}

}  // namespace kovrel::conversion
