// A program with one planted fault for the sanitizer run to find: undefined
// behaviour, or memory never freed. The check of that run must fail on each.
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Read at run time, so no compiler can fold the fault away.
volatile int g_Largest = 2147483647;
void* volatile g_Kept = nullptr;
}  // namespace

int main(int argc, char** argv) {
    const char* fault = argc > 1 ? argv[1] : "";
    if (std::strcmp(fault, "overflow") == 0) {
        int sum = g_Largest;
        sum += argc;  // signed overflow
        std::printf("%d\n", sum);
    } else if (std::strcmp(fault, "leak") == 0) {
        g_Kept = std::malloc(77);
        g_Kept = nullptr;  // the only pointer to the block is gone
    } else if (std::strcmp(fault, "none") != 0) {
        std::fprintf(stderr, "usage: sanitizer_plant overflow|leak|none\n");
        return 2;
    }
    return 0;
}
