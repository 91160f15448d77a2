#include <cstdio>
int main() {
  std::puts("Trovix " TROVIX_VERSION);
  return 0;
}
