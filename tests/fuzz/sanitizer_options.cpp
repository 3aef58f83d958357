// AddressSanitizer's defaults for every fuzz target, read before the target runs.

// Freed blocks are held back so that a late use of one is caught, by default 256 MB of them.
// Every input allocates and frees its files, images and registry afresh, so with that much
// held back each input works on memory no recent input touched, and a third of its time
// went to page faults and cache misses. 16 MB still holds back what many inputs freed, far
// more than one input can reach.
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16"; }
