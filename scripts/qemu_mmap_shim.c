/* Preloaded into 32-bit Wine when it runs under qemu-i386 (a kernel without
 * 32-bit support). Debian 12's qemu-i386 (7.2) does not know MAP_FIXED_NOREPLACE:
 * it maps the area somewhere else instead of failing. Wine then keeps those
 * misplaced areas above 2 GB as reserved, and every later 64 KB-aligned
 * reservation there collides with them, so Wine's address-space set-up makes
 * about 65,000 mmap calls, each a slow search inside qemu: some 40 seconds of
 * processor time before any Windows program starts. Failing such a call the
 * way the kernel does (EEXIST) cuts that to well under a second.
 *
 * Built with "gcc -m32 -shared -nostdlib", so that no 32-bit C library or
 * multilib package is needed to build it: the C library's functions are found
 * in the process when the library is loaded. */

typedef unsigned int size_t;
typedef void* (*Mmap64)(void*, size_t, int, int, int, long long);

#define LULL_MAP_FIXED_NOREPLACE 0x100000
#define LULL_EEXIST 17
#define LULL_MAP_FAILED ((void*)-1)
#define LULL_RTLD_NEXT ((void*)-1)

extern void* dlsym(void* handle, const char* name);
extern int munmap(void* address, size_t length);
extern int* __errno_location(void);

void* mmap64(void* address, size_t length, int protection, int flags, int fd, long long offset) {
  static Mmap64 next;
  if (!next) next = (Mmap64)dlsym(LULL_RTLD_NEXT, "mmap64");
  void* result = next(address, length, protection, flags, fd, offset);
  if (result != LULL_MAP_FAILED && (flags & LULL_MAP_FIXED_NOREPLACE) && address &&
      result != address) {
    munmap(result, length);
    *__errno_location() = LULL_EEXIST;
    return LULL_MAP_FAILED;
  }
  return result;
}

void* mmap(void* address, size_t length, int protection, int flags, int fd, long offset) {
  /* The C library reads a 32-bit offset as unsigned. */
  return mmap64(address, length, protection, flags, fd, (unsigned long)offset);
}
