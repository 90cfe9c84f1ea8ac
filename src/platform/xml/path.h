#pragma once

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/xml/node.h"

// The absolute paths "//a/b/c" that name the sections of a declaration: a path reaches an
// element named by its last step whose parent is named by the step before, and so on up to the
// first step, which may stand at any depth. Like an XPath name without a prefix, no step matches
// an element in a namespace. The tree and the stream both match through pathReaches.
namespace kovrel::platform::xml {

// The name of the elements that path can reach.
inline std::string_view lastStep(std::string_view path) {
    return path.substr(path.rfind('/') + 1);
}

// Whether path reaches an element. nextName() names the element on its first call, then its
// ancestors nearest first, and gives nullopt above the outermost; an element in a namespace is
// named by an empty view, which no step matches.
template <typename NextName>
bool pathReaches(std::string_view path, NextName nextName) {
    std::string_view steps = path.substr(std::min<std::size_t>(2, path.size()));  // after "//"
    for (std::optional<std::string_view> name = nextName(); name; name = nextName()) {
        const auto slash = steps.rfind('/');
        const std::string_view step =
            slash == std::string_view::npos ? steps : steps.substr(slash + 1);
        if (name->empty() || step != *name)
            return false;
        if (slash == std::string_view::npos)
            return true;
        steps = steps.substr(0, slash);
    }
    return false;
}

// Whether path reaches node.
bool isOnPath(Node node, std::string_view path);

}  // namespace kovrel::platform::xml
