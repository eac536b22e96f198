// Program entry of the game. Until the application entry exists it only
// reports what this build holds.
#include <cstdio>

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  std::printf("tessarak: this build holds the engine and platform libraries only; the game itself is not built yet.\n");
  return 0;
}
