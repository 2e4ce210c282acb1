#include <cstdio>

int main() {
    std::fputs("linesaver: the desktop platform is not built yet\n", stderr);
    return 1;
}
