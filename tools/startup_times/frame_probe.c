/* Preloaded into the game by tools/startup_times/measure.sh: writes, for each of
 * the first frames Mesa's software renderer hands to the X server, the seconds
 * since the game was started (QV_START_NS, CLOCK_REALTIME in nanoseconds) and
 * the processor time the game used until then, all its threads (cpu) and the
 * drawing thread alone (main): on a busy machine these say more. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef int (*PutImage)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned);
typedef int (*ShmPutImage)(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned, int);

static int frames;

// Small pictures (a 16 x 16 one goes first) are not frames of the window. The
// first frame comes with the window itself; the second and third are the loading
// screen, drawn twice before the scenes are made; the fourth follows them.
// QV_PROBE_FRAMES raises how many frames are written (the frame rate tool wants them all).
static void noteFrame(unsigned width, unsigned height) {
  const char* limit = getenv("QV_PROBE_FRAMES");
  if (width < 320 || height < 200 || ++frames > (limit ? atoi(limit) : 4)) return;
  const char* start = getenv("QV_START_NS");
  const char* out = getenv("QV_FRAME_TIMES");
  if (!start || !out) return;
  struct timespec now, cpu, mainCpu;
  clock_gettime(CLOCK_REALTIME, &now);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &mainCpu);
  const double seconds = ((double)now.tv_sec * 1e9 + (double)now.tv_nsec - atof(start)) / 1e9;
  FILE* f = fopen(out, "a");
  if (!f) return;
  fprintf(f, "frame%d %.3f cpu%d %.3f main%d %.3f\n", frames, seconds, frames,
          (double)cpu.tv_sec + (double)cpu.tv_nsec / 1e9, frames,
          (double)mainCpu.tv_sec + (double)mainCpu.tv_nsec / 1e9);
  fclose(f);
}

int XPutImage(void* d, unsigned long w, void* gc, void* im, int sx, int sy, int dx, int dy, unsigned width,
              unsigned height) {
  static PutImage real;
  if (!real) real = (PutImage)dlsym(RTLD_NEXT, "XPutImage");
  noteFrame(width, height);
  return real(d, w, gc, im, sx, sy, dx, dy, width, height);
}

int XShmPutImage(void* d, unsigned long w, void* gc, void* im, int sx, int sy, int dx, int dy, unsigned width,
                 unsigned height, int sendEvent) {
  static ShmPutImage real;
  if (!real) real = (ShmPutImage)dlsym(RTLD_NEXT, "XShmPutImage");
  noteFrame(width, height);
  return real(d, w, gc, im, sx, sy, dx, dy, width, height, sendEvent);
}
