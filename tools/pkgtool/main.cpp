#include <cstdio>

int main() {
    std::fputs("usage: pkgtool COMMAND ...\n", stderr);
    return 2;
}
