// The process entry point: everything is the shell's.
#include "Shell.h"

int main(int argc, char** argv)
{
    return tolvane::Shell::main(argc, argv);
}
