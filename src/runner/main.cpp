#include "debug/Debug_Main.h"
#include "runner/Runner_Form.h"

int main(int argc, char** argv) {
  Debug_Install();
  return Runner_Main(argc, argv);
}
