// The name index: chains by a case-folded hash.
#include "support/name_index.h"

#include <cstdlib>

#include "support/text.h"

namespace support {

namespace {

// FNV-1a over the name with ASCII letters in upper case; false for a name
// with a byte that is not printable ASCII.
bool HashPrintableAscii(const char* name, uint32_t* hash) {
    uint32_t value = 2166136261u;
    for (; *name != '\0'; ++name) {
        unsigned char byte = static_cast<unsigned char>(*name);
        if (byte < 0x20 || byte > 0x7E) {
            return false;
        }
        if (byte >= 'a' && byte <= 'z') {
            byte = static_cast<unsigned char>(byte - 'a' + 'A');
        }
        value = (value ^ byte) * 16777619u;
    }
    *hash = value;
    return true;
}

// The first item of a chain after index after whose name matches.
int32_t NextInChain(const PtrArray& items, NameIndex::NameOf name_of, const int32_t* next,
                    int32_t from, const char* name, int32_t after) {
    for (int32_t i = from; i >= 0; i = next[i]) {
        if (i > after && EqualsIgnoringCase(name_of(items.GetAt(i)), name)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

NameIndex::~NameIndex() {
    Release();
}

void NameIndex::Release() {
    std::free(first_);
    std::free(last_);
    std::free(next_);
    first_ = last_ = next_ = nullptr;
    buckets_ = capacity_ = count_ = 0;
}

bool NameIndex::Allocate(int32_t buckets, int32_t capacity) {
    Release();
    // One more chain for the names that are not printable ASCII.
    size_t chains = static_cast<size_t>(buckets) + 1;
    first_ = static_cast<int32_t*>(std::malloc(chains * sizeof(int32_t)));
    last_ = static_cast<int32_t*>(std::malloc(chains * sizeof(int32_t)));
    next_ = static_cast<int32_t*>(std::malloc(static_cast<size_t>(capacity) * sizeof(int32_t)));
    if (first_ == nullptr || last_ == nullptr || next_ == nullptr) {
        Release();
        return false;
    }
    for (size_t i = 0; i < chains; ++i) {
        first_[i] = last_[i] = -1;
    }
    buckets_ = buckets;
    capacity_ = capacity;
    return true;
}

int32_t NameIndex::ChainOf(const char* name) const {
    uint32_t hash = 0;
    return HashPrintableAscii(name, &hash) ? static_cast<int32_t>(hash & (buckets_ - 1)) : buckets_;
}

void NameIndex::Link(int32_t index, const char* name) {
    int32_t chain = ChainOf(name);
    next_[index] = -1;
    if (last_[chain] < 0) {
        first_[chain] = index;
    } else {
        next_[last_[chain]] = index;
    }
    last_[chain] = index;
    count_ = index + 1;
}

void NameIndex::Rebuild(const PtrArray& items) {
    int32_t count = items.Count();
    int32_t buckets = 64;
    // Room to grow by appending; chains of about one item each.
    while (buckets < count && buckets < (1 << 28)) {
        buckets *= 2;
    }
    if (!Allocate(buckets, buckets * 2)) {
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        Link(i, NameAt(items, i));
    }
}

void NameIndex::AddLast(const PtrArray& items) {
    int32_t index = items.Count() - 1;
    if (buckets_ > 0 && index == count_ && index < capacity_) {
        Link(index, NameAt(items, index));
    } else {
        Rebuild(items);
    }
}

int32_t NameIndex::Next(const PtrArray& items, const char* name, int32_t after) const {
    uint32_t hash = 0;
    if (buckets_ == 0 || count_ != items.Count() || !HashPrintableAscii(name, &hash)) {
        for (int32_t i = after + 1; i < items.Count(); ++i) {
            if (EqualsIgnoringCase(NameAt(items, i), name)) {
                return i;
            }
        }
        return -1;
    }
    int32_t hashed = NextInChain(items, name_of_, next_,
                                 first_[hash & static_cast<uint32_t>(buckets_ - 1)], name, after);
    int32_t other = NextInChain(items, name_of_, next_, first_[buckets_], name, after);
    if (hashed < 0 || (other >= 0 && other < hashed)) {
        return other;
    }
    return hashed;
}

}  // namespace support
