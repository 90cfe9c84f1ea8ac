#pragma once

#include <cstddef>
#include <string>

#include "infofile/info_file.h"
#include "platform/error.h"
#include "platform/messages.h"

namespace kovrel::conversion {

// Fails the record when it has fewer fields than its mapping reads.
inline void requireFields(const infofile::InfoRecord& record, std::size_t count) {
    if (record.size() < count) {
        throw Error(messages::recordTooShort(record.front(), record.size(), count));
    }
}

}  // namespace kovrel::conversion
