#pragma once

#include <cstddef>
#include <string>

#include "infofile/info_file.h"
#include "platform/error.h"

namespace kovrel::conversion {

// Fails the record when it has fewer fields than its mapping reads.
inline void requireFields(const infofile::InfoRecord& record, std::size_t count) {
    if (record.size() < count) {
        throw Error("record \"" + record.front() + "\" has " + std::to_string(record.size()) +
                    " fields; it needs " + std::to_string(count));
    }
}

}  // namespace kovrel::conversion
