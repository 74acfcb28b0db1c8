// velkaro-replay: runs scripts against the accounting engine with scripted system parts.
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velkaro-replay SCRIPT\n");
        return 2;
    }
    return 0;
}
