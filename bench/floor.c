/* The floor for a command-line tool's start-up: a C program that only starts and exits. */
int main(void) {
  return 0;
}
