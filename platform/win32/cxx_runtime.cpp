// The Windows 95 build leaves the C++ exception machinery out: its unwinder
// and thread support call functions that Windows 95 lacks (wide-character
// semaphores and module lookups), and this program throws nothing. The
// toolchain file compiles everything with -fno-exceptions; the few library
// paths that would still throw end the process here instead, which is what
// an uncaught exception does.
#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>

// The library's own copy of std::string is compiled with exceptions; this
// one keeps its code out of the program.
template class std::basic_string<char>;

namespace {

void* Allocate(std::size_t size) noexcept
{
    return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(std::size_t size)
{
    void* block = Allocate(size);
    if (!block)
        std::abort();
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

// What the library's containers call instead of throwing.
namespace std {

void __throw_bad_alloc()
{
    std::abort();
}

void __throw_bad_array_new_length()
{
    std::abort();
}

void __throw_length_error(const char*)
{
    std::abort();
}

void __throw_logic_error(const char*)
{
    std::abort();
}

void __throw_out_of_range(const char*)
{
    std::abort();
}

void __throw_out_of_range_fmt(const char*, ...)
{
    std::abort();
}

}  // namespace std
