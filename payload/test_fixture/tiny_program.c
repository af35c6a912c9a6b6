/* A small Windows program (and, with LIBRARY defined, a library) for the
   payload tests: 7-Zip puts files into its BCJ2 block only when their PE
   headers say they are executables or libraries. */
#include <windows.h>

#ifdef LIBRARY
__declspec(dllexport) int Sum(const int* values, int count) {
    int total = 0;
    for (int i = 0; i < count; ++i) total += values[i];
    return total;
}
#else
int main(int argc, char** argv) {
    char text[64];
    wsprintfA(text, "%d arguments, first %s", argc, argc > 0 ? argv[0] : "");
    OutputDebugStringA(text);
    return argc > 1 ? 1 : 0;
}
#endif
