// AIViewsDemo: one AI or credits view in a window, on loopback stand-ins unless told otherwise.
//   AIViewsDemo [--view NAME] [options]   one of kViews (default: the first); the view reads the options
//   AIViewsDemo --help                     the views; with --view NAME, that view's options

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int runCardDemo(int argc, char **argv);
int runPillDemo(int argc, char **argv);

namespace {

struct View {
    const char *name;
    const char *summary;
    int (*run)(int argc, char **argv);
};

// What --view chooses from, and what --help lists.
constexpr View kViews[] = {
    { "pill", "the credits header pill and its wallet (PillDemo.cpp)", runPillDemo },
    { "card", "the AI settings card (CardDemo.cpp)", runCardDemo },
};

const View *findView(const char *name)
{
    for (const View &view : kViews) {
        if (std::strcmp(view.name, name) == 0)
            return &view;
    }
    return nullptr;
}

std::string viewNames()
{
    std::string names;
    for (const View &view : kViews)
        names += (names.empty() ? "" : ", ") + std::string(view.name);
    return names;
}

bool isHelp(const char *argument)
{
    for (const char *help : { "--help", "-h", "-?", "--help-all" }) {
        if (std::strcmp(argument, help) == 0)
            return true;
    }
    return false;
}

void printUsage()
{
    std::printf("Usage: AIViewsDemo [--view NAME] [options]\n"
                "One AI or credits view in a window, on loopback stand-ins unless told otherwise.\n\n"
                "Views (default: %s):\n",
        kViews[0].name);
    for (const View &view : kViews)
        std::printf("  %-6s %s\n", view.name, view.summary);
    std::printf("\nEach view's options: AIViewsDemo --view NAME --help\n");
}

} // namespace

int main(int argc, char **argv)
{
    // The choice of view is read here and taken out; the view parses the rest.
    const char *chosen = nullptr;
    bool help = false;
    std::vector<char *> rest { argv[0] };
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--view") == 0) {
            if (i + 1 == argc) {
                std::fprintf(stderr, "AIViewsDemo: --view needs a name (%s)\n", viewNames().c_str());
                return 2;
            }
            chosen = argv[++i];
        } else if (std::strncmp(argv[i], "--view=", 7) == 0) {
            chosen = argv[i] + 7;
        } else {
            help = help || isHelp(argv[i]);
            rest.push_back(argv[i]);
        }
    }
    if (help && !chosen) {
        printUsage();
        return 0;
    }
    const View *view = findView(chosen ? chosen : kViews[0].name);
    if (!view) {
        std::fprintf(stderr, "AIViewsDemo: unknown view %s (views: %s)\n", chosen, viewNames().c_str());
        return 2;
    }
    rest.push_back(nullptr);
    return view->run(int(rest.size()) - 1, rest.data());
}
