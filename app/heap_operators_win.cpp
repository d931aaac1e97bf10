// The stub's allocation operators, straight onto the C runtime's heap.
//
// The C++ library's own operator new throws std::bad_alloc when memory runs
// out, and linking it drags the whole exception machinery (unwinder, thread
// library, demangler) into the stub for an exception nothing here catches.
// These behave as the library's would end up behaving: a plain new that
// cannot be satisfied ends the program, as an uncaught bad_alloc does; the
// nothrow forms return null, and their callers check for it.
#include <cstdlib>
#include <new>

namespace {

void* Allocate(std::size_t size) noexcept {
    // A zero-byte request still gets a distinct pointer.
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrEnd(std::size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrEnd(size);
}

void* operator new[](std::size_t size) {
    return AllocateOrEnd(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
