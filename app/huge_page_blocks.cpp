// Large blocks of memory on huge pages.
//
// A sheet of a million rows and the run's arrays on it are blocks of many
// megabytes, and the first touch of every 4 KB page of them costs a page
// fault: on some machines (virtual ones above all) faults are most of the
// time of a large run. Where the system hands out huge pages on request
// (transparent huge pages in "madvise" mode), a block asks for them and
// faults once per 2 MB instead. Elsewhere the request is refused or
// changes nothing, and the block is an ordinary one.
//
// The program's own allocation functions (those of C++'s new, replaced
// here for the whole program, the library included) take the memory from
// malloc as the standard ones do, so the standard delete frees it. A large
// block starts on a huge-page boundary, so that only its last part, short
// of a huge page, is left to small pages, and is advised.
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t LargeBlock = std::size_t(4) << 20;
constexpr std::size_t HugePage = std::size_t(2) << 20;

void* allocateLarge(std::size_t size)
{
    void* block = nullptr;
    if (posix_memalign(&block, HugePage, size) != 0)
        return nullptr;
    // The last part, short of a huge page, stays on small pages.
    madvise(block, size / HugePage * HugePage, MADV_HUGEPAGE);
    return block;
}

void* allocate(std::size_t size)
{
    if (size == 0)
        size = 1;
    for (;;) {
        if (void* block = size >= LargeBlock ? allocateLarge(size) : std::malloc(size))
            return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

// The heap itself, where blocks short of LargeBlock live: malloc takes
// blocks up to LargeBlock from it (not from a mapping of their own that
// every free gives back and the next block faults in again), keeps what
// is freed for the next ones, and the heap grows at once by HeapReserve,
// advised for huge pages. The run's arrays of a hundred thousand rows
// (under a megabyte each) so fault once per 2 MB as well.
constexpr std::size_t HeapReserve = std::size_t(64) << 20;

struct HeapOnHugePages {
    HeapOnHugePages()
    {
        mallopt(M_MMAP_THRESHOLD, static_cast<int>(LargeBlock));
        mallopt(M_TOP_PAD, static_cast<int>(HeapReserve));
        mallopt(M_TRIM_THRESHOLD, static_cast<int>(HeapReserve));
        // Every thread takes its blocks from this one heap. A heap of its
        // own per thread (an arena, at most 64 MB) gives back only above the
        // trim threshold, which it never reaches, so the arenas of the run's
        // worker threads kept what they freed for good: 150 MB after a run
        // of a million rows, more with each run.
        mallopt(M_ARENA_MAX, 1);
        const auto end = [] { return reinterpret_cast<std::uintptr_t>(sbrk(0)); };
        const std::uintptr_t before = end();
        // One block that the heap cannot hold makes it grow by the reserve.
        void* volatile grow = std::malloc(std::size_t(1) << 20);
        std::free(grow);
        const std::uintptr_t from = (before + HugePage - 1) / HugePage * HugePage;
        const std::uintptr_t to = end() / HugePage * HugePage;
        if (to > from)
            madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    }
};
const HeapOnHugePages heapOnHugePages;

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}

void* operator new[](std::size_t size)
{
    return allocate(size);
}
