#include "runner/Runner_Form.h"

int Runner_Main(int argc, char** argv) { return 0; }
