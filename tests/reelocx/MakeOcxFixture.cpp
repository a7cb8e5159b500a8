// Writes the animations the control's interop scripts use into a folder:
// atl.ans (160 by 120, one opaque object on navy) with its dot.bmx.
// Usage: MakeOcxFixture FOLDER
#include "WindowFixtures.h"
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2 || !SetCurrentDirectoryA(argv[1])) {
        fprintf(stderr, "usage: MakeOcxFixture FOLDER\n");
        return 2;
    }
    return WriteTestAnimation("atl.ans", 160, 120) ? 0 : 1;
}
