#include "runner/Runner_Form.h"

int main(int argc, char** argv) { return Runner_Main(argc, argv); }
