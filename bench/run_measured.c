/* Runs one command and prints its wall time and CPU time (user + system) in microseconds and
 * its maximum resident size in KiB. A child's maximum resident size starts from its parent's
 * at the fork, so the measuring parent is this small program rather than the Python script.
 *
 *   run_measured COMMAND [ARGUMENTS...]   (the command's output goes to /dev/null) */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long NowUs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const long long start = NowUs();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) return 2;
  const long long wall = NowUs() - start;
  const long long cpu = usage.ru_utime.tv_sec * 1000000LL + usage.ru_utime.tv_usec +
                        usage.ru_stime.tv_sec * 1000000LL + usage.ru_stime.tv_usec;
  printf("%lld %lld %ld\n", wall, cpu, usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
