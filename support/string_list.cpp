// List of owned strings.
#include "support/string_list.h"

#include <new>

namespace support {

bool StringList::AppendCopy(const char* text) {
    auto* copy = new (std::nothrow) HeapString(text);
    if (copy == nullptr) {
        return false;
    }
    if (!items_.Append(copy)) {
        delete copy;
        return false;
    }
    return true;
}

void StringList::ClearAll() {
    for (int32_t i = 0; i < items_.Count(); ++i) {
        delete static_cast<HeapString*>(items_.GetAt(i));
    }
    items_.Clear();
}

}  // namespace support
