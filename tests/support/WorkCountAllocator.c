/* The allocator functions of a test program (or, built as a shared library and preloaded,
 * of a child process): each counts the call on the calling thread and passes it on to the
 * C library's own.  See WorkCount.h. */

#include <stddef.h>
#include <stdint.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PELMORA_WORK_NOT_COUNTED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define PELMORA_WORK_NOT_COUNTED 1
#endif
#endif

#ifndef PELMORA_WORK_NOT_COUNTED

extern void* __libc_malloc(size_t);
extern void* __libc_calloc(size_t, size_t);
extern void* __libc_realloc(void*, size_t);
extern void __libc_free(void*);

/* Static TLS: reading it never allocates, so the allocator may use it. */
static __thread uint64_t threadAllocations __attribute__((tls_model("initial-exec")));
static __thread uint64_t threadBytes __attribute__((tls_model("initial-exec")));

void* malloc(size_t size)
{
    ++threadAllocations;
    threadBytes += size;
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    ++threadAllocations;
    threadBytes += count * size;
    return __libc_calloc(count, size);
}

void* realloc(void* p, size_t size)
{
    ++threadAllocations;
    threadBytes += size;
    return __libc_realloc(p, size);
}

void free(void* p)
{
    __libc_free(p);
}

int pelmora_work_counted(void)
{
    return 1;
}

void pelmora_thread_work(uint64_t* allocations, uint64_t* bytes)
{
    *allocations = threadAllocations;
    *bytes = threadBytes;
}

#ifdef PELMORA_WORK_PRELOAD
/* The preloaded form: at exit (on the thread that ends the program, its main thread) the
 * counts go to the file PELMORA_WORK_FILE names, as "allocations bytes steps": only from the
 * program PELMORA_WORK_PROGRAM names (not from GNU time around it, nor from a program it
 * starts), and only by the first to end.  The steps are the sum of what the functions that
 * PELMORA_WORK_STEPS names (comma-separated symbols of the program's libraries, each taking
 * nothing and giving a 64-bit count of the calling thread's work) answer then; a fourth
 * number counts the names the program has no function for. */
#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* The named counters that the program does not have: a test that names one its program
 * lost (renamed, say) must not take the sum of the others for the path's work. */
static unsigned long long countersMissing = 0;

static unsigned long long stepsCounted(void)
{
    const char* names = getenv("PELMORA_WORK_STEPS");
    unsigned long long total = 0;
    char name[256];
    while (names && *names) {
        const char* comma = strchr(names, ',');
        const size_t length = comma ? (size_t)(comma - names) : strlen(names);
        if (length > 0 && length < sizeof name) {
            memcpy(name, names, length);
            name[length] = 0;
            void* symbol = dlsym(RTLD_DEFAULT, name);
            if (symbol) {
                uint64_t (*count)(void);
                memcpy(&count, &symbol, sizeof count);
                total += count();
            } else {
                ++countersMissing;
            }
        }
        names = comma ? comma + 1 : NULL;
    }
    return total;
}

__attribute__((destructor)) static void writeWork(void)
{
    const char* file = getenv("PELMORA_WORK_FILE");
    const char* program = getenv("PELMORA_WORK_PROGRAM");
    if (!file || !*file || !program)
        return;
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return;
    self[length] = 0;
    if (strcmp(self, program) != 0)
        return;
    char text[96];
    const unsigned long long steps = stepsCounted();
    const int n = snprintf(text, sizeof text, "%llu %llu %llu %llu\n", (unsigned long long)threadAllocations,
                           (unsigned long long)threadBytes, steps, countersMissing);
    const int fd = open(file, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (n > 0 && write(fd, text, (size_t)n) < 0) {
    }
    close(fd);
}
#endif

#else

int pelmora_work_counted(void)
{
    return 0;
}

void pelmora_thread_work(uint64_t* allocations, uint64_t* bytes)
{
    *allocations = 0;
    *bytes = 0;
}

#endif
