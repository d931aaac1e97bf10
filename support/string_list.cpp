// List of owned strings.
#include "support/string_list.h"

#include <new>

#include "support/text.h"

namespace support {

namespace {

// Shorter lists are simply read through.
constexpr int32_t kIndexedFrom = 16;

}  // namespace

bool StringList::AppendCopy(const char* text) {
    auto* copy = new (std::nothrow) HeapString(text);
    if (copy == nullptr) {
        return false;
    }
    if (!items_.Append(copy)) {
        delete copy;
        return false;
    }
    if (index_.Follows(items_)) {
        index_.AddLast(items_);
    }
    return true;
}

bool StringList::HoldsIgnoringCase(const char* text) const {
    if (items_.Count() > kIndexedFrom && !index_.Follows(items_)) {
        index_.Rebuild(items_);
    }
    return index_.Next(items_, text, -1) >= 0;
}

void StringList::ClearAll() {
    for (int32_t i = 0; i < items_.Count(); ++i) {
        delete static_cast<HeapString*>(items_.GetAt(i));
    }
    items_.Clear();
    index_.Clear();
}

}  // namespace support
