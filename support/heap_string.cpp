// Owned heap string.
#include "support/heap_string.h"

#include <cstdlib>
#include <cstring>

namespace support {

// The empty text lives in a static byte until the first assignment, so that
// constructing never fails.
static char g_empty_text[1] = {'\0'};

HeapString::HeapString() : text_(g_empty_text), capacity_(1) {}

HeapString::HeapString(const char* text) : HeapString() {
    Assign(text);
}

HeapString::HeapString(const HeapString& other) : HeapString() {
    Assign(other.text_);
}

HeapString& HeapString::operator=(const HeapString& other) {
    if (this != &other) {
        Assign(other.text_);
    }
    return *this;
}

HeapString::~HeapString() {
    if (text_ != g_empty_text) {
        std::free(text_);
    }
}

bool HeapString::Assign(const char* text) {
    size_t needed = std::strlen(text) + 1;
    if (needed > capacity_) {
        char* storage = static_cast<char*>(std::malloc(needed));
        if (storage == nullptr) {
            return false;
        }
        if (text_ != g_empty_text) {
            std::free(text_);
        }
        text_ = storage;
        capacity_ = static_cast<uint32_t>(needed);
    }
    std::memmove(text_, text, needed);
    return true;
}

}  // namespace support
