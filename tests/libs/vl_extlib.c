/* The library of the extension package tests: real and text arguments and
   results, and initialisation and finalisation functions that keep count
   (the library stays loaded over a restart of the game). */
#include <stdio.h>

static int inits, finals;

double ext_lib_init(void) { return ++inits; }
double ext_lib_final(void) { return ++finals; }
double ext_lib_count(double finalisations) { return finalisations >= 0.5 ? finals : inits; }

double ext_scale(double a, double b) { return a * b; }

const char* ext_wrap(const char* text, double n) {
  static char buffer[256];
  snprintf(buffer, sizeof buffer, "[%s:%g]", text, n);
  return buffer;
}
