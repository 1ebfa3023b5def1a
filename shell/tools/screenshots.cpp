#include "shell/ProgramWindows.h"
int main() { return 0; }
