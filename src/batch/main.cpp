#include <sys/mman.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "batch/BatchCommands.h"

namespace {

// A fresh process takes a page fault for every 4 KiB of a feed's text, document
// and items, and on a virtual machine each fault is dear: a 9 MB feed spent
// more time faulting than parsing. So the heap is reserved in one piece up
// front (address space only) and marked for transparent huge pages, which fault
// in 2 MiB at a time. Should any step not take, allocation works as before.
void backHeapWithHugePages() {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr int kReserve = 256 << 20;
    constexpr std::uintptr_t kHugePage = 2 << 20;
    if (mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0 || mallopt(M_TOP_PAD, kReserve) == 0 ||
        mallopt(M_TRIM_THRESHOLD, kReserve) == 0) {
        return;
    }
    // A block larger than the heap's free top makes it grow by the reserve now;
    // volatile keeps the compiler from dropping the pair.
    void* volatile growth = std::malloc(kHugePage);
    std::free(growth);
    const auto top = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    const std::uintptr_t begin = (top - kReserve + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = top & ~(kHugePage - 1);
    if (end > begin) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    // A reader that goes away ("| head") then makes a write fail with EPIPE,
    // which the commands report as the failure it is (status 1), rather than
    // the signal ending the program with a status nobody documented.
    std::signal(SIGPIPE, SIG_IGN);
    backHeapWithHugePages();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    return lumeward::batch::runBatch(args, std::cout, std::cerr);
}
