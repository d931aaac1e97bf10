// A Windows program that does nothing for a second: the reference for the
// installer's peak memory under Wine, which is Wine's own share of any
// program plus what the program itself holds.
#include <windows.h>

int main() {
    Sleep(1000);
    return 0;
}
