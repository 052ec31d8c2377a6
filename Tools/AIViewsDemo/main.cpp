// AIViewsDemo: one AI or credits view in a window, on loopback stand-ins unless told otherwise.
//   AIViewsDemo [--view pill] ...   the credits header pill and its wallet (PillDemo.cpp)
//   AIViewsDemo --view card ...     the AI settings card (CardDemo.cpp)

#include <cstring>

int runCardDemo(int argc, char **argv);
int runPillDemo(int argc, char **argv);

int main(int argc, char **argv)
{
    // Each view parses its own options; only the choice of view is read here.
    for (int i = 1; i < argc; ++i) {
        if ((std::strcmp(argv[i], "--view") == 0 && i + 1 < argc && std::strcmp(argv[i + 1], "card") == 0)
            || std::strcmp(argv[i], "--view=card") == 0)
            return runCardDemo(argc, argv);
    }
    return runPillDemo(argc, argv);
}
