/* Functions that the external-call tests load and call. */
#include <stdio.h>
#include <string.h>

double vl_answer(void) { return 42; }

double vl_add2(double a, double b) { return a + b; }

double vl_sum8(double a, double b, double c, double d, double e, double f, double g, double h) {
  return a + 2 * b + 3 * c + 4 * d + 5 * e + 6 * f + 7 * g + 8 * h;
}

double vl_length_plus(const char* text, double n) { return (double)strlen(text) + n; }

const char* vl_greet(const char* name) {
  static char buffer[256];
  snprintf(buffer, sizeof buffer, "Hello, %s", name);
  return buffer;
}

const char* vl_join4(const char* a, double b, const char* c, double d) {
  static char buffer[256];
  snprintf(buffer, sizeof buffer, "%s%g%s%g", a, b, c, d);
  return buffer;
}

const char* vl_nothing(void) { return NULL; }
